#include "surface/text_snapshot_win32.h"

#include <algorithm>
#include <cstring>

#include "common/errors.h"
#include "win32/dib_win32.h"
#include "win32/handles_win32.h"

namespace fudekko::win32 {

namespace {
// A colour that the edit control does not paint by itself; a picture still holding it
// everywhere after the control was asked to paint was not painted at all.
constexpr std::uint32_t kUnpainted = 0x00010203;
}  // namespace

void EditSnapshot::paintInto(Picture& picture) {
  const int width = picture.width(), height = picture.height();
  const BITMAPINFO info = topDownDibInfo(width, height);
  void* bits = nullptr;
  const Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const MemoryDc memory(::CreateCompatibleDC(nullptr));
  if (!bitmap || !memory) throw OutOfResources();
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::fill(pixels, pixels + count, kUnpainted);
  {
    const Selection selected(memory.get(), bitmap.get());
    ::SendMessageW(edit_, WM_PRINT, reinterpret_cast<WPARAM>(memory.get()),
                   PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    ::GdiFlush();
    const bool painted =
        std::any_of(pixels, pixels + count, [](std::uint32_t p) { return p != kUnpainted; });
    if (!painted) {
      const WindowDc screen(edit_);
      ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
      ::GdiFlush();
    } else {
      // Parts that the control left alone show its background, as on the screen.
      const COLORREF face = ::GetSysColor(COLOR_WINDOW);
      const std::uint32_t background =
          (face & 0x00FF00) | ((face & 0xFF) << 16) | (face >> 16 & 0xFF);
      std::replace(pixels, pixels + count, kUnpainted, background);
    }
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.scanLine(y);
    std::memcpy(row, pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                static_cast<std::size_t>(width) * 4);
    // The device format keeps 0 in the fourth byte.
    for (int x = 0; x < width; ++x) row[x * 4 + 3] = 0;
  }
}

}  // namespace fudekko::win32

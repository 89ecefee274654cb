#include "app/pen_cursor_win32.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "win32/dib_win32.h"

namespace fudekko {

win32::Cursor createCursor(const CursorImage& image) {
  const LONG size = image.size;
  void* bits = nullptr;
  const BITMAPINFO info = win32::topDownDibInfo(size, size);
  const win32::Bitmap color(
      ::CreateDIBSection(win32::WindowDc(nullptr).get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color || !bits) return {};
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof image.pixels[0]);
  // The mask (one bit a pixel, rows of whole 16-bit words) is set where the cursor is
  // clear, for displays that ignore the alpha channel; the colour there is black, so
  // such a display leaves the screen as it is.
  const auto stride = static_cast<std::size_t>((size + 15) / 16 * 2);
  std::vector<std::uint8_t> maskBits(stride * static_cast<std::size_t>(size), 0);
  for (LONG y = 0; y < size; ++y) {
    for (LONG x = 0; x < size; ++x) {
      if (image.pixel(x, y) >> 24 >= 0x80) continue;
      maskBits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8)] |=
          static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  const win32::Bitmap mask(::CreateBitmap(size, size, 1, 1, maskBits.data()));
  if (!mask) return {};
  ICONINFO cursor{FALSE, static_cast<DWORD>(image.hotSpot.x), static_cast<DWORD>(image.hotSpot.y),
                  mask.get(), color.get()};
  // The cursor keeps copies of both bitmaps.
  return win32::Cursor(::CreateIconIndirect(&cursor));
}

PenCursor::~PenCursor() {
  // The system is never left showing a cursor that no longer exists.
  if (cursor_ && ::GetCursor() == cursor_.get()) ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

bool PenCursor::onSetCursor(HWND window, WPARAM wParam, LPARAM lParam, bool handwriting,
                            const RECT& drawingArea, const PenCursorLook& look) {
  // A child's WM_SETCURSOR comes to its parent first: those keep their own cursors.
  if (!handwriting || reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT) {
    return false;
  }
  POINT at{};
  if (!::GetCursorPos(&at) || !::ScreenToClient(window, &at) || !::PtInRect(&drawingArea, at)) {
    return false;
  }
  if (!cursor_ || look_ != look) {
    win32::Cursor made;
    try {
      made = createCursor(penCursorImage(look));
    } catch (const std::bad_alloc&) {
      // Without memory for a cursor the arrow serves.
    }
    if (!made) return false;
    // The new cursor is shown before the old one is destroyed.
    ::SetCursor(made.get());
    cursor_ = std::move(made);
    look_ = look;
  }
  ::SetCursor(cursor_.get());
  return true;
}

void PenCursor::refresh(HWND window) {
  POINT at{};
  if (!window || !::GetCursorPos(&at)) return;
  const HWND under = ::WindowFromPoint(at);
  if (under != window && !::IsChild(window, under)) return;
  // What the system sends when the mouse moves there.
  const LRESULT hit = ::SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

}  // namespace fudekko

#include "handoff/clipboard_win32.h"

#include <cstring>
#include <vector>

#include "common/errors.h"
#include "handoff/clipboard_picture.h"
#include "win32/handles_win32.h"

namespace fudekko::win32 {

namespace {

inline void freeGlobal(HGLOBAL memory) {
  ::GlobalFree(memory);
}
// Global memory until the clipboard takes it over (then released, not freed).
using GlobalMemory = UniqueHandle<HGLOBAL, freeGlobal>;

constexpr char kClipboardBusyMessage[] = "クリップボードを開けません";

// The clipboard, open for as long as it lives.
class OpenClipboard {
 public:
  explicit OpenClipboard(HWND owner) {
    // Another program may hold it for a moment.
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = ::OpenClipboard(owner) != FALSE;
      if (!open_) ::Sleep(20);
    }
    if (!open_) throw Error(kClipboardBusyMessage);
  }
  ~OpenClipboard() { ::CloseClipboard(); }
  OpenClipboard(const OpenClipboard&) = delete;
  OpenClipboard& operator=(const OpenClipboard&) = delete;

 private:
  bool open_ = false;
};

GlobalMemory globalCopy(const std::vector<std::uint8_t>& bytes) {
  GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) throw OutOfMemory();
  void* at = ::GlobalLock(memory.get());
  if (!at) throw OutOfMemory();
  std::memcpy(at, bytes.data(), bytes.size());
  ::GlobalUnlock(memory.get());
  return memory;
}

void put(UINT format, const std::vector<std::uint8_t>& bytes) {
  GlobalMemory memory = globalCopy(bytes);
  if (!::SetClipboardData(format, memory.get())) throw Error(kClipboardBusyMessage);
  memory.release();  // the clipboard owns it now
}

}  // namespace

void copyPictureToClipboard(HWND owner, const Picture& composite) {
  if (composite.empty()) throw Error("コピーする画像がありません");
  // Encoded before the clipboard is opened, so that it is held only briefly.
  const ClipboardPicture picture = clipboardPictureOf(composite);
  const UINT pngFormat = ::RegisterClipboardFormatW(kPngClipboardFormat);
  if (pngFormat == 0) throw Error(kClipboardBusyMessage);

  OpenClipboard clipboard(owner);
  if (!::EmptyClipboard()) throw Error(kClipboardBusyMessage);
  put(pngFormat, picture.png);
  put(CF_DIBV5, picture.dibV5);
  put(CF_DIB, picture.dib);
}

}  // namespace fudekko::win32

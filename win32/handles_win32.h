#pragma once
// One small owner per kind of Win32 handle, each with its release function.

#include <windows.h>

#include <utility>

namespace fudekko::win32 {

// Owns a handle of type T released by `Release`; copy deleted, move allowed.
template <typename T, auto Release, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  T release() { return std::exchange(handle_, Invalid); }
  void reset(T handle = Invalid) {
    if (handle_ != Invalid) Release(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = Invalid;
};

inline void closeHandle(HANDLE handle) {
  ::CloseHandle(handle);
}
inline void deleteGdiObject(HGDIOBJ object) {
  ::DeleteObject(object);
}
inline void deleteDc(HDC dc) {
  ::DeleteDC(dc);
}
inline void destroyIcon(HICON icon) {
  ::DestroyIcon(icon);
}
inline void destroyCursor(HCURSOR cursor) {
  ::DestroyCursor(cursor);
}
inline void destroyMenu(HMENU menu) {
  ::DestroyMenu(menu);
}
inline void destroyAcceleratorTable(HACCEL table) {
  ::DestroyAcceleratorTable(table);
}
inline void findClose(HANDLE search) {
  ::FindClose(search);
}

using Handle = UniqueHandle<HANDLE, closeHandle>;
using Bitmap = UniqueHandle<HBITMAP, deleteGdiObject>;
using Font = UniqueHandle<HFONT, deleteGdiObject>;
using Brush = UniqueHandle<HBRUSH, deleteGdiObject>;
using Pen = UniqueHandle<HPEN, deleteGdiObject>;
using MemoryDc = UniqueHandle<HDC, deleteDc>;
using Icon = UniqueHandle<HICON, destroyIcon>;
// A cursor the program made itself (CreateIconIndirect); never a shared one from LoadCursor.
using Cursor = UniqueHandle<HCURSOR, destroyCursor>;
using Menu = UniqueHandle<HMENU, destroyMenu>;
using Accelerators = UniqueHandle<HACCEL, destroyAcceleratorTable>;
// FindFirstFile's search; give it null, not INVALID_HANDLE_VALUE, when the search failed.
using FileSearch = UniqueHandle<HANDLE, findClose>;

// A device context borrowed from a window with GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint around a WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintDc() { ::EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~Selection() { ::SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace fudekko::win32

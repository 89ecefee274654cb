#pragma once
// The one description of the pixel rows handed to GDI: rows top-down, as a picture
// stores them; 32 bits a pixel for the device format.

#include <windows.h>

namespace fudekko::win32 {

inline BITMAPINFO topDownDibInfo(LONG width, LONG height, WORD bitCount = 32) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitCount;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Copies `rowCount` rows of 32-bit pixels, `rows` pointing at the first of them in a
// top-down picture `pictureWidth` pixels wide, onto `dc`: the columns from `left` on,
// `width` of them, with the first row's `left` pixel landing at `at`.
inline void showRows(HDC dc, POINT at, const void* rows, LONG pictureWidth, LONG rowCount,
                     LONG left, LONG width) {
  const BITMAPINFO info = topDownDibInfo(pictureWidth, rowCount);
  ::SetDIBitsToDevice(dc, at.x, at.y, static_cast<DWORD>(width), static_cast<DWORD>(rowCount), left,
                      0, 0, static_cast<UINT>(rowCount), rows, &info, DIB_RGB_COLORS);
}

}  // namespace fudekko::win32

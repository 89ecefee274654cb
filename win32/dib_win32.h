#pragma once
// The one description of the pixel rows that the program hands to GDI: 32-bit, rows
// top-down, as a device picture stores them.

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

}  // namespace fudekko::win32

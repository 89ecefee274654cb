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

}  // namespace fudekko::win32

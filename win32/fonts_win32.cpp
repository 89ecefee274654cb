#include "win32/fonts_win32.h"

#include <cwchar>

namespace fudekko::win32 {

namespace {

bool isInstalled(const wchar_t* faceName, BYTE charSet) {
  LOGFONTW wanted{};
  wanted.lfCharSet = charSet;
  std::wcsncpy(wanted.lfFaceName, faceName, LF_FACESIZE - 1);
  bool found = false;
  WindowDc screen(nullptr);
  ::EnumFontFamiliesExW(
      screen.get(), &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

std::wstring chooseJapaneseFace() {
  static const wchar_t* const kFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic",
                                          L"Meiryo",          L"IPAPGothic", L"IPAGothic"};
  for (const wchar_t* face : kFaces) {
    if (isInstalled(face, SHIFTJIS_CHARSET)) return face;
  }
  return kFaces[0];
}

}  // namespace

const std::wstring& japaneseFaceName() {
  static const std::wstring face = chooseJapaneseFace();
  return face;
}

Font createFont(const wchar_t* faceName, int pixelHeight, BYTE charSet, int weight) {
  LOGFONTW font{};
  font.lfHeight = -pixelHeight;
  font.lfWeight = weight;
  font.lfCharSet = charSet;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::wcsncpy(font.lfFaceName, faceName, LF_FACESIZE - 1);
  return Font(::CreateFontIndirectW(&font));
}

Font createJapaneseFont(int pixelHeight) {
  return createFont(japaneseFaceName().c_str(), pixelHeight, SHIFTJIS_CHARSET);
}

}  // namespace fudekko::win32

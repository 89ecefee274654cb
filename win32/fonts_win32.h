#pragma once
// Fonts of the program's windows. They ask for "ＭＳ Ｐゴシック"; where it is not
// installed (Wine, a Windows without the Japanese fonts) an installed Japanese face
// takes its place, so that Japanese text never shows as boxes.

#include <windows.h>

#include <string>

#include "win32/handles_win32.h"

namespace fudekko::win32 {

// The first installed face of "ＭＳ Ｐゴシック", "MS UI Gothic", "Meiryo", "IPAPGothic",
// "IPAGothic" that has a Shift-JIS character set; "ＭＳ Ｐゴシック" itself when none is
// found (the font mapper then picks some face with that character set). Looked up once.
const std::wstring& japaneseFaceName();

// A font `pixelHeight` pixels high (character height, without internal leading).
Font createFont(const wchar_t* faceName, int pixelHeight, BYTE charSet, int weight = FW_NORMAL);

// The windows' font: the Japanese face above, Shift-JIS character set.
Font createJapaneseFont(int pixelHeight);

}  // namespace fudekko::win32

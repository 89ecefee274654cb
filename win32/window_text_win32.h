#pragma once
// A window's or control's whole text, however long.

#include <windows.h>

#include <string>

namespace fudekko::win32 {

inline std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace fudekko::win32

#pragma once
// The program's one place that shows an error that a handler let through, as the
// event loop's default error box would.

#include <windows.h>

#include <exception>
#include <string>

namespace fudekko::win32 {

// The program's title, used as the caption of its message boxes.
inline constexpr wchar_t kProgramTitle[] = L"ふでっこ～ ぽすと～";

void showErrorBox(HWND owner, const std::exception& error);
// The same box for a message (UTF-8) that arrives as a value rather than thrown.
void showErrorMessage(HWND owner, const std::string& messageUtf8);

// Runs `handler`; an exception that it lets through is shown and swallowed, so the
// event loop goes on.
template <typename Handler>
void runHandler(HWND owner, Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    showErrorBox(owner, error);
  }
}

}  // namespace fudekko::win32

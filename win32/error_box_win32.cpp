#include "win32/error_box_win32.h"

#include "common/shift_jis.h"

namespace fudekko::win32 {

void showErrorBox(HWND owner, const std::exception& error) {
  showErrorMessage(owner, error.what());
}

void showErrorMessage(HWND owner, const std::string& messageUtf8) {
  ::MessageBoxW(owner, utf8ToWide(messageUtf8).c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
}

}  // namespace fudekko::win32

#include "win32/error_box_win32.h"

#include "common/shift_jis.h"

namespace fudekko::win32 {

void showErrorBox(HWND owner, const std::exception& error) {
  ::MessageBoxW(owner, utf8ToWide(error.what()).c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
}

}  // namespace fudekko::win32

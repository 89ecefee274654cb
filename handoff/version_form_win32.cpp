#include "handoff/version_form_win32.h"

namespace fudekko {

namespace {
constexpr wchar_t kClassName[] = L"TVersionForm";
}  // namespace

TVersionForm::TVersionForm(HINSTANCE instance, HWND owner) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE));
  createWindow(instance, kClassName, L"ﾊﾞｰｼﾞｮﾝ情報", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 152, 93,
               222, 83, owner);
}

LRESULT TVersionForm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ::ShowWindow(window_, SW_HIDE);
    return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

}  // namespace fudekko

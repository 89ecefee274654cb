#include "handoff/al_mail_select_win32.h"

namespace fudekko {

namespace {
constexpr wchar_t kClassName[] = L"TALMailSelect";
}  // namespace

TALMailSelect::TALMailSelect(HINSTANCE instance, HWND owner) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE));
  createWindow(instance, kClassName, L"AL-Mailの選択", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 233,
               216, 375, 94, owner);
}

LRESULT TALMailSelect::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ::ShowWindow(window_, SW_HIDE);
    return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

}  // namespace fudekko

// Program entry: one copy at a time, the three windows of the whole run, the event loop.

#include <windows.h>
// The common controls need windows.h first.
#include <commctrl.h>

#include "app/main_window_win32.h"
#include "app/single_instance_win32.h"
#include "handoff/mail_client_dialog_win32.h"
#include "handoff/version_dialog_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const fudekko::SingleInstanceGuard guard;
  // Another copy runs: end at once, without a window and without reading the command line.
  if (guard.anotherCopyRuns()) return 0;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  fudekko::MainWindow mainForm(instance);
  if (!mainForm.shouldRun()) return 0;
  fudekko::MailClientDialog mailClientSelect(instance, mainForm.handle(),
                                             mainForm.mailClientPath());
  fudekko::VersionDialog versionForm(instance, mainForm.handle());
  mainForm.setDialogs(&mailClientSelect, &versionForm);

  ::ShowWindow(mainForm.handle(), showCommand);
  ::UpdateWindow(mainForm.handle());

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (mainForm.translateAccelerator(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

// Program entry: one copy at a time, the three windows of the whole run, the event loop.

#include <windows.h>
// The common controls need windows.h first.
#include <commctrl.h>

#include "app/main_window_win32.h"
#include "app/single_instance_win32.h"
#include "app/version_dialog_win32.h"
#include "handoff/mail_client_dialog_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const fudekko::SingleInstanceGuard guard;
  // Another copy runs: end at once, without a window and without reading the command line.
  if (guard.anotherCopyRuns()) return 0;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  fudekko::MainWindow mainWindow(instance);
  if (!mainWindow.shouldRun()) return 0;
  fudekko::MailClientDialog mailClientDialog(
      instance, mainWindow.handle(), {mainWindow.mailClientPath(), mainWindow.sendsThroughMapi()});
  fudekko::VersionDialog versionDialog(instance, mainWindow.handle());
  mainWindow.setDialogs(&mailClientDialog, &versionDialog);

  ::ShowWindow(mainWindow.handle(), showCommand);
  ::UpdateWindow(mainWindow.handle());

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (mainWindow.translateAccelerator(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

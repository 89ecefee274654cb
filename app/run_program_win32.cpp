#include "app/run_program_win32.h"

// The common controls need windows.h first.
#include <commctrl.h>

#include <memory>

#include "app/fault_end_win32.h"
#include "app/main_window_win32.h"
#include "app/single_instance_win32.h"
#include "app/version_dialog_win32.h"
#include "handoff/mail_client_dialog_win32.h"

namespace fudekko {

int runProgram(HINSTANCE instance, int showCommand, PointerSource& pointers) {
  // A copy started only to say that a fault ended the program.
  if (sayEarlierFault()) return 0;
  const SingleInstanceGuard guard;
  // Another copy runs and answers: end at once, without a window and without reading the
  // command line. One that does not answer is left to itself, and this one runs.
  if (guard.anotherCopyRuns() && runningCopyAnswers(kMainWindowClass, win32::kProgramTitle)) {
    return 0;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  // On the heap: after a fault has ended this thread, the journal is still flushed from
  // another (app/fault_end_win32.h).
  const auto window = std::make_unique<MainWindow>(instance, pointers);
  MainWindow& mainWindow = *window;
  const FaultEnd faultEnd([&mainWindow] { mainWindow.flushJournal(); });
  if (!mainWindow.shouldRun()) return 0;
  MailClientDialog mailClientDialog(instance, mainWindow.handle(),
                                    {mainWindow.mailClientPath(), mainWindow.sendsThroughMapi()});
  VersionDialog versionDialog(instance, mainWindow.handle());
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

}  // namespace fudekko

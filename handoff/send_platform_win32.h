#pragma once
// Send's requests carried out by Win32: the main window, the temporary folder, the
// mail client's send window and starting the mail client.

#include <windows.h>

#include <functional>

#include "handoff/send.h"

namespace fudekko::win32 {

class SendPlatformWin32 : public SendPlatform {
 public:
  // `mainWindow` is hidden, shown and closed; `runMailClientSelection` is the main
  // window's settings command.
  SendPlatformWin32(HWND mainWindow, std::function<void()> runMailClientSelection);

  bool isPlainFile(const std::string& path) override;
  void showMessage(const std::string& textUtf8) override;
  void runMailClientSelection() override;
  void hideMainWindow() override;
  void showMainWindow() override;
  void closeMainWindow() override;
  std::string temporaryFolder() override;
  std::string createTemporaryFile(const std::string& folder, const std::string& prefix) override;
  std::vector<TopLevelWindow> topLevelWindows() override;
  bool dismissSendWindow(WindowId window) override;
  void startProgram(const std::string& program, const std::string& commandLine) override;
  void sleep(unsigned milliseconds) override;

 private:
  HWND mainWindow_;
  std::function<void()> runMailClientSelection_;
};

}  // namespace fudekko::win32

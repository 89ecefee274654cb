#pragma once
// Send's requests carried out by Win32: the main window, the temporary folder, the
// mail client's send window, starting the mail client, and Simple MAPI.

#include <windows.h>

#include "handoff/send.h"

namespace fudekko::win32 {

class SendPlatformWin32 : public SendPlatform {
 public:
  // `mainWindow` is hidden, shown and closed.
  explicit SendPlatformWin32(HWND mainWindow);

  bool isPlainFile(const std::string& path) override;
  bool pathExists(const std::string& path) override;
  void removeFile(const std::string& path) override;
  void showMessage(const std::string& textUtf8) override;
  void hideMainWindow() override;
  void showMainWindow() override;
  void closeMainWindow() override;
  std::string temporaryFolder() override;
  std::string createTemporaryFile(const std::string& folder, const std::string& prefix) override;
  std::vector<TopLevelWindow> topLevelWindows() override;
  bool dismissSendWindow(WindowId window) override;
  std::unique_ptr<PreparedProgram> prepareProgram(const std::string& program,
                                                  const std::string& commandLine) override;
  void sleep(unsigned milliseconds) override;
  bool defaultMailClientRegistered() override;
  unsigned long sendThroughMapi(const MapiMessageAnsi& message) override;

 private:
  HWND mainWindow_;
};

}  // namespace fudekko::win32

#include "handoff/send_button_win32.h"

#include "handoff/attachment.h"
#include "handoff/send_platform_win32.h"

namespace fudekko::win32 {

SendResult sendFromMainWindow(HWND mainWindow, const SendFields& fields, const TextLines& body,
                              const Picture* composite) {
  SendPlatformWin32 platform(mainWindow);
  const PictureSaver save = [composite](const std::string& path, AttachmentFormat format) {
    if (!composite) throw OutOfResources();
    writeAttachment(*composite, path, format);
  };
  // The program has one main window, and so one Send button.
  static SendGate gate;
  return gate.press([&] { return handOff(fields, body, save, platform); });
}

}  // namespace fudekko::win32

#include "handoff/send_button_win32.h"

#include <utility>

#include "handoff/attachment.h"
#include "handoff/send_platform_win32.h"

namespace fudekko::win32 {

void sendFromMainWindow(HWND mainWindow, const SendFields& fields, const TextLines& body,
                        const Picture* composite, std::function<void()> runMailClientSelection) {
  SendPlatformWin32 platform(mainWindow, std::move(runMailClientSelection));
  const PictureSaver save = [composite](const std::string& path, AttachmentFormat format) {
    if (!composite) throw OutOfResources();
    writeAttachment(*composite, path, format);
  };
  handOff(fields, body, save, platform);
}

}  // namespace fudekko::win32

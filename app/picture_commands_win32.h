#pragma once
// Copy and Save As of the main window: the picture goes to any other program. In
// handwriting mode both take the composite, exactly the pixels Send writes; in text
// mode Copy takes the selected text, as the text area's own Ctrl+C does, and Save As
// takes the picture handwriting mode would start from, the text as it is shown.

#include <windows.h>

#include <string>

#include "imaging/picture.h"
#include "settings/settings.h"

namespace fudekko {

// What the commands read of the main window.
struct PictureCommandSource {
  HWND window = nullptr;
  bool handwriting = false;
  const Picture* composite = nullptr;  // null after the window closed
  HWND textArea = nullptr;
  // For the default file name: the subject and the first display line of the body.
  std::string subject;
  std::string firstBodyLine;
};

// Greyed Copy: text mode without a selection, or no picture to copy.
bool canCopy(const PictureCommandSource& source);
// Throws Error when the clipboard cannot be had.
void copyCommand(const PictureCommandSource& source);
// The save dialog from the folder and type of `settings`, which keeps the user's
// choice; nothing happens when the user cancels. Throws Error when writing fails, an
// existing file then staying as it was.
void saveAsCommand(const PictureCommandSource& source, SessionSettings& settings);

}  // namespace fudekko

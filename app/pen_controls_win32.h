#pragma once
// The pen's controls: the colour and line buttons, the tools (the highlighter and eraser
// buttons, the Option menu's tool items and their keys), and the Option menu's eraser
// kind and brush pen. Each change is shown at once, then the settings file keeps it.

#include <windows.h>

#include "app/tool_bar_win32.h"
#include "settings/settings.h"
#include "surface/handwriting_surface.h"

namespace fudekko {

class PenControls {
 public:
  // All must outlive the controls; `window` holds the menu.
  PenControls(HandwritingSurface& surface, win32::ToolBar& toolBar, SessionSettings& settings,
              HWND window);

  // The surface takes the stored pen, eraser kind and brush pen, and the menu and the
  // eraser button show them. Never throws.
  void takeStoredChoices();

  // Carries out a command of these controls; false for any other command. Storing may
  // throw SettingsWriteError (the run's first): the choice stays in force and shown.
  bool onCommand(int id);

  // The colour and line buttons show the tool's pen (the highlighter's while it is
  // chosen), then the settings file keeps it (which may throw).
  void showAndStorePen();
  // The menu and the tool buttons show the chosen tool, the eraser kind and the brush pen.
  void showOptions();

 private:
  // The tool in force from now on, shown on the buttons and in the menu.
  void choose(ChosenTool tool);

  HandwritingSurface& surface_;
  win32::ToolBar& toolBar_;
  SessionSettings& settings_;
  HWND window_;
};

}  // namespace fudekko

#pragma once
// The main window: the text area, the drawing area, the tool bar, the menus and all of
// the program's state. Closing it ends the program.

#include <windows.h>

#include "common/window_win32.h"

namespace fudekko {

class TMainForm : public win32::Window<TMainForm> {
 public:
  // Creates the window (running `FormCreate`); it stays hidden until shown.
  explicit TMainForm(HINSTANCE instance);

  // False when start-up decided that the program ends without showing the window
  // (a draft file that is named but missing).
  bool shouldRun() const { return window_ != nullptr && !endRequested_; }

 private:
  friend class win32::Window<TMainForm>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The creation sequence, in this order.
  void FormCreate();
  void readSettings();
  void drawPenGlyphs();
  void takeCommandLineAndDraft();
  void createPictures();

  void FormResize();
  void PaintBox1Paint();
  void FormClose();
  void MenuExitClick();

  HINSTANCE instance_;
  bool endRequested_ = false;
};

}  // namespace fudekko

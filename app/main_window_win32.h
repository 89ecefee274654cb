#pragma once
// The main window: the text area, the drawing area, the tool bar, the menus and all of
// the program's state. Closing it ends the program.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/stored_pen.h"
#include "app/tool_bar_win32.h"
#include "app/window_size_cap.h"
#include "draft/text_area_lines_win32.h"
#include "draft/text_history.h"
#include "handoff/attachment.h"
#include "settings/ini_file.h"
#include "surface/handwriting_surface.h"
#include "win32/window_win32.h"

namespace fudekko {

class MailClientDialog;
class VersionDialog;

// Command identifiers of the menu items.
enum MenuItemId : int {
  kMenuOpenId = 301,
  kMenuExitId = 302,
  kMenuUndoId = 303,
  kMenuSettingId = 304,
  kAbout1Id = 305,
  kMenuRedoId = 306,
};

class MainWindow : public win32::Window<MainWindow> {
 public:
  // Creates the window (running `onCreate`); it stays hidden until shown.
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow();

  // False when start-up decided that the program ends without showing the window
  // (a draft file that is named but missing).
  bool shouldRun() const { return window_ != nullptr && !endRequested_; }

  // The dialogs are created after the main window; they are shown modally from its menu.
  void setDialogs(MailClientDialog* mailClientSelect, VersionDialog* versionForm);

  // The event loop hands every message here first: the Edit menu's keys.
  bool translateAccelerator(MSG& message) const;

  // What Send reads of the main window.
  const std::string& mailClientPath() const { return mailClientPath_; }
  const std::string& subject() const { return subject_; }
  const std::vector<std::string>& headerLines() const { return headerLines_; }
  // Null after onClose.
  const Picture* compositePicture() const { return surface_.composite(); }
  const TextLines& textLines() const { return *textAreaLines_; }

  // The Option menu's settings command; Send runs it too when the mail client is missing.
  void showMailClientDialog();
  void onSendButtonClick();

 private:
  friend class win32::Window<MainWindow>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void createControls();
  void onCommand(int id);
  // The Edit menu: Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) in either mode.
  void undo();
  void redo();
  // The text area reported a change: the user's edit, unless the history made it.
  void onTextAreaChanged();
  // The text as loaded (a draft or a file) is where the text history starts.
  void startTextHistory();
  // Greys Undo and Redo when the mode's history has nothing to take back or bring again.
  void updateEditMenu();
  void onMouse(UINT message, WPARAM wParam, LPARAM lParam);
  // Smooth ink: for a move to `client`, the positions the system merged into it since
  // the previous mouse message, oldest first, in drawing-area coordinates.
  std::vector<Point> mergedMoves(UINT message, POINT client);

  // The creation sequence, in this order.
  void onCreate();
  void readSettings();
  void takeCommandLineAndDraft();
  void createPictures();

  void onResize();
  void layout();
  // The fonts, bars, glyphs and pens at dpi_.
  void applyDpi();
  void onDpiChanged(int dpi, LPARAM suggested);
  // At first show the window system chooses the size; it grows to the form's size at
  // this DPI where the screen has room for it.
  void growToDesignSize();
  void paintDrawingArea();
  void onClose();
  void onExitCommand();
  void onOpenCommand();
  void showVersionDialog();
  void onColorButtonClick();
  void onLineButtonClick();
  void onEraseButtonClick();
  void onDrawingButtonClick();
  void onCanResize(int& width, int& height) const;
  // The tool bar shows `pen`, then the settings file keeps it (which may throw).
  void showAndStorePen(const Pen& pen);

  // The drawing area (drawingArea): the client area below the cool bar.
  RECT drawingArea() const;
  // Copies `part` of the composite picture onto the drawing area at once.
  void showComposite(const Rect& part);
  bool handwriting() const;

  HINSTANCE instance_;
  bool endRequested_ = false;
  // Set by WM_ENDSESSION: the settings file is left as it is from then on.
  bool sessionEnding_ = false;

  // The fields of the window's state; the pen and the pictures live in the surface.
  IniFile settingsFile_;
  HandwritingSurface surface_;
  WindowSizeCap sizeCap_;
  std::string subject_;
  std::vector<std::string> headerLines_;
  AttachmentFormat attachmentFormat_ = AttachmentFormat::Bmp;
  std::string mailClientPath_;
  // Set when the command line named a draft that could not be taken in.
  std::optional<std::string> draftNotLoaded_;

  win32::Font formFont_;
  win32::Font textAreaFont_;
  std::unique_ptr<win32::ToolBar> toolBar_;
  HWND textArea_ = nullptr;
  std::unique_ptr<win32::TextAreaLines> textAreaLines_;
  TextHistory textHistory_;
  // Raised while the program itself changes the text (loading, undo, redo), so that
  // the change is not recorded as the user's.
  bool ignoreTextChanges_ = false;
  win32::Accelerators accelerators_;
  // OpenDialog1's file name, kept for the whole run so it opens on the previous pick.
  std::wstring openDialogFile_ = std::wstring(32768, L'\0');
  int drawingTop_ = 0;
  // The last mouse position handed to the surface, as the system's move history
  // records it (screen coordinates, time), for mergedMoves.
  MOUSEMOVEPOINT lastMove_{};
  // The DPI of the window's monitor; every size is drawn for it.
  int dpi_ = kBaseDpi;

  MailClientDialog* mailClientSelect_ = nullptr;
  VersionDialog* versionForm_ = nullptr;
};

}  // namespace fudekko

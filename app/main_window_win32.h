#pragma once
// The main window: the text area, the drawing area, the tool bar, the menus and all of
// the program's state. Closing it ends the program.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/discard_question_win32.h"
#include "app/pen_controls_win32.h"
#include "app/pen_cursor_win32.h"
#include "app/picture_commands_win32.h"
#include "app/tool_bar_win32.h"
#include "app/window_size_cap.h"
#include "draft/command_line.h"
#include "draft/text_area_win32.h"
#include "handoff/attachment.h"
#include "journal/journal_feed.h"
#include "journal/work_journal_win32.h"
#include "settings/settings.h"
#include "surface/handwriting_surface.h"
#include "surface/mouse_input_win32.h"
#include "surface/pointer_input_win32.h"
#include "win32/open_file_dialog_win32.h"
#include "win32/window_win32.h"

namespace fudekko {

class MailClientDialog;
class VersionDialog;

// The window shows the text area, or the picture to write on.
enum class Mode { Text, Handwriting };

// The main window's class, by which a later start finds a running copy.
inline constexpr wchar_t kMainWindowClass[] = L"TMainForm";

class MainWindow : public win32::Window<MainWindow> {
 public:
  // Creates the window (running `onCreate`); it stays hidden until shown. `pointers`
  // tells about pen input; it must outlive the window.
  MainWindow(HINSTANCE instance, PointerSource& pointers);
  ~MainWindow();

  // False when start-up decided that the program ends without showing the window
  // (a draft file that is named but missing).
  bool shouldRun() const { return handle() != nullptr && !endRequested_; }

  // The dialogs are created after the main window; they are shown modally from its menu.
  void setDialogs(MailClientDialog* mailClientDialog, VersionDialog* versionDialog);

  // The event loop hands every message here first: the Edit menu's keys.
  bool translateAccelerator(MSG& message) const;

  // The mail client the mail-client dialog starts from; "MailClient=MAPI": Send goes
  // through the system's default mail client.
  const std::string& mailClientPath() const { return mailClientPath_; }
  bool sendsThroughMapi() const { return sendsThroughMapi_; }

  // Waits until the journal holds everything it was handed: the program is ending by a
  // fault. May run on any thread once the window's own has stopped.
  void flushJournal() { journal_.flush(); }

  // The Option menu's settings command; Send runs it too when the mail client is missing.
  void showMailClientDialog();
  void onSendButtonClick();

 private:
  friend class win32::Window<MainWindow>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The hooks of WM_CREATE and WM_DPICHANGED (see win32::Window).
  void createControls();
  void onCreate();
  // The fonts, bars, glyphs and pens at dpi_.
  void applyDpi();
  void layout();

  void onCommand(int id);
  // The Edit menu: Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) in either mode.
  void undo();
  void redo();
  // Greys Undo and Redo when the mode's history has nothing to take back or bring again.
  void updateEditMenu();
  void onMouse(UINT message, WPARAM wParam, LPARAM lParam);
  // False when the pointer message is not the pen's: DefWindowProc then has it.
  bool onPointer(UINT message, WPARAM wParam);

  // A stroke held still for kSnapAfterMs snaps to its shape: the timer starts anew
  // whenever the stroke being drawn moves on.
  static constexpr UINT_PTR kSnapTimer = 1;
  static constexpr UINT kSnapAfterMs = 600;
  void watchForHold();

  // Every change of the work passes here: the journal keeps it. The text area's and the
  // surface's changes come with what they changed of the screen and the histories.
  void record(const WorkChange& change);
  void take(std::optional<TextChange> change);
  void take(SurfaceOutcome outcome);

  // The creation sequence (onCreate), in this order.
  void readSettings();
  void takeCommandLineAndDraft();
  void createPictures();

  void onResize();
  // The tool bar across the top, the text area over the drawing area.
  void placeControls();
  void paintDrawingArea();
  void onClose();
  void onExitCommand();
  void onOpenCommand();
  // False when unsent work is there and the user keeps it.
  bool mayDiscard(DiscardReason reason);
  // Copy and Save As (app/picture_commands_win32.h), from the window's state.
  PictureCommandSource pictureCommandSource() const;
  void onCopyCommand();
  void onSaveAsCommand();
  void showVersionDialog();
  // The Option menu's "長い行を折り返して送る": shown at once, then stored.
  void toggleWrapLongLines();
  // The one way the mode changes: the handwriting button, recovery and a failed change
  // all come here, and the tool bar, the text area and the size cap follow. Entering
  // handwriting mode freezes the text area's look, or takes `restored` in its place.
  // When the surface fails, the mode in force stays and is shown.
  void setMode(Mode mode, TextAreaSnapshot* restored = nullptr);
  // The window's outer size, as the journal keeps it.
  WindowSize outerSize() const;
  // The journal of this run (app/main_window_recovery_win32.cpp), and the question about
  // the work an earlier run left, posted as kOfferRecovery, which restores it after Yes.
  static constexpr UINT kOfferRecovery = WM_APP + 1;
  void startJournal(const CommandLineStep& step);
  void offerRecovery();
  // Posted when the journal cannot be written: the user is told once that the work is
  // not being recorded, and works on.
  static constexpr UINT kJournalFault = WM_APP + 2;
  void sayJournalFault();
  // The work as an earlier run left it, applied through the user's own entry points.
  void restore(RecoveredWork work);
  void onCanResize(int& width, int& height) const;

  // The drawing area (drawingArea): the client area below the cool bar.
  RECT drawingArea() const;
  // Copies `part` of the composite picture onto the drawing area at once.
  void showComposite(const Rect& part);
  void showPart(HDC dc, const Picture& composite, const Rect& part) const;
  bool handwriting() const { return mode_ == Mode::Handwriting; }

  HINSTANCE instance_;
  bool endRequested_ = false;
  // Set by WM_ENDSESSION: the settings file is left as it is from then on.
  bool sessionEnding_ = false;
  // Set once Send handed the work over; the window closes itself then.
  bool sent_ = false;
  DiscardQuestion discardQuestion_;
  WorkJournal journal_;
  // What the journal found of an earlier run, until the user is asked about it.
  EarlierWork earlierWork_;
  Mode mode_ = Mode::Text;

  // The fields of the window's state; the pen and the pictures live in the surface.
  SessionSettings settings_;
  HandwritingSurface surface_;
  WindowSizeCap sizeCap_;
  std::string subject_;
  std::vector<std::string> headerLines_;
  AttachmentFormat attachmentFormat_ = AttachmentFormat::Bmp;
  // Whether the command line had a format switch at all.
  bool formatSwitched_ = false;
  std::string mailClientPath_;
  bool sendsThroughMapi_ = false;
  // Send's refusal, when the command line named a draft that was not taken in whole.
  std::optional<std::string> draftRefusal_;
  // Set when the command line named a draft: only then is the pending send window ours.
  bool draftNamed_ = false;
  // The draft began with UTF-8's byte-order mark; Send writes it back so.
  bool draftByteOrderMark_ = false;
  // Send writes the body as the text area's display lines ("WrapLongLines").
  bool wrapLongLines_ = true;

  win32::Font toolBarFont_;
  std::unique_ptr<win32::ToolBar> toolBar_;
  std::unique_ptr<PenControls> penControls_;
  std::unique_ptr<win32::TextArea> textArea_;
  win32::Accelerators accelerators_;
  win32::Accelerators handwritingKeys_;
  // One for the whole run, so that it opens on the previous pick.
  win32::OpenFileDialog openDialog_;
  int drawingTop_ = 0;
  win32::DrawingAreaMouse mouse_{surface_};
  // Where the stroke being drawn was last seen to move to, while the snap timer runs.
  std::optional<Point> heldAt_;
  win32::DrawingAreaPointer pointer_;
  PenCursor penCursor_;

  MailClientDialog* mailClientDialog_ = nullptr;
  VersionDialog* versionDialog_ = nullptr;
};

}  // namespace fudekko

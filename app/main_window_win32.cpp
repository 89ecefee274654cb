#include "app/main_window_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "app/main_menu_win32.h"
#include "app/version_dialog_win32.h"
#include "common/shift_jis.h"
#include "draft/draft_intake.h"
#include "handoff/handoff_settings.h"
#include "handoff/mail_client_dialog_win32.h"
#include "handoff/send_button_win32.h"
#include "journal/unsent_work.h"
#include "settings/settings.h"
#include "surface/text_snapshot_win32.h"
#include "win32/dib_win32.h"
#include "win32/error_box_win32.h"
#include "win32/fonts_win32.h"
#include "win32/handles_win32.h"
#include "win32/program_path_win32.h"
#include "win32/window_size_win32.h"

namespace fudekko {

namespace {

constexpr int kTextAreaId = 102;
// At 96 DPI, as every size here.
constexpr int kToolBarFontHeight = 12;
constexpr int kDesignWidth = 696;
constexpr int kDesignHeight = 480;

using win32::kDrawingButtonId;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, PointerSource& pointers)
    : instance_(instance),
      // From the journal writer's thread too: only a message is posted.
      journal_([this] { ::PostMessageW(handle(), kJournalFault, 0, 0); }),
      settings_(settingsPathFor(win32::programPathInSjis())),
      pointer_(pointers) {
  registerClass(instance, kMainWindowClass, ::GetSysColorBrush(COLOR_BTNFACE),
                ::LoadIconW(instance, MAKEINTRESOURCEW(1)));
  win32::Menu menu = createMainMenu();
  if (createWindow(instance, kMainWindowClass, win32::kProgramTitle,
                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu.get())) {
    menu.release();  // the window owns it now
    // At first show the window system chooses the size; it grows to the design size
    // at this DPI where the screen has room for it.
    win32::growOnScreen(handle(), scaleForDpi(kDesignWidth, dpi_),
                        scaleForDpi(kDesignHeight, dpi_));
  }
  // A named draft that is missing: the window closes as after a normal close.
  if (handle() && endRequested_) ::SendMessageW(handle(), WM_CLOSE, 0, 0);
}

MainWindow::~MainWindow() = default;

void MainWindow::setDialogs(MailClientDialog* mailClientDialog, VersionDialog* versionDialog) {
  mailClientDialog_ = mailClientDialog;
  versionDialog_ = versionDialog;
}

bool MainWindow::translateAccelerator(MSG& message) const {
  if (!handle()) return false;
  for (const win32::Accelerators* keys : {&accelerators_, &handwritingKeys_}) {
    // The single keys only where no text is typed.
    if (keys == &handwritingKeys_ && !handwriting()) continue;
    if (*keys && ::TranslateAcceleratorW(handle(), keys->get(), &message) != 0) return true;
  }
  return false;
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      onResize();
      return 0;
    case WM_SIZING: {
      auto& proposed = *reinterpret_cast<RECT*>(lParam);
      int width = proposed.right - proposed.left, height = proposed.bottom - proposed.top;
      onCanResize(width, height);
      win32::resizeKeepingUndraggedEdges(proposed, wParam, width, height);
      return TRUE;
    }
    case WM_WINDOWPOSCHANGING: {
      const LRESULT result = defaultProcedure(message, wParam, lParam);
      // Every size change passes here: dragged borders, SetWindowPos, maximising.
      auto& position = *reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(position.flags & SWP_NOSIZE)) onCanResize(position.cx, position.cy);
      return result;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.code == RBN_HEIGHTCHANGE) onResize();
      if (header.code == NM_CUSTOMDRAW && toolBar_ && header.hwndFrom == toolBar_->toolBar()) {
        return toolBar_->customDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
      }
      return 0;
    }
    case WM_PAINT:
      paintDrawingArea();
      return 0;
    case WM_INITMENUPOPUP:
      // The selection changes without telling: Copy's state is settled as the menu opens.
      enableCopyItem(::GetMenu(handle()), canCopy(pictureCommandSource()));
      return 0;
    case WM_SETFOCUS:
      // In text mode the keyboard belongs to the text area, from the first activation on.
      if (textArea_ && textArea_->visible()) textArea_->focus();
      return 0;
    case WM_COMMAND:
      if (textArea_ && reinterpret_cast<HWND>(lParam) == textArea_->control()) {
        take(textArea_->onNotification(HIWORD(wParam)));
        return 0;
      }
      onCommand(LOWORD(wParam));
      // The pen, the eraser or the mode may have changed under the pointer.
      PenCursor::refresh(handle());
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      onMouse(message, wParam, lParam);
      return 0;
    case WM_POINTERDOWN:
    case WM_POINTERUPDATE:
    case WM_POINTERUP:
    case WM_POINTERLEAVE:
      if (onPointer(message, wParam)) return 0;
      break;
    case WM_TABLET_QUERYSYSTEMGESTURESTATUS:
      return win32::systemGestureStatus(handle(), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)},
                                        drawingTop_);
    case WM_SETCURSOR:
      if (penCursor_.onSetCursor(handle(), wParam, lParam, handwriting(), drawingArea(),
                                 penCursorLook(surface_))) {
        return TRUE;
      }
      break;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      // The process may end at any moment after this: nothing is stored from here on, and
      // the journal is in its file for the next start.
      journal_.flush();
      if (message == WM_ENDSESSION && wParam) sessionEnding_ = true;
      return message == WM_QUERYENDSESSION;
    case WM_TIMER:
      if (wParam != kSnapTimer) break;
      ::KillTimer(handle(), kSnapTimer);
      heldAt_.reset();
      win32::runHandler(handle(), [this] { take(surface_.snapToShape()); });
      return 0;
    case kOfferRecovery:
      win32::runHandler(handle(), [this] { offerRecovery(); });
      return 0;
    case kJournalFault:
      sayJournalFault();
      return 0;
    case WM_CLOSE:
      if (!mayDiscard(DiscardReason::Close)) return 0;
      onClose();
      destroyWindow();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

void MainWindow::createControls() {
  surface_.setDpi(dpi_);
  toolBarFont_ = win32::createJapaneseFont(scaleForDpi(kToolBarFontHeight, dpi_));
  toolBar_ = std::make_unique<win32::ToolBar>(instance_, handle(), toolBarFont_.get(), dpi_);
  penControls_ = std::make_unique<PenControls>(surface_, *toolBar_, settings_, handle());
  textArea_ = std::make_unique<win32::TextArea>(instance_, handle(), kTextAreaId, dpi_);
  accelerators_ = createEditKeys();
  handwritingKeys_ = createHandwritingKeys();
  placeControls();
}

void MainWindow::onCommand(int id) {
  if (penControls_ && penControls_->onCommand(id)) return;
  switch (id) {
    case kMenuOpenId:
      onOpenCommand();
      break;
    case kMenuExitId:
      onExitCommand();
      break;
    case kMenuSettingId:
      showMailClientDialog();
      break;
    case kMenuVersionId:
      showVersionDialog();
      break;
    case kMenuWrapLongLinesId:
      toggleWrapLongLines();
      break;
    case win32::kSendButtonId:
      onSendButtonClick();
      break;
    case kDrawingButtonId:
      setMode(handwriting() ? Mode::Text : Mode::Handwriting);
      break;
    case kMenuUndoId:
      undo();
      break;
    case kMenuRedoId:
      redo();
      break;
    case kMenuCopyId:
      onCopyCommand();
      break;
    case kMenuSaveAsId:
      onSaveAsCommand();
      break;
    default:
      break;
  }
}

// --- Edit menu ---

void MainWindow::undo() {
  if (handwriting()) {
    take(surface_.undo());
  } else {
    take(textArea_->undo());
  }
}

void MainWindow::redo() {
  if (handwriting()) {
    take(surface_.redo());
  } else {
    take(textArea_->redo());
  }
}

void MainWindow::updateEditMenu() {
  enableEditItems(::GetMenu(handle()), handwriting() ? surface_.canUndo() : textArea_->canUndo(),
                  handwriting() ? surface_.canRedo() : textArea_->canRedo());
  enableCopyItem(::GetMenu(handle()), canCopy(pictureCommandSource()));
}

// --- Creation sequence ---

// Each step reports its own failure and the next still runs: whatever happens to the
// settings file, the user's draft is loaded and the pictures exist.
void MainWindow::onCreate() {
  win32::runHandler(handle(), [this] { readSettings(); });
  // The settings file holds the pen from the first start on: it is stored at once.
  win32::runHandler(handle(), [this] { penControls_->showAndStorePen(); });
  win32::runHandler(handle(), [this] { takeCommandLineAndDraft(); });
  if (endRequested_) return;
  win32::runHandler(handle(), [this] { createPictures(); });
}

void MainWindow::readSettings() {
  mailClientPath_ = readMailClientPath(settings_.file());
  sendsThroughMapi_ = readSendsThroughMapi(settings_.file());
  surface_.setSmoothInk(readSmoothInk(settings_.file()));
  wrapLongLines_ = readWrapLongLines(settings_.file());
  checkWrapLongLinesItem(::GetMenu(handle()), wrapLongLines_);
  penControls_->takeStoredChoices();
}

void MainWindow::takeCommandLineAndDraft() {
  // As UTF-8: a draft's path may hold characters that code page 932 does not have.
  const CommandLineStep step = planCommandLine(splitCommandLine(wideToUtf8(::GetCommandLineW())));
  attachmentFormat_ = attachmentFormatFromSwitch(step.imageFormat);
  formatSwitched_ = !step.imageFormat.empty();
  if (step.action == CommandLineStep::Action::EndProgram) {
    endRequested_ = true;
    return;
  }
  draftNamed_ = step.action == CommandLineStep::Action::LoadDraft;
  TakenDraft taken;
  // The journal starts from the text as loaded; it is not a change of its own.
  textArea_->load([&](TextLines& lines) { taken = takeInDraft(step, lines); });
  updateEditMenu();
  headerLines_ = std::move(taken.headerLines);
  subject_ = std::move(taken.subject);
  draftByteOrderMark_ = taken.encoding.byteOrderMark;
  // A draft that cannot be read, or only up to a zero byte, leaves a working window, and
  // Send refuses rather than hand back less than the mail in its place.
  draftRefusal_ = std::move(taken.sendRefusal);
  if (taken.messageAtLoad) win32::showErrorMessage(handle(), *taken.messageAtLoad);
  startJournal(step);
}

void MainWindow::createPictures() {
  const SIZE textArea = textArea_->clientSize();
  surface_.createLayers(textArea.cx, textArea.cy);
}

// --- Window ---

RECT MainWindow::drawingArea() const {
  RECT client{};
  ::GetClientRect(handle(), &client);
  client.top = std::min<LONG>(drawingTop_, client.bottom);
  return client;
}

void MainWindow::placeControls() {
  RECT client{};
  ::GetClientRect(handle(), &client);
  drawingTop_ = toolBar_->layout(client.right);
  // The text area covers the drawing area completely.
  textArea_->place(drawingArea());
}

void MainWindow::applyDpi() {
  if (!toolBar_) return;
  // The new font is in the tool bar before the old one is deleted.
  win32::Font toolBarFont = win32::createJapaneseFont(scaleForDpi(kToolBarFontHeight, dpi_));
  surface_.setDpi(dpi_);
  toolBar_->setDpi(dpi_, toolBarFont.get());
  textArea_->setDpi(dpi_);
  toolBarFont_ = std::move(toolBarFont);
  PenCursor::refresh(handle());
}

// In handwriting mode the pictures keep their pixels at a new DPI, and the window
// still cannot grow beyond the size it had when the mode was entered.
void MainWindow::layout() {
  onResize();
  ::InvalidateRect(handle(), nullptr, TRUE);
}

void MainWindow::onResize() {
  if (!toolBar_) return;
  placeControls();
  const RECT area = drawingArea();
  take(surface_.resize(area.right - area.left, area.bottom - area.top));
  // The pictures follow the window's size in handwriting mode, and so does the journal.
  if (handwriting() && !::IsIconic(handle())) record(outerSize());
}

void MainWindow::paintDrawingArea() {
  win32::PaintDc paint(handle());
  const Picture* composite = surface_.composite();
  if (!composite || composite->empty()) return;
  const RECT area = drawingArea();
  ::IntersectClipRect(paint.get(), area.left, area.top, area.right, area.bottom);
  showPart(paint.get(), *composite, {0, 0, composite->width(), composite->height()});
}

void MainWindow::showComposite(const Rect& part) {
  const Picture* composite = surface_.composite();
  if (!composite || !handle()) return;
  const RECT area = drawingArea();
  const Rect shown = part.intersect({0, 0, composite->width(), composite->height()})
                         .intersect({0, 0, area.right - area.left, area.bottom - area.top});
  if (shown.empty()) return;
  showPart(win32::WindowDc(handle()).get(), *composite, shown);
}

// Only the rows of `part`, as a top-down picture of their own.
void MainWindow::showPart(HDC dc, const Picture& composite, const Rect& part) const {
  const RECT area = drawingArea();
  win32::showRows(dc, {part.left, area.top + part.top}, composite.scanLine(part.top),
                  composite.width(), part.height(), part.left, part.width());
}

void MainWindow::onClose() {
  surface_.releaseLayers();
  // Ending with the session, the work stays in the journal for the next start.
  if (!sessionEnding_) journal_.remove();
}

void MainWindow::onExitCommand() {
  ::SendMessageW(handle(), WM_CLOSE, 0, 0);
}

// Nothing is asked once Send handed the work over or the session is ending.
bool MainWindow::mayDiscard(DiscardReason reason) {
  const bool unsent = textArea_ && hasUnsentWork(textArea_->history(), surface_.strokes());
  return sent_ || sessionEnding_ || discardQuestion_.mayDiscard(handle(), reason, unsent);
}

void MainWindow::onOpenCommand() {
  if (!mayDiscard(DiscardReason::Open)) return;
  const std::optional<std::wstring> picked = openDialog_.pick(handle());
  if (!picked) return;
  // Opening a file starts the text history anew: the file's text is not the user's edit.
  std::optional<std::string> cut;
  take(
      textArea_->load([&](TextLines& lines) { cut = loadTextFile(lines, {wideToUtf8(*picked)}); }));
  if (cut) win32::showErrorMessage(handle(), *cut);
}

void MainWindow::showMailClientDialog() {
  if (!mailClientDialog_) return;
  const std::optional<MailClientChoice> picked = mailClientDialog_->showModal();
  // The stored choice changes only when the user closed the dialog, never when the
  // program is ending under it.
  if (!picked || sessionEnding_ || !handle()) return;
  mailClientPath_ = picked->path;
  const bool mapiChanged = picked->throughMapi != sendsThroughMapi_;
  sendsThroughMapi_ = picked->throughMapi;
  settings_.store([&](IniFile& file) {
    writeMailClientPath(file, mailClientPath_);
    // Written only when changed: a file that never chose the default mail client stays
    // free of the key.
    if (mapiChanged) writeSendsThroughMapi(file, sendsThroughMapi_);
  });
}

void MainWindow::showVersionDialog() {
  if (versionDialog_) versionDialog_->showModal();
}

void MainWindow::toggleWrapLongLines() {
  wrapLongLines_ = !wrapLongLines_;
  checkWrapLongLinesItem(::GetMenu(handle()), wrapLongLines_);
  settings_.store([wrap = wrapLongLines_](IniFile& file) { writeWrapLongLines(file, wrap); });
}

// Send's work lives with the hand-off to the mail client; it is bound here. A text area
// that does not wrap shows its lines as typed, and they go so, whole.
void MainWindow::onSendButtonClick() {
  const SendResult result = win32::sendFromMainWindow(
      handle(),
      {mailClientPath_, subject_, headerLines_, attachmentFormat_, draftRefusal_, sendsThroughMapi_,
       formatSwitched_, draftNamed_, draftByteOrderMark_, wrapLongLines_ && textArea_->wraps()},
      textArea_->lines(), surface_.composite());
  sent_ = result == SendResult::Sent;
  if (sent_) journal_.remove();
  // Send said so already; the user names the mail client now.
  if (result == SendResult::MailClientMissing) showMailClientDialog();
}

// --- Copy and Save As ---

PictureCommandSource MainWindow::pictureCommandSource() const {
  return {handle(),
          handwriting(),
          surface_.composite(),
          textArea_ ? textArea_->control() : nullptr,
          subject_,
          textArea_ ? toSjis(textArea_->lines().line(0), textArea_->lines().encoding())
                    : std::string()};
}

void MainWindow::onCopyCommand() {
  if (textArea_) copyCommand(pictureCommandSource());
}

void MainWindow::onSaveAsCommand() {
  if (textArea_) saveAsCommand(pictureCommandSource(), settings_);
}

// --- Handwriting mode ---

void MainWindow::setMode(Mode mode, TextAreaSnapshot* restored) {
  const bool entering = mode == Mode::Handwriting;
  const WindowSize outer = outerSize();
  const SIZE textArea = textArea_->clientSize();
  win32::EditSnapshot snapshot(textArea_->control());
  sizeCap_.record(outer.outerWidth, outer.outerHeight);
  Rect changed;
  try {
    changed = entering ? surface_.enterHandwriting(restored ? *restored : snapshot, textArea.cx,
                                                   textArea.cy)
                       : surface_.leaveHandwriting(textArea.cx, textArea.cy);
  } catch (...) {
    // The mode did not change: the button, which the click toggled, shows the mode in force.
    toolBar_->showHandwritingMode(handwriting());
    throw;
  }
  mode_ = mode;
  toolBar_->showHandwritingMode(entering);
  textArea_->show(!entering);
  showComposite(changed);
  // Each mode offers its own history.
  textArea_->seal();
  updateEditMenu();
  record(ModeSwitch{{entering, outer.outerWidth, outer.outerHeight}, surface_.background()});
}

WindowSize MainWindow::outerSize() const {
  RECT outer{};
  ::GetWindowRect(handle(), &outer);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

void MainWindow::onCanResize(int& width, int& height) const {
  if (!toolBar_) return;
  std::int32_t w = width, h = height;
  sizeCap_.limit(handwriting(), w, h);
  width = w;
  height = h;
}

// --- Strokes ---

void MainWindow::onMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!handwriting() || pointer_.isPalm()) return;
  take(mouse_.deliver(handle(), message, wParam, lParam, drawingTop_));
  watchForHold();
}

bool MainWindow::onPointer(UINT message, WPARAM wParam) {
  if (!handwriting()) return false;
  PenInput::Outcome outcome = pointer_.deliver(handle(), surface_, message, wParam, drawingTop_);
  take(std::move(outcome.changed));
  watchForHold();
  return outcome.handled;
}

void MainWindow::watchForHold() {
  if (!surface_.isDrawing()) {
    if (heldAt_) ::KillTimer(handle(), kSnapTimer);
    heldAt_.reset();
    return;
  }
  // A pen's tip trembles: within a couple of pixels it is still held still.
  const std::int32_t still = scaleForDpi(2, dpi_);
  const Point at = surface_.position();
  if (heldAt_ && std::abs(at.x - heldAt_->x) <= still && std::abs(at.y - heldAt_->y) <= still) {
    return;
  }
  heldAt_ = at;
  ::SetTimer(handle(), kSnapTimer, kSnapAfterMs, nullptr);
}

// --- Changes of the work ---

void MainWindow::record(const WorkChange& change) {
  journal_.record(change);
}

void MainWindow::take(std::optional<TextChange> change) {
  if (!change) return;
  record(*change);
  updateEditMenu();
}

void MainWindow::take(SurfaceOutcome outcome) {
  showComposite(outcome.repaint);
  for (DrawingChange& change : outcome.changes) record(std::move(change));
  if (outcome.historyChanged()) updateEditMenu();
}

}  // namespace fudekko

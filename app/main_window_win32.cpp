#include "app/main_window_win32.h"

#include <windowsx.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "common/shift_jis.h"
#include "draft/command_line.h"
#include "draft/draft_intake.h"
#include "handoff/mail_client_dialog_win32.h"
#include "handoff/send_button_win32.h"
#include "handoff/version_dialog_win32.h"
#include "settings/settings.h"
#include "surface/text_snapshot_win32.h"
#include "win32/dib_win32.h"
#include "win32/dpi_win32.h"
#include "win32/fonts_win32.h"
#include "win32/handles_win32.h"
#include "win32/window_text_win32.h"

namespace fudekko {

namespace {

constexpr wchar_t kClassName[] = L"TMainForm";
constexpr int kMemoId = 102;
// At 96 DPI, as every size here.
constexpr int kFormFontHeight = 12;
constexpr int kMemoFontHeight = 16;
constexpr int kDesignWidth = 696;
constexpr int kDesignHeight = 480;

using win32::kDrawingButtonId;
using win32::kEraseButtonId;

win32::Menu createMainMenu() {
  win32::Menu bar(::CreateMenu());
  const auto popup = [&bar](const wchar_t* caption,
                            std::initializer_list<std::pair<int, const wchar_t*>> items) {
    win32::Menu menu(::CreatePopupMenu());
    for (const auto& [id, text] : items) {
      if (id == 0) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(id), text);
      }
    }
    // The menu bar owns the popup from here on.
    if (::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(menu.get()), caption)) {
      menu.release();
    }
  };
  popup(L"ﾌｧｲﾙ(&F)", {{kMenuOpenId, L"開く(&O)"}, {0, nullptr}, {kMenuExitId, L"終了(&X)"}});
  popup(L"編集(&E)",
        {{kMenuUndoId, L"元に戻す(&U)\tCtrl+Z"}, {kMenuRedoId, L"やり直し(&R)\tCtrl+Y"}});
  popup(L"ｵﾌﾟｼｮﾝ(&O)", {{kMenuSettingId, L"設定(&S)"}});
  popup(L"ﾍﾙﾌﾟ(&H)", {{kAbout1Id, L"ﾊﾞｰｼﾞｮﾝ情報(&A)"}});
  return bar;
}

// Raises a flag for its own lifetime, whatever way the scope is left.
class FlagRaised {
 public:
  explicit FlagRaised(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagRaised() { flag_ = false; }
  FlagRaised(const FlagRaised&) = delete;
  FlagRaised& operator=(const FlagRaised&) = delete;

 private:
  bool& flag_;
};

// Replaces the stretch that `edit` names and leaves the caret behind the new text,
// in view. `applying` is raised meanwhile, so the change is not taken for the user's.
void applyToTextArea(HWND textArea, const TextEdit& edit, bool& applying) {
  {
    const FlagRaised raised(applying);
    const auto start = static_cast<WPARAM>(edit.position);
    ::SendMessageW(textArea, EM_SETSEL, start, static_cast<LPARAM>(start + edit.removed.size()));
    ::SendMessageW(textArea, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(edit.inserted.c_str()));
  }
  const auto caret = static_cast<LPARAM>(edit.position + edit.inserted.size());
  ::SendMessageW(textArea, EM_SETSEL, static_cast<WPARAM>(caret), caret);
  ::SendMessageW(textArea, EM_SCROLLCARET, 0, 0);
}

unsigned heldButtons(WPARAM keys) {
  unsigned held = kNoButton;
  if (keys & MK_LBUTTON) held |= kLeftButton;
  if (keys & MK_RBUTTON) held |= kRightButton;
  if (keys & MK_MBUTTON) held |= kMiddleButton;
  return held;
}

std::string programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return wideToSjis(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance)
    : instance_(instance), settingsFile_(settingsPathFor(programPath())) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE),
                ::LoadIconW(instance, MAKEINTRESOURCEW(1)));
  win32::Menu menu = createMainMenu();
  if (createWindow(instance, kClassName, win32::kProgramTitle,
                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu.get())) {
    menu.release();  // the window owns it now
    growToDesignSize();
  }
  // A named draft that is missing: the window closes as after a normal close.
  if (window_ && endRequested_) ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

MainWindow::~MainWindow() {
  if (window_) ::DestroyWindow(window_);
}

void MainWindow::setDialogs(MailClientDialog* mailClientSelect, VersionDialog* versionForm) {
  mailClientSelect_ = mailClientSelect;
  versionForm_ = versionForm;
}

bool MainWindow::translateAccelerator(MSG& message) const {
  return window_ && accelerators_ &&
         ::TranslateAcceleratorW(window_, accelerators_.get(), &message) != 0;
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      createControls();
      onCreate();
      return 0;
    case WM_SIZE:
      // A minimised window has no drawing area; shrinking the pictures to nothing
      // would throw the user's strokes away.
      if (wParam != SIZE_MINIMIZED) onResize();
      return 0;
    case WM_SIZING: {
      auto& proposed = *reinterpret_cast<RECT*>(lParam);
      int width = proposed.right - proposed.left, height = proposed.bottom - proposed.top;
      onCanResize(width, height);
      // Keep the edge that is not being dragged where it is.
      if (wParam == WMSZ_LEFT || wParam == WMSZ_TOPLEFT || wParam == WMSZ_BOTTOMLEFT) {
        proposed.left = proposed.right - width;
      } else {
        proposed.right = proposed.left + width;
      }
      if (wParam == WMSZ_TOP || wParam == WMSZ_TOPLEFT || wParam == WMSZ_TOPRIGHT) {
        proposed.top = proposed.bottom - height;
      } else {
        proposed.bottom = proposed.top + height;
      }
      return TRUE;
    }
    case WM_WINDOWPOSCHANGING: {
      const LRESULT result = defaultProcedure(message, wParam, lParam);
      // Every size change passes here: dragged borders, SetWindowPos, maximising.
      auto& position = *reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(position.flags & SWP_NOSIZE)) onCanResize(position.cx, position.cy);
      return result;
    }
    case WM_DPICHANGED:
      onDpiChanged(HIWORD(wParam), lParam);
      return 0;
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
    case WM_SETFOCUS:
      // In text mode the keyboard belongs to the text area, from the first activation on.
      if (textArea_ && ::IsWindowVisible(textArea_)) ::SetFocus(textArea_);
      return 0;
    case WM_COMMAND:
      // Typing at the text area's limit is refused: let the user hear it.
      if (HIWORD(wParam) == EN_MAXTEXT && LOWORD(wParam) == kMemoId) {
        ::MessageBeep(MB_OK);
        return 0;
      }
      if (reinterpret_cast<HWND>(lParam) == textArea_ && textArea_) {
        if (HIWORD(wParam) == EN_CHANGE) onTextAreaChanged();
        return 0;
      }
      onCommand(LOWORD(wParam));
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
    case WM_ENDSESSION:
      // The process may end at any moment after this: nothing is stored from here on.
      if (wParam) sessionEnding_ = true;
      return 0;
    case WM_CLOSE:
      onClose();
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
  }
  return defaultProcedure(message, wParam, lParam);
}

void MainWindow::createControls() {
  dpi_ = win32::windowDpi(window_);
  surface_.setDpi(dpi_);
  formFont_ = win32::createJapaneseFont(scaleForDpi(kFormFontHeight, dpi_));
  textAreaFont_ = win32::createJapaneseFont(scaleForDpi(kMemoFontHeight, dpi_));
  toolBar_ = std::make_unique<win32::ToolBar>(instance_, window_, formFont_.get(), dpi_);
  // Borderless, wrapping at its width, without scroll bars.
  textArea_ = ::CreateWindowExW(
      0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL, 0, 0,
      0, 0, window_, reinterpret_cast<HMENU>(kMemoId), instance_, nullptr);
  ::SendMessageW(textArea_, WM_SETFONT, reinterpret_cast<WPARAM>(textAreaFont_.get()), FALSE);
  ::SendMessageW(textArea_, EM_SETLIMITTEXT, kTextAreaLimit, 0);
  textAreaLines_ = std::make_unique<win32::TextAreaLines>(textArea_);

  // The Edit menu's keys, taken before the text area sees them: its own one-step undo
  // could bring back text that the program, not the user, put there.
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'Z', static_cast<WORD>(kMenuUndoId)},
      {FVIRTKEY | FCONTROL, 'Y', static_cast<WORD>(kMenuRedoId)},
      {FVIRTKEY | FCONTROL | FSHIFT, 'Z', static_cast<WORD>(kMenuRedoId)},
  };
  accelerators_.reset(::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
  layout();
}

void MainWindow::onCommand(int id) {
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
    case kAbout1Id:
      showVersionDialog();
      break;
    case win32::kSendButtonId:
      onSendButtonClick();
      break;
    case win32::kColorButtonId:
      onColorButtonClick();
      break;
    case win32::kLineButtonId:
      onLineButtonClick();
      break;
    case kEraseButtonId:
      onEraseButtonClick();
      break;
    case kDrawingButtonId:
      onDrawingButtonClick();
      break;
    case kMenuUndoId:
      undo();
      break;
    case kMenuRedoId:
      redo();
      break;
    default:
      break;
  }
}

// --- Edit menu ---

void MainWindow::undo() {
  if (handwriting()) {
    showComposite(surface_.undo());
  } else if (const auto edit = textHistory_.undo()) {
    applyToTextArea(textArea_, *edit, ignoreTextChanges_);
  }
  updateEditMenu();
}

void MainWindow::redo() {
  if (handwriting()) {
    showComposite(surface_.redo());
  } else if (const auto edit = textHistory_.redo()) {
    applyToTextArea(textArea_, *edit, ignoreTextChanges_);
  }
  updateEditMenu();
}

void MainWindow::onTextAreaChanged() {
  if (ignoreTextChanges_) return;
  textHistory_.recordChange(win32::windowText(textArea_));
  updateEditMenu();
}

void MainWindow::startTextHistory() {
  textHistory_.reset(win32::windowText(textArea_));
  updateEditMenu();
}

void MainWindow::updateEditMenu() {
  const HMENU menu = ::GetMenu(window_);
  if (!menu) return;
  const bool canUndo = handwriting() ? surface_.canUndo() : textHistory_.canUndo();
  const bool canRedo = handwriting() ? surface_.canRedo() : textHistory_.canRedo();
  ::EnableMenuItem(menu, kMenuUndoId, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
  ::EnableMenuItem(menu, kMenuRedoId, MF_BYCOMMAND | (canRedo ? MF_ENABLED : MF_GRAYED));
}

// --- Creation sequence ---

// Each step reports its own failure and the next still runs: whatever happens to the
// settings file, the user's draft is loaded and the pictures exist.
void MainWindow::onCreate() {
  win32::runHandler(window_, [this] { readSettings(); });
  // The settings file holds the pen from the first start on: it is stored at once.
  win32::runHandler(window_, [this] { showAndStorePen(surface_.pen()); });
  win32::runHandler(window_, [this] { takeCommandLineAndDraft(); });
  if (endRequested_) return;
  win32::runHandler(window_, [this] { createPictures(); });
}

void MainWindow::readSettings() {
  mailClientPath_ = readMailClientPath(settingsFile_);
  surface_.setStartPen(readStoredPen(settingsFile_));
  surface_.setSmoothInk(readSmoothInk(settingsFile_));
}

void MainWindow::takeCommandLineAndDraft() {
  const CommandLineStep step = planCommandLine(splitCommandLine(wideToSjis(::GetCommandLineW())));
  attachmentFormat_ = attachmentFormatFromSwitch(step.imageFormat);
  if (step.action == CommandLineStep::Action::EndProgram) {
    endRequested_ = true;
    return;
  }
  headerLines_.clear();
  // A draft that cannot be read leaves an empty text area and a working window, and
  // Send refuses rather than hand back an empty mail in its place.
  std::optional<std::string> failure;
  {
    const FlagRaised loading(ignoreTextChanges_);
    failure = takeInDraft(step, *textAreaLines_, headerLines_, subject_);
  }
  startTextHistory();
  if (failure) {
    draftNotLoaded_ = step.draftPath;
    throw Error(*failure);
  }
}

void MainWindow::createPictures() {
  RECT memo{};
  ::GetClientRect(textArea_, &memo);
  surface_.createLayers(memo.right, memo.bottom);
}

// --- Window ---

RECT MainWindow::drawingArea() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  client.top = std::min<LONG>(drawingTop_, client.bottom);
  return client;
}

void MainWindow::layout() {
  RECT client{};
  ::GetClientRect(window_, &client);
  drawingTop_ = toolBar_->layout(client.right);
  const RECT area = drawingArea();
  // The text area covers the drawing area completely.
  ::MoveWindow(textArea_, 0, area.top, area.right, area.bottom - area.top, TRUE);
}

void MainWindow::growToDesignSize() {
  RECT outer{};
  ::GetWindowRect(window_, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const auto grown = [](LONG now, LONG wanted, LONG room) {
    return std::max(now, std::min(wanted, room));
  };
  const LONG width =
      grown(outer.right - outer.left, scaleForDpi(kDesignWidth, dpi_), work.right - work.left);
  const LONG height =
      grown(outer.bottom - outer.top, scaleForDpi(kDesignHeight, dpi_), work.bottom - work.top);
  if (width == outer.right - outer.left && height == outer.bottom - outer.top) return;
  // Moved back as far as needed to keep the grown window on the screen.
  const LONG left = std::max(work.left, std::min(outer.left, work.right - width));
  const LONG top = std::max(work.top, std::min(outer.top, work.bottom - height));
  ::SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::applyDpi() {
  // The new fonts are in the controls before the old ones are deleted.
  win32::Font formFont = win32::createJapaneseFont(scaleForDpi(kFormFontHeight, dpi_));
  win32::Font textAreaFont = win32::createJapaneseFont(scaleForDpi(kMemoFontHeight, dpi_));
  surface_.setDpi(dpi_);
  toolBar_->setDpi(dpi_, formFont.get());
  ::SendMessageW(textArea_, WM_SETFONT, reinterpret_cast<WPARAM>(textAreaFont.get()), TRUE);
  formFont_ = std::move(formFont);
  textAreaFont_ = std::move(textAreaFont);
}

// Moved to a monitor of another DPI (or the user changed the scale): everything is
// drawn anew at the new DPI in the rectangle Windows suggests. In handwriting mode the
// pictures keep their pixels, and the window still cannot grow beyond the size it had
// when the mode was entered.
void MainWindow::onDpiChanged(int dpi, LPARAM suggested) {
  if (!toolBar_ || dpi <= 0) return;
  dpi_ = dpi;
  applyDpi();
  win32::takeSuggestedRect(window_, suggested);
  onResize();
  ::InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::onResize() {
  if (!toolBar_) return;
  layout();
  const RECT area = drawingArea();
  surface_.resize(area.right - area.left, area.bottom - area.top);
}

void MainWindow::paintDrawingArea() {
  win32::PaintDc paint(window_);
  const Picture* composite = surface_.composite();
  if (!composite || composite->empty()) return;
  const RECT area = drawingArea();
  ::IntersectClipRect(paint.get(), area.left, area.top, area.right, area.bottom);
  const BITMAPINFO info = win32::topDownDibInfo(composite->width(), composite->height());
  ::SetDIBitsToDevice(paint.get(), 0, area.top, static_cast<DWORD>(composite->width()),
                      static_cast<DWORD>(composite->height()), 0, 0, 0,
                      static_cast<UINT>(composite->height()), composite->scanLine(0), &info,
                      DIB_RGB_COLORS);
}

void MainWindow::showComposite(const Rect& part) {
  const Picture* composite = surface_.composite();
  if (!composite || !window_) return;
  const RECT area = drawingArea();
  const Rect shown = part.intersect({0, 0, composite->width(), composite->height()})
                         .intersect({0, 0, area.right - area.left, area.bottom - area.top});
  if (shown.empty()) return;
  // Only the rows of the part, as a top-down picture of their own.
  const BITMAPINFO info = win32::topDownDibInfo(composite->width(), shown.height());
  const win32::WindowDc dc(window_);
  ::SetDIBitsToDevice(dc.get(), shown.left, area.top + shown.top, static_cast<DWORD>(shown.width()),
                      static_cast<DWORD>(shown.height()), shown.left, 0, 0,
                      static_cast<UINT>(shown.height()), composite->scanLine(shown.top), &info,
                      DIB_RGB_COLORS);
}

void MainWindow::onClose() {
  surface_.releaseLayers();
}

void MainWindow::onExitCommand() {
  ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

void MainWindow::onOpenCommand() {
  std::wstring& fileName = openDialogFile_;
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) return;
  // Opening a file starts the text history anew: the file's text is not the user's edit.
  {
    const FlagRaised loading(ignoreTextChanges_);
    loadTextFile(*textAreaLines_, wideToSjis(fileName.c_str()));
  }
  startTextHistory();
}

void MainWindow::showMailClientDialog() {
  if (!mailClientSelect_) return;
  const std::optional<std::string> picked = mailClientSelect_->showModal();
  // The stored path changes only when the user closed the dialog, never when the
  // program is ending under it.
  if (!picked || sessionEnding_ || !window_) return;
  mailClientPath_ = *picked;
  writeMailClientPath(settingsFile_, mailClientPath_);
}

void MainWindow::showVersionDialog() {
  if (versionForm_) versionForm_->showModal();
}

// Send's work lives with the hand-off to the mail client; it is bound here.
void MainWindow::onSendButtonClick() {
  win32::sendFromMainWindow(
      window_, {mailClientPath_, subject_, headerLines_, attachmentFormat_, draftNotLoaded_},
      *textAreaLines_, surface_.composite(), [this] { showMailClientDialog(); });
}

// --- Pen tools ---

void MainWindow::showAndStorePen(const Pen& pen) {
  // Shown first: the buttons show the pen in force even when storing it fails.
  toolBar_->showPen(pen);
  storePen(settingsFile_, pen);
}

void MainWindow::onColorButtonClick() {
  showAndStorePen(surface_.cyclePenColor());
}

void MainWindow::onLineButtonClick() {
  showAndStorePen(surface_.cyclePenWidth());
}

void MainWindow::onEraseButtonClick() {
  surface_.setEraser(toolBar_->isDown(kEraseButtonId));
}

// --- Handwriting mode ---

bool MainWindow::handwriting() const {
  return textArea_ && !::IsWindowVisible(textArea_) && toolBar_ &&
         toolBar_->isDown(kDrawingButtonId);
}

void MainWindow::onDrawingButtonClick() {
  const bool down = toolBar_->isDown(kDrawingButtonId);
  RECT outer{}, memo{};
  ::GetWindowRect(window_, &outer);
  ::GetClientRect(textArea_, &memo);
  win32::EditSnapshot snapshot(textArea_);
  sizeCap_.record(outer.right - outer.left, outer.bottom - outer.top);
  Rect changed;
  try {
    changed = down ? surface_.enterHandwriting(snapshot, memo.right, memo.bottom)
                   : surface_.leaveHandwriting(memo.right, memo.bottom);
  } catch (...) {
    // The mode did not change: the button goes back to the mode in force.
    ::SendMessageW(toolBar_->toolBar(), TB_CHECKBUTTON, kDrawingButtonId, MAKELPARAM(!down, 0));
    throw;
  }
  toolBar_->showHandwritingMode(down);
  ::ShowWindow(textArea_, down ? SW_HIDE : SW_SHOW);
  ::SetFocus(down ? window_ : textArea_);
  showComposite(changed);
  // Each mode offers its own history.
  textHistory_.seal();
  updateEditMenu();
}

void MainWindow::onCanResize(int& width, int& height) const {
  if (!toolBar_) return;
  std::int32_t w = width, h = height;
  sizeCap_.limit(toolBar_->isDown(kDrawingButtonId), w, h);
  width = w;
  height = h;
}

// --- Strokes ---

std::vector<Point> MainWindow::mergedMoves(UINT message, POINT client) {
  POINT screen = client;
  ::ClientToScreen(window_, &screen);
  MOUSEMOVEPOINT current{};
  current.x = screen.x & 0xFFFF;
  current.y = screen.y & 0xFFFF;
  current.time = static_cast<DWORD>(::GetMessageTime());
  const MOUSEMOVEPOINT previous = lastMove_;
  lastMove_ = current;

  std::vector<Point> merged;
  if (message != WM_MOUSEMOVE || !surface_.smoothInk() || !surface_.isDrawing()) return merged;
  // Newest first; the first entry is `current` itself. A position the history does
  // not hold (a synthesised message) gives -1: then there is nothing to recover.
  MOUSEMOVEPOINT history[64];
  const int count =
      ::GetMouseMovePointsEx(sizeof current, &current, history, 64, GMMP_USE_DISPLAY_POINTS);
  if (count <= 1) return merged;
  int newer = 1;
  while (newer < count && history[newer].time >= previous.time &&
         !(history[newer].x == previous.x && history[newer].y == previous.y &&
           history[newer].time == previous.time)) {
    ++newer;
  }
  for (int i = newer - 1; i >= 1; --i) {
    // Display coordinates come as 16-bit values; left of or above the primary
    // monitor they are negative.
    POINT point{history[i].x > 32767 ? history[i].x - 65536 : history[i].x,
                history[i].y > 32767 ? history[i].y - 65536 : history[i].y};
    ::ScreenToClient(window_, &point);
    merged.push_back({point.x, point.y - drawingTop_});
  }
  return merged;
}

void MainWindow::onMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!handwriting()) return;
  const Point at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) - drawingTop_};
  const bool inArea = at.y >= 0;
  const std::vector<Point> merged =
      mergedMoves(message, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  const bool wasDrawing = surface_.isDrawing();
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!inArea) return;
      // The drawing area keeps the mouse until the left button's release.
      ::SetCapture(window_);
      showComposite(surface_.penDown(kLeftButton, at));
      break;
    case WM_RBUTTONDOWN:
      if (inArea) showComposite(surface_.penDown(kRightButton, at));
      break;
    case WM_MBUTTONDOWN:
      if (inArea) showComposite(surface_.penDown(kMiddleButton, at));
      break;
    case WM_MOUSEMOVE:
      // Fast strokes stay round: the positions between two move messages come first.
      for (const Point& between : merged) {
        showComposite(surface_.penMove(heldButtons(wParam), between));
      }
      showComposite(surface_.penMove(heldButtons(wParam), at));
      break;
    case WM_LBUTTONUP:
      if (::GetCapture() == window_) ::ReleaseCapture();
      showComposite(surface_.penUp(kLeftButton, at));
      break;
    case WM_RBUTTONUP:
      showComposite(surface_.penUp(kRightButton, at));
      break;
    case WM_MBUTTONUP:
      showComposite(surface_.penUp(kMiddleButton, at));
      break;
  }
  // A stroke that ended is a step to take back; one that began ended the redos. A
  // move within a stroke changes neither.
  if (message != WM_MOUSEMOVE || wasDrawing != surface_.isDrawing()) updateEditMenu();
}

}  // namespace fudekko

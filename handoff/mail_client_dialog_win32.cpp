#include "handoff/mail_client_dialog_win32.h"

#include <algorithm>
#include <string_view>

#include "common/errors.h"
#include "common/shift_jis.h"
#include "win32/fonts_win32.h"
#include "win32/modal_dialog_win32.h"

namespace fudekko {

namespace {

constexpr wchar_t kClassName[] = L"TALMailSelect";
constexpr wchar_t kCaption[] = L"AL-Mailの選択";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kEdit1Id = 101;
constexpr int kSpeedButton1Id = 102;
// Room for any path the file dialog can give.
constexpr std::size_t kFileNameCapacity = 32768;

// The filter in the form's notation, "name|pattern", as the file dialog wants it:
// each part ended by a zero, and one more zero at the end.
std::wstring dialogFilter(std::wstring_view filter) {
  std::wstring result(filter);
  std::replace(result.begin(), result.end(), L'|', L'\0');
  result.append(2, L'\0');
  return result;
}

const std::wstring kOpenDialogFilter = dialogFilter(L"ﾌﾟﾛｸﾞﾗﾑ|*.exe");

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

// The settings keep paths in Shift-JIS. A picked path with a character that has no
// Shift-JIS form would name no file after the round trip; its short form does.
std::wstring pathKeptInShiftJis(const std::wstring& path) {
  if (sjisToWide(wideToSjis(path)) == path) return path;
  std::wstring shortPath(kFileNameCapacity, L'\0');
  const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), DWORD(shortPath.size()));
  if (length == 0 || length >= shortPath.size()) return path;
  shortPath.resize(length);
  return shortPath;
}

HWND createControl(HWND parent, HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                   DWORD style, DWORD exStyle, int x, int y, int width, int height, int id,
                   HFONT font) {
  const HWND control = ::CreateWindowExW(
      exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// The size of `text` in `font`: a label sizes itself to its text.
SIZE textSize(HWND window, HFONT font, const wchar_t* text) {
  win32::WindowDc dc(window);
  const win32::Selection selected(dc.get(), font);
  RECT area{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text, -1, &area, DT_CALCRECT | DT_NOPREFIX);
  return {area.right - area.left, area.bottom - area.top};
}

}  // namespace

MailClientDialog::MailClientDialog(HINSTANCE instance, HWND owner, const std::string& initialPath)
    : owner_(owner), initialPath_(initialPath), font_(win32::createJapaneseFont(16)) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE));
  RECT frame{0, 0, 375, 94};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  createWindow(instance, kClassName, kCaption, kStyle, kExStyle, 233, 216, frame.right - frame.left,
               frame.bottom - frame.top, owner);

  openDialogFileName_.assign(kFileNameCapacity, L'\0');
  std::wstring_view initialName = L"almail.exe";
  std::copy(initialName.begin(), initialName.end(), openDialogFileName_.begin());
  openDialog_.lStructSize = sizeof openDialog_;
  openDialog_.hInstance = instance;
  openDialog_.lpstrFilter = kOpenDialogFilter.c_str();
  openDialog_.nFilterIndex = 1;
  openDialog_.lpstrFile = openDialogFileName_.data();
  openDialog_.nMaxFile = DWORD(openDialogFileName_.size());
  openDialog_.lpstrInitialDir = L"c:\\Program Files";
  openDialog_.lpstrTitle = kCaption;
  openDialog_.lpstrDefExt = L"exe";
  openDialog_.Flags =
      OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
}

LRESULT MailClientDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      createControls();
      onCreate();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:      // okButton_ or Enter
        case IDCANCEL:  // Escape, as the close box
          close();
          return 0;
        case kSpeedButton1Id:
          if (HIWORD(wParam) == BN_CLICKED) onBrowseButtonClick();
          return 0;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CLOSE:
      close();
      return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

void MailClientDialog::createControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  const HFONT font = font_.get();
  const wchar_t* const question = L"Al-Mailはどこにありますか？";
  const SIZE questionSize = textSize(window_, font, question);
  promptLabel_ = createControl(window_, instance, L"STATIC", question, SS_LEFT | SS_NOPREFIX, 0, 24,
                               8, questionSize.cx, questionSize.cy, -1, font);
  pathEdit_ = createControl(window_, instance, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL,
                            WS_EX_CLIENTEDGE, 24, 32, 313, 24, kEdit1Id, font);
  // A tool button: clicked with the mouse, never in the tab order.
  browseButton_ = createControl(window_, instance, L"BUTTON", L"...", BS_PUSHBUTTON, 0, 344, 32, 23,
                                22, kSpeedButton1Id, font);
  okButton_ = createControl(window_, instance, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                            144, 64, 75, 25, IDOK, font);
}

void MailClientDialog::onCreate() {
  ::SetWindowTextW(pathEdit_, sjisToWide(initialPath_).c_str());
}

std::optional<std::string> MailClientDialog::showModal() {
  // Already showing, or destroyed with its owner.
  if (!closed_ || !window_) return std::nullopt;
  closed_ = false;
  win32::runModal(window_, owner_, pathEdit_, closed_);
  // Only close() sets it: the loop also ends at the program's end, when the edit
  // control may already be gone and its text empty.
  const bool closedByUser = closed_;
  closed_ = true;
  if (!closedByUser || !window_) return std::nullopt;
  return wideToSjis(windowText(pathEdit_));
}

void MailClientDialog::close() {
  win32::endModal(window_, closed_);
}

void MailClientDialog::onBrowseButtonClick() {
  openDialog_.hwndOwner = window_;
  const BOOL picked = ::GetOpenFileNameW(&openDialog_);
  // A tool button does not keep the focus: Enter goes on to mean OK.
  ::SetFocus(pathEdit_);
  if (picked) {
    ::SetWindowTextW(pathEdit_, pathKeptInShiftJis(openDialog_.lpstrFile).c_str());
    return;
  }
  // Zero means the user cancelled; anything else is a failure of the dialog itself.
  if (const DWORD failure = ::CommDlgExtendedError()) {
    throw Error("ファイルを開くダイアログを表示できません (" + std::to_string(failure) + ")");
  }
}

}  // namespace fudekko

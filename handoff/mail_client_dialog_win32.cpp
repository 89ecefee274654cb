#include "handoff/mail_client_dialog_win32.h"

#include <algorithm>
#include <string_view>

#include "common/errors.h"
#include "common/shift_jis.h"
#include "win32/dpi_win32.h"
#include "win32/fonts_win32.h"
#include "win32/modal_dialog_win32.h"
#include "win32/sjis_path_win32.h"
#include "win32/window_text_win32.h"

namespace fudekko {

namespace {

constexpr wchar_t kClassName[] = L"TALMailSelect";
constexpr wchar_t kCaption[] = L"AL-Mailの選択";
constexpr int kPathEditId = 101;
constexpr int kBrowseButtonId = 102;
constexpr int kMapiCheckBoxId = 103;
// The layout at 96 DPI; it is drawn scaled to the dialog's DPI. The check box of the
// default mail client takes a row of its own above OK.
constexpr int kLeft = 233, kTop = 216, kClientWidth = 375, kClientHeight = 122;
constexpr int kMapiRowHeight = 28;
constexpr int kFontHeight = 16;
// Room for any path the file dialog can give.
constexpr std::size_t kFileNameCapacity = 32768;

// The filter "name|pattern" as the file dialog wants it:
// each part ended by a zero, and one more zero at the end.
std::wstring dialogFilter(std::wstring_view filter) {
  std::wstring result(filter);
  std::replace(result.begin(), result.end(), L'|', L'\0');
  result.append(2, L'\0');
  return result;
}

const std::wstring kOpenDialogFilter = dialogFilter(L"ﾌﾟﾛｸﾞﾗﾑ|*.exe");
constexpr wchar_t kQuestion[] = L"Al-Mailはどこにありますか？";
constexpr wchar_t kMapiCheckBoxText[] = L"既定のメールソフトで送る (MAPI)";

// The settings keep paths in Shift-JIS. A picked path with a character that has no
// Shift-JIS form would name no file after the round trip; its short form does.
std::wstring pathKeptInShiftJis(const std::wstring& path) {
  const std::optional<std::string> sjis = win32::sjisSpelling(path);
  return sjis ? sjisToWide(*sjis) : path;
}

}  // namespace

MailClientDialog::MailClientDialog(HINSTANCE instance, HWND owner, const MailClientChoice& initial)
    : owner_(owner), initial_(initial) {
  createDialog(instance, kClassName, kCaption, kLeft, kTop, owner);

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
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:      // okButton_ or Enter
        case IDCANCEL:  // Escape, as the close box
          close();
          return 0;
        case kBrowseButtonId:
          if (HIWORD(wParam) == BN_CLICKED) onBrowseButtonClick();
          return 0;
        case kMapiCheckBoxId:
          if (HIWORD(wParam) == BN_CLICKED) enablePath();
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
  promptLabel_ = createControl(L"STATIC", kQuestion, SS_LEFT | SS_NOPREFIX, 0, -1);
  pathEdit_ =
      createControl(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kPathEditId);
  // A tool button: clicked with the mouse, never in the tab order.
  browseButton_ = createControl(L"BUTTON", L"...", BS_PUSHBUTTON, 0, kBrowseButtonId);
  mapiCheckBox_ =
      createControl(L"BUTTON", kMapiCheckBoxText, WS_TABSTOP | BS_AUTOCHECKBOX, 0, kMapiCheckBoxId);
  okButton_ = createControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK);
  layout();
}

void MailClientDialog::layout() {
  const win32::DpiScale at(dpi_);
  win32::Font font = win32::createJapaneseFont(at(kFontHeight));
  const SIZE questionSize = textSize(font.get(), kQuestion);
  const struct {
    HWND control;
    int x, y, width, height;
  } places[] = {
      {promptLabel_, at(24), at(8), questionSize.cx, questionSize.cy},
      {pathEdit_, at(24), at(32), at(313), at(24)},
      {browseButton_, at(344), at(32), at(23), at(22)},
      {mapiCheckBox_, at(24), at(64), at(343), at(20)},
      {okButton_, at(144), at(64 + kMapiRowHeight), at(75), at(25)},
  };
  for (const auto& place : places) {
    ::SendMessageW(place.control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    ::SetWindowPos(place.control, nullptr, place.x, place.y, place.width, place.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  font_ = std::move(font);
  // The question is never cut off, whatever width the font gives it.
  const int width = std::max(at(kClientWidth), at(24) + int(questionSize.cx));
  sizeToClient(width, at(kClientHeight));
}

void MailClientDialog::onCreate() {
  ::SetWindowTextW(pathEdit_, sjisToWide(initial_.path).c_str());
  ::SendMessageW(mapiCheckBox_, BM_SETCHECK, initial_.throughMapi ? BST_CHECKED : BST_UNCHECKED, 0);
  enablePath();
}

void MailClientDialog::enablePath() {
  const bool path = ::SendMessageW(mapiCheckBox_, BM_GETCHECK, 0, 0) != BST_CHECKED;
  ::EnableWindow(pathEdit_, path);
  ::EnableWindow(browseButton_, path);
}

std::optional<MailClientChoice> MailClientDialog::showModal() {
  // Already showing, or destroyed with its owner.
  if (!closed_ || !handle()) return std::nullopt;
  closed_ = false;
  win32::runModal(handle(), owner_, ::IsWindowEnabled(pathEdit_) ? pathEdit_ : mapiCheckBox_,
                  closed_);
  // Only close() sets it: the loop also ends at the program's end, when the edit
  // control may already be gone and its text empty.
  const bool closedByUser = closed_;
  closed_ = true;
  if (!closedByUser || !handle()) return std::nullopt;
  return MailClientChoice{wideToSjis(win32::windowText(pathEdit_)),
                          ::SendMessageW(mapiCheckBox_, BM_GETCHECK, 0, 0) == BST_CHECKED};
}

void MailClientDialog::close() {
  win32::endModal(handle(), closed_);
}

void MailClientDialog::onBrowseButtonClick() {
  openDialog_.hwndOwner = handle();
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

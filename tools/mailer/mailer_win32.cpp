// A stand-in for the mail client, for the tests and the demo. It does only the mail
// client's side of the hand-off:
//
//   almail-standin [--log FILE] [--visible] --edit EDITOR [/FORMAT] DRAFT
//     owns a send window titled "メール送信" (hidden unless --visible) and starts
//     EDITOR on DRAFT, as a mail client starts its external editor. A close request
//     to that window asks for confirmation; the key Y (or the Yes button) accepts it
//     and the window goes. The program ends when both the send window and the editor
//     are gone; an editor that ends while no confirmation is open takes the window along.
//
//   almail-standin /file:"DRAFT" /attach:"PICTURE"
//     shows the draft's text and the attached picture in a window titled "メール送信".
//
// With --log FILE, or the environment variable FUDEKKO_MAILER_LOG, every command line
// it gets, every close request, key and decision is appended to FILE as a UTF-8 line
// "<process id> <event> <details>". --log is handed on to the programs it starts.

#include <windows.h>
// GDI+ decodes the attachment: BMP, PNG and GIF alike.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "common/byte_stream.h"
#include "common/shift_jis.h"
#include "win32/handles_win32.h"

namespace {

using fudekko::sjisToWide;
using fudekko::wideToUtf8;
namespace win32 = fudekko::win32;

constexpr wchar_t kLogVariable[] = L"FUDEKKO_MAILER_LOG";
constexpr wchar_t kSendWindowClass[] = L"FudekkoMailerSendWindow";
constexpr wchar_t kConfirmClass[] = L"FudekkoMailerConfirm";
constexpr wchar_t kMailWindowClass[] = L"FudekkoMailerMail";
constexpr wchar_t kSendTitle[] = L"メール送信";
constexpr int kYesButton = 101;
constexpr int kNoButton = 102;

// ---------------------------------------------------------------------------------
// The log

std::wstring environment(const wchar_t* name) {
  std::wstring value(::GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  if (value.empty()) return {};
  value.resize(::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

// One write per line, appended, so that lines of several copies never mix.
void logEvent(const std::string& event, const std::wstring& details = {}) {
  const std::wstring path = environment(kLogVariable);
  if (path.empty()) return;
  win32::Handle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    return;
  }
  std::string line = std::to_string(::GetCurrentProcessId());
  line.append(" ").append(event);
  if (!details.empty()) line.append(" ").append(wideToUtf8(details));
  line.append("\n");
  DWORD written = 0;
  ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::wstring hex(unsigned value) {
  wchar_t text[16];
  ::wsprintfW(text, L"0x%02X", value);
  return text;
}

// ---------------------------------------------------------------------------------
// Editor mode: the pending send window and its confirmation

struct EditorSession {
  HWND sendWindow = nullptr;
  HWND confirmWindow = nullptr;
  win32::Handle editor;
};
EditorSession session;

void closeConfirmation() {
  if (session.confirmWindow) ::DestroyWindow(session.confirmWindow);
  session.confirmWindow = nullptr;
}

void answerConfirmation(bool accepted) {
  logEvent(accepted ? "close-accepted" : "close-declined");
  closeConfirmation();
  if (accepted && session.sendWindow) ::DestroyWindow(session.sendWindow);
}

// A font with Japanese glyphs (the stock GUI font under Wine has none); where the
// face is missing, the Shift-JIS character set picks another Japanese one.
HFONT uiFont() {
  static const win32::Font font(::CreateFontW(
      -13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"IPAPGothic"));
  return font ? font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HWND addChild(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int x, int y,
              int width, int height, int id = 0) {
  HWND child = ::CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), TRUE);
  return child;
}

void openConfirmation() {
  if (session.confirmWindow) return;
  session.confirmWindow = ::CreateWindowExW(WS_EX_TOPMOST, kConfirmClass, L"送信の中止",
                                            WS_POPUP | WS_CAPTION | WS_VISIBLE, 200, 200, 320, 130,
                                            nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  addChild(session.confirmWindow, L"STATIC", L"書きかけのメールを破棄しますか？", 0, 16, 12, 280,
           20);
  addChild(session.confirmWindow, L"BUTTON", L"はい(&Y)", BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 48, 90,
           26, kYesButton);
  addChild(session.confirmWindow, L"BUTTON", L"いいえ(&N)", BS_PUSHBUTTON | WS_TABSTOP, 164, 48, 90,
           26, kNoButton);
}

LRESULT CALLBACK confirmProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kYesButton || LOWORD(wParam) == kNoButton) {
        answerConfirmation(LOWORD(wParam) == kYesButton);
        return 0;
      }
      break;
    case WM_CLOSE:
      answerConfirmation(false);
      return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK sendWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      logEvent("close-request", ::IsWindowVisible(window) ? L"visible" : L"hidden");
      openConfirmation();
      return 0;
    case WM_DESTROY:
      logEvent("send-window-closed");
      session.sendWindow = nullptr;
      // Stays until the editor has ended too, so that the log records its end.
      if (!session.editor) ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Keys are logged and, while the confirmation is open, answer it whichever of our
// windows they were sent to: the key arrives where the focus was when it was typed.
// Either half of the stroke answers, because Wine may hand the press to the window
// that was in front before SetForegroundWindow took effect.
bool handleKey(const MSG& message) {
  const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  const auto key = static_cast<unsigned>(message.wParam);
  logEvent(down ? "key-down" : "key-up", hex(key));
  if (!session.confirmWindow) return false;
  if (key == 'Y' || key == 'N') {
    answerConfirmation(key == 'Y');
    return true;
  }
  return false;
}

void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpfnWndProc = procedure;
  windowClass.lpszClassName = name;
  ::RegisterClassExW(&windowClass);
}

std::wstring quoted(const std::wstring& argument) {
  return L"\"" + argument + L"\"";
}

int runEditor(const std::wstring& editor, const std::vector<std::wstring>& rest, bool visible) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  registerWindowClass(instance, kSendWindowClass, sendWindowProcedure);
  registerWindowClass(instance, kConfirmClass, confirmProcedure);

  session.sendWindow = ::CreateWindowExW(0, kSendWindowClass, kSendTitle, WS_OVERLAPPEDWINDOW, 100,
                                         100, 400, 200, nullptr, nullptr, instance, nullptr);
  if (visible) ::ShowWindow(session.sendWindow, SW_SHOWNORMAL);
  logEvent("send-window", visible ? L"visible" : L"hidden");

  // The editor gets an optional switch and the draft, the draft in quotes.
  std::wstring commandLine = quoted(editor);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const bool isSwitch = i + 1 < rest.size() && rest[i].starts_with(L"/");
    commandLine += L" " + (isSwitch ? rest[i] : quoted(rest[i]));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
    logEvent("editor-failed", commandLine);
    return 1;
  }
  win32::Handle thread(started.hThread);
  session.editor.reset(started.hProcess);
  logEvent("editor-started", commandLine);

  for (;;) {
    HANDLE waitFor = session.editor.get();
    const DWORD count = waitFor ? 1 : 0;
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count ? &waitFor : nullptr, INFINITE,
                                                     QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count && woke == WAIT_OBJECT_0) {
      DWORD exitCode = 0;
      ::GetExitCodeProcess(session.editor.get(), &exitCode);
      logEvent("editor-ended", std::to_wstring(exitCode));
      session.editor.reset();
      if (!session.sendWindow) {
        ::PostQuitMessage(0);
      } else if (!session.confirmWindow) {
        ::DestroyWindow(session.sendWindow);
      }
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (handleKey(message)) continue;
      if (session.confirmWindow && ::IsDialogMessageW(session.confirmWindow, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

// ---------------------------------------------------------------------------------
// Mail mode: the new send window with the draft and the attachment

class GdiPlus {
 public:
  GdiPlus() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiPlus() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiPlus(const GdiPlus&) = delete;
  GdiPlus& operator=(const GdiPlus&) = delete;

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

class GdiPlusBitmap {
 public:
  explicit GdiPlusBitmap(const std::wstring& path) {
    Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap_);
  }
  ~GdiPlusBitmap() {
    if (bitmap_) Gdiplus::DllExports::GdipDisposeImage(bitmap_);
  }
  GdiPlusBitmap(const GdiPlusBitmap&) = delete;
  GdiPlusBitmap& operator=(const GdiPlusBitmap&) = delete;

  win32::Bitmap toGdi() const {
    HBITMAP gdi = nullptr;
    if (bitmap_) Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap_, &gdi, 0xFFFFFFFF);
    return win32::Bitmap(gdi);
  }

 private:
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

struct MailView {
  win32::Bitmap picture;
  SIZE pictureSize{};
  int pictureTop = 0;
};
MailView mail;

LRESULT CALLBACK mailProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      win32::PaintDc paint(window);
      if (mail.picture) {
        win32::MemoryDc source(::CreateCompatibleDC(paint.get()));
        win32::Selection selected(source.get(), mail.picture.get());
        ::BitBlt(paint.get(), 8, mail.pictureTop, mail.pictureSize.cx, mail.pictureSize.cy,
                 source.get(), 0, 0, SRCCOPY);
      }
      return 0;
    }
    case WM_CLOSE:
      logEvent("close-request", L"mail");
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// The value of `/name:` in the raw command line: a quoted stretch, or up to a blank.
// The raw line is read because the program's own path before it is not quoted.
std::optional<std::wstring> option(const std::wstring& commandLine, const std::wstring& name) {
  const std::size_t at = commandLine.find(name);
  if (at == std::wstring::npos) return std::nullopt;
  std::size_t from = at + name.size();
  if (from < commandLine.size() && commandLine[from] == L'"') {
    ++from;
    return commandLine.substr(from, commandLine.find(L'"', from) - from);
  }
  return commandLine.substr(from, commandLine.find(L' ', from) - from);
}

std::wstring readDraft(const std::wstring& path) {
  try {
    const auto bytes = fudekko::readWholeFile(fudekko::wideToSjis(path));
    return sjisToWide(std::string(bytes.begin(), bytes.end()));
  } catch (const std::exception&) {
    return L"(下書きを読めません: " + path + L")";
  }
}

int runMail(const std::wstring& draft, const std::wstring& attachment) {
  GdiPlus gdiPlus;
  const std::wstring text = readDraft(draft);
  {
    const GdiPlusBitmap decoded(attachment);
    mail.picture = decoded.toGdi();
  }
  if (mail.picture) {
    BITMAP info{};
    ::GetObjectW(mail.picture.get(), sizeof info, &info);
    mail.pictureSize = {info.bmWidth, info.bmHeight};
    logEvent("attachment", std::to_wstring(info.bmWidth) + L"x" + std::to_wstring(info.bmHeight) +
                               L" " + attachment);
  } else {
    logEvent("attachment-unreadable", attachment);
  }

  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  registerWindowClass(instance, kMailWindowClass, mailProcedure);

  const int width = std::clamp(static_cast<int>(mail.pictureSize.cx) + 32, 520, 1200);
  const int textHeight = 180;
  mail.pictureTop = 8 + 20 + 4 + textHeight + 8 + 20 + 4;
  const int height =
      std::clamp(mail.pictureTop + static_cast<int>(mail.pictureSize.cy) + 48, 360, 1000);
  HWND window = ::CreateWindowExW(0, kMailWindowClass, kSendTitle, WS_OVERLAPPEDWINDOW, 40, 40,
                                  width, height, nullptr, nullptr, instance, nullptr);
  addChild(window, L"STATIC", (L"下書き: " + draft).c_str(), SS_NOPREFIX, 8, 8, width - 32, 20);
  // Lines unwrapped, scrolled sideways: the edit control would take minutes to wrap a
  // line of a megabyte.
  HWND body = addChild(window, L"EDIT", text.c_str(),
                       WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                           ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                       8, 32, width - 32, textHeight);
  ::SendMessageW(body, EM_SETSEL, 0, 0);
  addChild(window, L"STATIC", (L"添付: " + attachment).c_str(), SS_NOPREFIX, 8, 32 + textHeight + 8,
           width - 32, 20);
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

int usage() {
  ::MessageBoxW(nullptr,
                L"almail-standin [--log FILE] [--visible] --edit EDITOR [/FORMAT] DRAFT\n"
                L"almail-standin /file:\"DRAFT\" /attach:\"PICTURE\"",
                L"almail-standin", MB_OK);
  return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring commandLine = ::GetCommandLineW();
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(commandLine.c_str(), &count);
  std::vector<std::wstring> args(arguments, arguments + count);
  ::LocalFree(arguments);

  // The log option comes first so that the command line itself is logged.
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == L"--log") ::SetEnvironmentVariableW(kLogVariable, args[i + 1].c_str());
  }
  logEvent("command-line", commandLine);

  bool visible = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == L"--log") {
      ++i;
    } else if (args[i] == L"--visible") {
      visible = true;
    } else if (args[i] == L"--edit" && i + 1 < args.size()) {
      return runEditor(args[i + 1], {args.begin() + static_cast<std::ptrdiff_t>(i) + 2, args.end()},
                       visible);
    }
  }
  const auto draft = option(commandLine, L"/file:");
  const auto attachment = option(commandLine, L"/attach:");
  if (draft && attachment) return runMail(*draft, *attachment);
  return usage();
}

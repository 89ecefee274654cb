// The end-to-end tests' hands and eyes inside Wine: finds windows by title, reads their
// text and controls, sends them real window messages and synthesised input, and saves
// screenshots. Prints UTF-8 to standard output; exits 1 when what it looks for is absent.
//
//   e2e_driver list
//   e2e_driver find TITLE [--timeout MS] [--visible|--hidden] [--exact] [--class NAME]
//   e2e_driver enabled HWND                         (prints enabled or disabled)
//   e2e_driver exists PATH                          (exits 1 when no such file)
//   e2e_driver gone HWND [--timeout MS]
//   e2e_driver text HWND
//   e2e_driver children HWND
//   e2e_driver rect HWND
//   e2e_driver message HWND MSG WPARAM LPARAM     (SendMessage; prints the result)
//   e2e_driver post HWND MSG WPARAM LPARAM
//   e2e_driver settext HWND UTF8-TEXT
//   e2e_driver mouse HWND down|move|up X Y [left|right|middle][+shift]   (client coordinates)
//   e2e_driver stroke HWND X1 Y1 X2 Y2 [X Y...]   (client coordinates, left button: down,
//                                                  moves, up at the last point)
//   e2e_driver input-drag X1 Y1 X2 Y2 [STEPS]     (screen coordinates, left button)
//   e2e_driver input-move X Y                      (screen coordinates, no button)
//   e2e_driver key VK [VK...]                       (press in order, release in reverse)
//   e2e_driver foreground HWND [--timeout MS]      (with a time-out, waits until it has
//                                                   the keyboard focus)
//   e2e_driver pixel HWND X Y                       (client coordinates; prints 0xBBGGRR)
//   e2e_driver screenshot HWND OUT.bmp [--client]
//   e2e_driver move HWND X Y W H
//   e2e_driver terminate HWND                      (ends the window's process at once, as
//                                                   a crash would: no message reaches it)
//   e2e_driver suspend|resume HWND                 (the window's thread, as if it hung)
//   e2e_driver dpichanged HWND DPI LEFT TOP RIGHT BOTTOM   (WM_DPICHANGED with that
//                                                            suggested rectangle)
//   e2e_driver clipboard FOLDER   (prints the clipboard's formats in their order, a
//                                  registered one by name; writes "PNG", CF_DIBV5 and
//                                  CF_DIB, where present, to clipboard.png, .dibv5, .dib)
//
// For the benchmarks, timed here rather than by the caller, whose every driver call costs
// a Wine process start (both print the milliseconds, and exit 1 after 300 s):
//   e2e_driver launch-timed CLASS TITLE PROGRAM [ARG...]   (starts the program, waits for
//                                                   its visible window of that class and
//                                                   title; prints the window's handle too)
//   e2e_driver post-timed HWND MSG WPARAM LPARAM WATCH X Y COLOR   (posts the message,
//                                                   waits until WATCH's client pixel at X,
//                                                   Y is 0xBBGGRR COLOR)
//
// HWND is a decimal handle as printed by `find`.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/byte_stream.h"
#include "common/scope_guard.h"
#include "common/shift_jis.h"
#include "imaging/bmp_writer.h"
#include "imaging/picture.h"
#include "win32/dib_win32.h"
#include "win32/dpi_win32.h"
#include "win32/handles_win32.h"

namespace {

using fudekko::utf8ToWide;
using fudekko::wideToUtf8;

void print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), int(text.size()))));
  return wideToUtf8(text);
}

std::string className(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return wideToUtf8(name);
}

HWND toWindow(const wchar_t* text) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(text, nullptr, 10)));
}

std::string windowId(HWND window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool hasOption(int argc, wchar_t** argv, const wchar_t* option) {
  for (int i = 0; i < argc; ++i)
    if (std::wcscmp(argv[i], option) == 0) return true;
  return false;
}

const wchar_t* classOption(int argc, wchar_t** argv) {
  for (int i = 0; i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], L"--class") == 0) return argv[i + 1];
  return nullptr;
}

DWORD timeoutOption(int argc, wchar_t** argv, DWORD fallback) {
  for (int i = 0; i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], L"--timeout") == 0) return std::wcstoul(argv[i + 1], nullptr, 10);
  return fallback;
}

int find(int argc, wchar_t** argv) {
  const std::string wanted = wideToUtf8(argv[2]);
  const bool visible = hasOption(argc, argv, L"--visible");
  const bool hidden = hasOption(argc, argv, L"--hidden");
  const bool exact = hasOption(argc, argv, L"--exact");
  const wchar_t* const wantedClass = classOption(argc, argv);
  const DWORD deadline = ::GetTickCount() + timeoutOption(argc, argv, 0);
  do {
    for (HWND window : topLevelWindows()) {
      const bool shown = ::IsWindowVisible(window);
      if ((visible && !shown) || (hidden && shown)) continue;
      if (wantedClass && className(window) != wideToUtf8(wantedClass)) continue;
      const std::string title = windowText(window);
      if (exact ? title == wanted : title.find(wanted) != std::string::npos) {
        print(windowId(window));
        return 0;
      }
    }
    ::Sleep(100);
  } while (static_cast<LONG>(deadline - ::GetTickCount()) > 0);
  return 1;
}

int gone(int argc, wchar_t** argv) {
  const HWND window = toWindow(argv[2]);
  const DWORD deadline = ::GetTickCount() + timeoutOption(argc, argv, 0);
  do {
    if (!::IsWindow(window)) return 0;
    ::Sleep(100);
  } while (static_cast<LONG>(deadline - ::GetTickCount()) > 0);
  return 1;
}

// True when the window is in front and its thread has put the keyboard focus on it or
// on one of its controls: only then does synthesised key input reach it.
bool hasKeyboard(HWND window) {
  if (::GetForegroundWindow() != window) return false;
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread)) return false;
  return thread.hwndFocus == window || ::IsChild(window, thread.hwndFocus);
}

// Wine activates a window of another process asynchronously: a key sent at once may
// still go to the window that was in front before. So with a time-out, ask again until
// the window really has the keyboard.
int foreground(int argc, wchar_t** argv) {
  const HWND window = toWindow(argv[2]);
  const DWORD timeout = timeoutOption(argc, argv, 0);
  if (timeout == 0) return ::SetForegroundWindow(window) ? 0 : 1;
  const DWORD deadline = ::GetTickCount() + timeout;
  do {
    if (hasKeyboard(window)) return 0;
    ::SetForegroundWindow(window);
    ::Sleep(50);
  } while (static_cast<LONG>(deadline - ::GetTickCount()) > 0);
  return hasKeyboard(window) ? 0 : 1;
}

std::string rectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

// Sends WM_DPICHANGED as Windows does when the window moves to a monitor of `dpi`.
// The message carries the suggested rectangle as a pointer, which is not carried
// across processes, so the rectangle is written into the window's own process.
int dpiChanged(HWND window, WORD dpi, const RECT& suggested) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  const fudekko::win32::Handle process(
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
  if (!process) return 1;
  void* const remote = ::VirtualAllocEx(process.get(), nullptr, sizeof suggested,
                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const fudekko::ScopeGuard freeRemote([&] {
    if (remote) ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  });
  if (!remote ||
      !::WriteProcessMemory(process.get(), remote, &suggested, sizeof suggested, nullptr)) {
    return 1;
  }
  print(std::to_string(::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                      reinterpret_cast<LPARAM>(remote))));
  return 0;
}

int children(HWND parent) {
  struct Context {
    HWND parent;
  } context{parent};
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        const HWND top = reinterpret_cast<Context*>(data)->parent;
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
        print(windowId(child) + "\t" + className(child) + "\t" +
              std::to_string(::GetDlgCtrlID(child)) + "\t" +
              (::IsWindowVisible(child) ? "visible" : "hidden") + "\t" + rectText(r) + "\t" +
              windowText(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
  return 0;
}

WPARAM buttonState(const wchar_t* button) {
  if (std::wcscmp(button, L"right") == 0) return MK_RBUTTON;
  if (std::wcscmp(button, L"middle") == 0) return MK_MBUTTON;
  return MK_LBUTTON;
}

// A whole left-button stroke in one run of the driver: a drawing of many points would
// otherwise start the driver once per point.
int stroke(int argc, wchar_t** argv) {
  const HWND window = toWindow(argv[2]);
  for (int i = 3; i + 1 < argc; i += 2) {
    const int x = std::wcstol(argv[i], nullptr, 10), y = std::wcstol(argv[i + 1], nullptr, 10);
    const LPARAM point = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)),
                                    static_cast<WORD>(static_cast<SHORT>(y)));
    const UINT message = i == 3 ? WM_LBUTTONDOWN : WM_MOUSEMOVE;
    ::SendMessageW(window, message, MK_LBUTTON, point);
    if (i + 3 >= argc) ::SendMessageW(window, WM_LBUTTONUP, 0, point);
  }
  return 0;
}

int mouse(int argc, wchar_t** argv) {
  const HWND window = toWindow(argv[2]);
  const std::wstring action = argv[3];
  const int x = std::wcstol(argv[4], nullptr, 10), y = std::wcstol(argv[5], nullptr, 10);
  std::wstring held = argc > 6 ? argv[6] : L"left";
  // "+shift": the message says Shift is held, as the window reads it from wParam.
  const std::size_t plus = held.find(L"+shift");
  const WPARAM shift = plus == std::wstring::npos ? 0 : MK_SHIFT;
  if (shift) held.erase(plus);
  const WPARAM button = buttonState(held.c_str());
  UINT message = WM_MOUSEMOVE;
  WPARAM state = button;
  if (action == L"down") {
    message = button == MK_RBUTTON   ? WM_RBUTTONDOWN
              : button == MK_MBUTTON ? WM_MBUTTONDOWN
                                     : WM_LBUTTONDOWN;
  } else if (action == L"up") {
    message = button == MK_RBUTTON   ? WM_RBUTTONUP
              : button == MK_MBUTTON ? WM_MBUTTONUP
                                     : WM_LBUTTONUP;
    state = 0;
  }
  state |= shift;
  const LPARAM point = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)),
                                  static_cast<WORD>(static_cast<SHORT>(y)));
  ::SendMessageW(window, message, state, point);
  return 0;
}

void sendMouseInput(int x, int y, DWORD flags) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (x * 65535 + width / 2) / (width - 1);
  input.mi.dy = (y * 65535 + height / 2) / (height - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
  ::Sleep(20);
}

int inputDrag(int argc, wchar_t** argv) {
  const int x1 = std::wcstol(argv[2], nullptr, 10), y1 = std::wcstol(argv[3], nullptr, 10);
  const int x2 = std::wcstol(argv[4], nullptr, 10), y2 = std::wcstol(argv[5], nullptr, 10);
  const int steps = argc > 6 ? std::wcstol(argv[6], nullptr, 10) : 10;
  sendMouseInput(x1, y1, 0);
  sendMouseInput(x1, y1, MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= steps; ++i) {
    sendMouseInput(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps, 0);
  }
  sendMouseInput(x2, y2, MOUSEEVENTF_LEFTUP);
  return 0;
}

int key(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs(keys.size() * 2);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    INPUT& press = inputs[i];
    INPUT& release = inputs[inputs.size() - 1 - i];
    press.type = release.type = INPUT_KEYBOARD;
    press.ki.wVk = release.ki.wVk = keys[i];
    release.ki.dwFlags = KEYEVENTF_KEYUP;
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return 0;
}

// Saves what the screen shows of the window (or of its client area) as a 24-bit BMP.
int screenshot(HWND window, const std::wstring& path, bool clientOnly) {
  RECT area;
  if (clientOnly) {
    ::GetClientRect(window, &area);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
  } else {
    ::GetWindowRect(window, &area);
  }
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    // Said, so that a failing test shows why: most often the window is gone.
    print("no area to take: " + std::to_string(width) + " x " + std::to_string(height) +
          (::IsWindow(window) ? "" : ", no such window"));
    return 1;
  }
  fudekko::Picture picture(fudekko::PixelFormat::Bits24, width, height);
  {
    const fudekko::win32::WindowDc screen(nullptr);
    const fudekko::win32::MemoryDc memory(::CreateCompatibleDC(screen.get()));
    // Top-down, so that its rows come in the picture's order.
    const BITMAPINFO info = fudekko::win32::topDownDibInfo(width, height, 24);
    void* bits = nullptr;
    const fudekko::win32::Bitmap bitmap(
        ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) {
      print("no bitmap of " + std::to_string(width) + " x " + std::to_string(height) + ", error " +
            std::to_string(::GetLastError()));
      return 1;
    }
    {
      const fudekko::win32::Selection selected(memory.get(), bitmap.get());
      ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
    }
    ::GdiFlush();
    // The section's rows and the picture's are both DIB rows padded to 4 bytes.
    const auto* rows = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
      std::memcpy(picture.scanLine(y), rows + picture.stride() * static_cast<std::size_t>(y),
                  picture.stride());
    }
  }
  try {
    fudekko::FileSink file(fudekko::wideToSjis(path));
    fudekko::writeBmp(picture, file);
    file.close();
  } catch (const std::exception& error) {
    print(error.what());
    return 1;
  }
  return 0;
}

// Opens `path` with no sharing at all, so that no other program can open it, writes
// `marker` once the file is held, and holds it until `marker` is removed (at most
// ten minutes, so that a test that fails cannot leave it held for good).
int holdFile(const wchar_t* path, const wchar_t* marker) {
  const HANDLE file = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const HANDLE made = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (made != INVALID_HANDLE_VALUE) ::CloseHandle(made);
  for (int waited = 0; waited < 600 * 20 && ::GetFileAttributesW(marker) != INVALID_FILE_ATTRIBUTES;
       ++waited) {
    ::Sleep(50);
  }
  ::CloseHandle(file);
  return 0;
}

std::string clipboardFormatName(UINT format) {
  wchar_t name[256] = {};
  if (::GetClipboardFormatNameW(format, name, 256) > 0) return wideToUtf8(name);
  return std::to_string(format);
}

bool writeBytes(const std::wstring& path, const void* data, std::size_t size) {
  std::FILE* file = ::_wfopen(path.c_str(), L"wb");
  if (!file) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

// Reads the clipboard as a program that pastes would: every format in its order, and
// the bytes of the picture formats as they lie there.
int clipboard(const std::wstring& folder) {
  if (!::OpenClipboard(nullptr)) return 1;
  const UINT png = ::RegisterClipboardFormatW(L"PNG");
  const std::pair<UINT, const wchar_t*> kept[] = {
      {png, L"clipboard.png"}, {CF_DIBV5, L"clipboard.dibv5"}, {CF_DIB, L"clipboard.dib"}};
  bool written = true;
  for (UINT format = ::EnumClipboardFormats(0); format != 0;
       format = ::EnumClipboardFormats(format)) {
    print(clipboardFormatName(format));
  }
  for (const auto& [format, name] : kept) {
    const HANDLE data = ::GetClipboardData(format);
    if (!data) continue;
    const void* bytes = ::GlobalLock(data);
    if (bytes) written &= writeBytes(folder + L"\\" + name, bytes, ::GlobalSize(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return written ? 0 : 1;
}

constexpr DWORD kTimedWait = 300000;

// Milliseconds since `start` (a QueryPerformanceCounter reading).
double millisecondsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now{}, frequency{};
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void printMilliseconds(double milliseconds, const std::string& rest = {}) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", milliseconds);
  print(std::string(text).append(rest));
}

// The visible top-level window of `process` with that class and title.
HWND windowOfProcess(DWORD process, const std::string& wantedClass, const std::string& title) {
  for (HWND window : topLevelWindows()) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == process && ::IsWindowVisible(window) && className(window) == wantedClass &&
        windowText(window) == title) {
      return window;
    }
  }
  return nullptr;
}

int launchTimed(int argc, wchar_t** argv) {
  std::wstring commandLine;
  for (int i = 4; i < argc; ++i) {
    if (!commandLine.empty()) commandLine += L' ';
    commandLine += L'"' + std::wstring(argv[i]) + L'"';
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  LARGE_INTEGER start{};
  ::QueryPerformanceCounter(&start);
  if (!::CreateProcessW(argv[4], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return 1;
  }
  const fudekko::win32::Handle process(started.hProcess), thread(started.hThread);
  const std::string wantedClass = wideToUtf8(argv[2]), title = wideToUtf8(argv[3]);
  do {
    if (const HWND window = windowOfProcess(started.dwProcessId, wantedClass, title)) {
      std::string handle(1, '\t');
      handle += windowId(window);
      printMilliseconds(millisecondsSince(start), handle);
      return 0;
    }
    ::Sleep(1);
  } while (millisecondsSince(start) < kTimedWait);
  return 1;
}

int postTimed(wchar_t** argv) {
  auto number = [&](int i) { return std::wcstoll(argv[i], nullptr, 0); };
  const HWND target = toWindow(argv[2]), watched = toWindow(argv[6]);
  const auto wanted = static_cast<COLORREF>(number(9));
  LARGE_INTEGER start{};
  ::QueryPerformanceCounter(&start);
  if (!::PostMessageW(target, static_cast<UINT>(number(3)), static_cast<WPARAM>(number(4)),
                      static_cast<LPARAM>(number(5)))) {
    return 1;
  }
  do {
    const fudekko::win32::WindowDc dc(watched);
    if (::GetPixel(dc.get(), int(number(7)), int(number(8))) == wanted) {
      printMilliseconds(millisecondsSince(start));
      return 0;
    }
    ::Sleep(1);
  } while (millisecondsSince(start) < kTimedWait);
  return 1;
}

int usage() {
  print(
      "usage: e2e_driver "
      "list|find|gone|exists|text|children|enabled|rect|message|post|settext|mouse|stroke|"
      "suspend|resume|"
      "input-drag|input-move|key|foreground|pixel|screenshot|move|hold|clipboard|"
      "launch-timed|post-timed ...");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  // Positions, sizes and screenshots in device pixels, as the programs under test see
  // them at any DPI: an unaware process would get them scaled to 96 DPI.
  ::SetProcessDPIAware();
  if (argc < 2) return usage();
  const std::wstring command = argv[1];
  auto number = [&](int i) { return std::wcstoll(argv[i], nullptr, 0); };

  if (command == L"list") {
    for (HWND window : topLevelWindows()) {
      print(windowId(window) + "\t" + (::IsWindowVisible(window) ? "visible" : "hidden") + "\t" +
            className(window) + "\t" + windowText(window));
    }
    return 0;
  }
  if (argc < 3) return usage();
  if (command == L"find") return find(argc, argv);
  if (command == L"gone") return gone(argc, argv);
  if (command == L"exists") return ::GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES;
  if (command == L"hold" && argc >= 4) return holdFile(argv[2], argv[3]);
  if (command == L"clipboard") return clipboard(argv[2]);
  if (command == L"launch-timed" && argc >= 5) return launchTimed(argc, argv);
  if (command == L"post-timed" && argc >= 10) return postTimed(argv);
  const HWND window = toWindow(argv[2]);
  if (command == L"text") {
    if (!::IsWindow(window)) return 1;
    // WM_GETTEXT rather than GetWindowText, so controls of other processes answer too.
    const auto length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto got =
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    print(wideToUtf8(text));
    return 0;
  }
  if (command == L"children") return children(window);
  if (command == L"terminate") {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process) return 1;
    const bool ended =
        ::TerminateProcess(process, 9) && ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended ? 0 : 1;
  }
  if (command == L"suspend" || command == L"resume") {
    const DWORD threadId = ::GetWindowThreadProcessId(window, nullptr);
    const fudekko::win32::Handle thread(::OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId));
    if (!thread) return 1;
    const DWORD count =
        command == L"suspend" ? ::SuspendThread(thread.get()) : ::ResumeThread(thread.get());
    return count == static_cast<DWORD>(-1) ? 1 : 0;
  }
  if (command == L"enabled") {
    if (!::IsWindow(window)) return 1;
    print(::IsWindowEnabled(window) ? "enabled" : "disabled");
    return 0;
  }
  if (command == L"rect") {
    RECT outer, client;
    if (!::GetWindowRect(window, &outer)) return 1;
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    print(rectText(outer) + "\t" + rectText(client));
    return 0;
  }
  if ((command == L"message" || command == L"post") && argc >= 6) {
    const UINT message = static_cast<UINT>(number(3));
    const WPARAM wParam = static_cast<WPARAM>(number(4));
    const LPARAM lParam = static_cast<LPARAM>(number(5));
    if (command == L"post") return ::PostMessageW(window, message, wParam, lParam) ? 0 : 1;
    print(std::to_string(::SendMessageW(window, message, wParam, lParam)));
    return 0;
  }
  if (command == L"dpichanged" && argc >= 8) {
    return dpiChanged(window, static_cast<WORD>(number(3)),
                      RECT{int(number(4)), int(number(5)), int(number(6)), int(number(7))});
  }
  if (command == L"settext" && argc >= 4) {
    const std::wstring text = utf8ToWide(wideToUtf8(argv[3]));
    ::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
  }
  if (command == L"mouse" && argc >= 6) return mouse(argc, argv);
  if (command == L"stroke" && argc >= 7) return stroke(argc, argv);
  if (command == L"input-drag" && argc >= 6) return inputDrag(argc, argv);
  if (command == L"input-move" && argc >= 4) {
    sendMouseInput(int(number(2)), int(number(3)), 0);
    return 0;
  }
  if (command == L"key") {
    std::vector<WORD> keys;
    for (int i = 2; i < argc; ++i) keys.push_back(static_cast<WORD>(number(i)));
    return key(keys);
  }
  if (command == L"foreground") return foreground(argc, argv);
  if (command == L"pixel" && argc >= 5) {
    const fudekko::win32::WindowDc dc(window);
    const COLORREF color = ::GetPixel(dc.get(), int(number(3)), int(number(4)));
    char text[16];
    std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(color));
    print(text);
    return 0;
  }
  if (command == L"screenshot" && argc >= 4) {
    return screenshot(window, argv[3], hasOption(argc, argv, L"--client"));
  }
  if (command == L"move" && argc >= 7) {
    return ::MoveWindow(window, int(number(3)), int(number(4)), int(number(5)), int(number(6)),
                        TRUE)
               ? 0
               : 1;
  }
  return usage();
}

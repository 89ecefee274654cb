#include "handoff/version_dialog_win32.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/shift_jis.h"
#include "handoff/version_text.h"
#include "win32/fonts_win32.h"
#include "win32/modal_dialog_win32.h"
#include "win32/window_text_win32.h"

namespace fudekko {

namespace {

constexpr wchar_t kClassName[] = L"TVersionForm";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
// The program icon of res/fudekko.rc.
constexpr int kProgramIconId = 1;

std::wstring runningProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The version functions over one program file.
class FileVersionInfo : public VersionInfoSource {
 public:
  explicit FileVersionInfo(std::wstring path) : path_(std::move(path)) {}

  std::uint32_t infoSize() override {
    DWORD unused = 0;
    return ::GetFileVersionInfoSizeW(path_.c_str(), &unused);
  }

  std::optional<std::string> lookUp(std::uint32_t size, std::string_view key) override {
    std::vector<std::byte> block(size);  // zero-filled
    if (!::GetFileVersionInfoW(path_.c_str(), 0, size, block.data())) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;  // in characters
    if (!::VerQueryValueW(block.data(), utf8ToWide(key).c_str(), &value, &length) || !value) {
      return std::nullopt;
    }
    // The value lies inside the block; a length that would reach past it is cut.
    const auto* begin = static_cast<const wchar_t*>(value);
    const auto* end = reinterpret_cast<const wchar_t*>(block.data() + block.size());
    const std::size_t available = begin < end ? std::size_t(end - begin) : 0;
    return wideToSjis(std::wstring_view(begin, std::min<std::size_t>(length, available)));
  }

 private:
  std::wstring path_;
};

HWND createControl(HWND parent, HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                   DWORD style, int x, int y, int width, int height, HFONT font) {
  const HWND control = ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y,
                                         width, height, parent, nullptr, instance, nullptr);
  if (font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Sizes a label to its text in its font, as a label with automatic size does.
void fitLabelToText(HWND label, HFONT font) {
  const std::wstring text = win32::windowText(label);
  win32::WindowDc dc(label);
  const win32::Selection selected(dc.get(), font);
  RECT area{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text.c_str(), int(text.size()), &area, DT_CALCRECT | DT_NOPREFIX);
  ::SetWindowPos(label, nullptr, 0, 0, area.right, area.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

VersionDialog::VersionDialog(HINSTANCE instance, HWND owner)
    : instance_(instance),
      owner_(owner),
      font_(win32::createJapaneseFont(16)),
      titleFont_(win32::createFont(L"Times New Roman", 27, ANSI_CHARSET, FW_BOLD)),
      icon_(static_cast<HICON>(
          ::LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON, 32, 32, 0))) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE));
  RECT frame{0, 0, 222, 83};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  createWindow(instance, kClassName, L"ﾊﾞｰｼﾞｮﾝ情報", kStyle, kExStyle, 152, 93,
               frame.right - frame.left, frame.bottom - frame.top, owner);
}

LRESULT VersionDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      createControls();
      onCreate();
      return 0;
    case WM_COMMAND:
      // Enter and Escape close it, as they close any message box.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) win32::endModal(window_, closed_);
      return 0;
    case WM_CLOSE:
      win32::endModal(window_, closed_);
      return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

void VersionDialog::createControls() {
  iconImage_ =
      createControl(window_, instance_, L"STATIC", nullptr, SS_ICON, 16, 16, 32, 32, nullptr);
  if (icon_) ::SendMessageW(iconImage_, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  ::SetWindowPos(iconImage_, nullptr, 16, 16, 32, 32, SWP_NOZORDER | SWP_NOACTIVATE);

  titleLabel_ = createControl(window_, instance_, L"STATIC", L"Fudekko", SS_LEFT | SS_NOPREFIX, 56,
                              8, 0, 0, titleFont_.get());
  fitLabelToText(titleLabel_, titleFont_.get());
  versionLabel_ = createControl(window_, instance_, L"STATIC", L"VersionLabel",
                                SS_LEFT | SS_NOPREFIX, 56, 35, 0, 0, font_.get());
  fitLabelToText(versionLabel_, font_.get());
}

void VersionDialog::onCreate() {
  FileVersionInfo info(runningProgramPath());
  if (const std::optional<std::string> text = versionLabelText(info)) {
    ::SetWindowTextW(versionLabel_, sjisToWide(*text).c_str());
    fitLabelToText(versionLabel_, font_.get());
  }
}

void VersionDialog::showModal() {
  if (!closed_) return;  // already showing
  closed_ = false;
  win32::runModal(window_, owner_, nullptr, closed_);
  closed_ = true;
}

}  // namespace fudekko

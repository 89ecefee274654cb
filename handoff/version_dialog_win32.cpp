#include "handoff/version_dialog_win32.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/shift_jis.h"
#include "handoff/version_text.h"
#include "win32/dpi_win32.h"
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
// The layout at 96 DPI; it is drawn scaled to the dialog's DPI.
constexpr int kLeft = 152, kTop = 93, kClientWidth = 222, kClientHeight = 83;
constexpr int kFontHeight = 16, kTitleFontHeight = 27, kIconSize = 32;

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

// Sizes a label to its text in its font, as a label with automatic size does; returns
// its right and bottom edges.
POINT fitLabelToText(HWND label, HFONT font) {
  const std::wstring text = win32::windowText(label);
  win32::WindowDc dc(label);
  const win32::Selection selected(dc.get(), font);
  RECT area{0, 0, 0, 0};
  ::DrawTextW(dc.get(), text.c_str(), int(text.size()), &area, DT_CALCRECT | DT_NOPREFIX);
  ::SetWindowPos(label, nullptr, 0, 0, area.right, area.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT placed{};
  ::GetWindowRect(label, &placed);
  ::MapWindowPoints(nullptr, ::GetParent(label), reinterpret_cast<POINT*>(&placed), 2);
  return {placed.right, placed.bottom};
}

}  // namespace

VersionDialog::VersionDialog(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE));
  // Created at the form's place, then sized for the DPI it gets there.
  const int dpi = win32::screenDpi();
  if (createWindow(instance, kClassName, L"ﾊﾞｰｼﾞｮﾝ情報", kStyle, kExStyle, scaleForDpi(kLeft, dpi),
                   scaleForDpi(kTop, dpi), 0, 0, owner)) {
    ::SetWindowPos(window_, nullptr, scaleForDpi(kLeft, dpi_), scaleForDpi(kTop, dpi_), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT VersionDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (handleDpiMessage(message, wParam, lParam)) return 0;
  switch (message) {
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
  iconImage_ = createControl(window_, instance_, L"STATIC", nullptr, SS_ICON, 0, 0, 0, 0, nullptr);
  titleLabel_ = createControl(window_, instance_, L"STATIC", L"Fudekko", SS_LEFT | SS_NOPREFIX, 0,
                              0, 0, 0, nullptr);
  // The label's text as the form has it, shown when the program file has no version.
  versionLabel_ = createControl(window_, instance_, L"STATIC", L"VersionLabel",
                                SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, nullptr);
  layout();
}

void VersionDialog::onCreate() {
  FileVersionInfo info(runningProgramPath());
  if (const std::optional<std::string> text = versionLabelText(info)) {
    ::SetWindowTextW(versionLabel_, sjisToWide(*text).c_str());
    layout();
  }
}

void VersionDialog::layout() {
  const win32::DpiScale at(dpi_);
  // The icon is loaded at the size it is shown, from the icon file's nearest picture.
  win32::Icon icon(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(kProgramIconId),
                                                   IMAGE_ICON, at(kIconSize), at(kIconSize), 0)));
  ::SendMessageW(iconImage_, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  ::SetWindowPos(iconImage_, nullptr, at(16), at(16), at(kIconSize), at(kIconSize),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  icon_ = std::move(icon);

  win32::Font font = win32::createJapaneseFont(at(kFontHeight));
  win32::Font titleFont =
      win32::createFont(L"Times New Roman", at(kTitleFontHeight), ANSI_CHARSET, FW_BOLD);
  const struct {
    HWND label;
    HFONT font;
    int x, y;
  } labels[] = {{titleLabel_, titleFont.get(), at(56), at(8)},
                {versionLabel_, font.get(), at(56), at(35)}};
  POINT extent{at(kClientWidth), at(kClientHeight)};
  for (const auto& label : labels) {
    ::SendMessageW(label.label, WM_SETFONT, reinterpret_cast<WPARAM>(label.font), TRUE);
    ::SetWindowPos(label.label, nullptr, label.x, label.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const POINT end = fitLabelToText(label.label, label.font);
    // The texts are never cut off, whatever size the fonts give them.
    extent.x = std::max(extent.x, end.x);
    extent.y = std::max(extent.y, end.y);
  }
  font_ = std::move(font);
  titleFont_ = std::move(titleFont);
  const RECT frame = win32::outerRectForClient({0, 0, extent.x, extent.y}, kStyle, kExStyle, dpi_);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VersionDialog::showModal() {
  if (!closed_) return;  // already showing
  closed_ = false;
  win32::runModal(window_, owner_, nullptr, closed_);
  closed_ = true;
}

}  // namespace fudekko

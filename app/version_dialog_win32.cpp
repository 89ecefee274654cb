#include "app/version_dialog_win32.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/version_text.h"
#include "common/shift_jis.h"
#include "win32/dpi_win32.h"
#include "win32/fonts_win32.h"
#include "win32/modal_dialog_win32.h"
#include "win32/program_path_win32.h"
#include "win32/window_text_win32.h"

namespace fudekko {

namespace {

constexpr wchar_t kClassName[] = L"TVersionForm";
// The program icon of res/fudekko.rc.
constexpr int kProgramIconId = 1;
// The layout at 96 DPI; it is drawn scaled to the dialog's DPI.
constexpr int kLeft = 152, kTop = 93, kClientWidth = 222, kClientHeight = 83;
constexpr int kFontHeight = 16, kTitleFontHeight = 27, kIconSize = 32;

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

}  // namespace

VersionDialog::VersionDialog(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {
  createDialog(instance, kClassName, L"ﾊﾞｰｼﾞｮﾝ情報", kLeft, kTop, owner);
}

LRESULT VersionDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Enter and Escape close it, as they close any message box.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) win32::endModal(handle(), closed_);
      return 0;
    case WM_CLOSE:
      win32::endModal(handle(), closed_);
      return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

void VersionDialog::createControls() {
  iconImage_ = createControl(L"STATIC", nullptr, SS_ICON);
  titleLabel_ = createControl(L"STATIC", L"Fudekko", SS_LEFT | SS_NOPREFIX);
  // The label's text until the version is known, and for good when the lookup fails.
  versionLabel_ = createControl(L"STATIC", L"VersionLabel", SS_LEFT | SS_NOPREFIX);
  layout();
}

void VersionDialog::onCreate() {
  FileVersionInfo info(win32::programPath());
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
    // Sized to its text, as a label with automatic size is.
    const SIZE size = textSize(label.font, win32::windowText(label.label));
    ::SetWindowPos(label.label, nullptr, label.x, label.y, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // The texts are never cut off, whatever size the fonts give them.
    extent.x = std::max<LONG>(extent.x, label.x + size.cx);
    extent.y = std::max<LONG>(extent.y, label.y + size.cy);
  }
  font_ = std::move(font);
  titleFont_ = std::move(titleFont);
  sizeToClient(extent.x, extent.y);
}

void VersionDialog::showModal() {
  if (!closed_) return;  // already showing
  closed_ = false;
  win32::runModal(handle(), owner_, nullptr, closed_);
  closed_ = true;
}

}  // namespace fudekko

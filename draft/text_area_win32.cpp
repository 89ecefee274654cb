#include "draft/text_area_win32.h"

#include <utility>

#include "common/dpi.h"
#include "common/scope_guard.h"
#include "win32/fonts_win32.h"
#include "win32/window_text_win32.h"

namespace fudekko::win32 {

namespace {

// At 96 DPI.
constexpr int kFontHeight = 16;

// Borderless, without scroll bars, wrapping at its width or scrolling sideways; hidden
// until placed.
HWND createEdit(HINSTANCE instance, HWND parent, int id, bool wraps) {
  return ::CreateWindowExW(
      0, L"EDIT", L"",
      WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | (wraps ? 0 : ES_AUTOHSCROLL), 0, 0,
      0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

TextArea::TextArea(HINSTANCE instance, HWND parent, int id, int dpi)
    : instance_(instance),
      id_(id),
      edit_(createEdit(instance, parent, id, true)),
      font_(createJapaneseFont(scaleForDpi(kFontHeight, dpi))),
      lines_(edit_, [this](std::wstring_view text) { fitWrapping(text); }) {
  ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  ::SendMessageW(edit_, EM_SETLIMITTEXT, kTextAreaLimit, 0);
  ::ShowWindow(edit_, SW_SHOW);
}

void TextArea::fitWrapping(std::wstring_view text) {
  const bool wraps = wrapsAllLines(text);
  if (wraps == wraps_) return;
  const HWND parent = ::GetParent(edit_);
  RECT place{};
  ::GetWindowRect(edit_, &place);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  const bool shown = visible();
  const bool focused = ::GetFocus() == edit_;
  const HWND replacement = createEdit(instance_, parent, id_, wraps);
  if (!replacement) return;  // the text goes into the control there, slow as it may be
  ::SendMessageW(replacement, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  ::SendMessageW(replacement, EM_SETLIMITTEXT, kTextAreaLimit, 0);
  ::MoveWindow(replacement, place.left, place.top, place.right - place.left,
               place.bottom - place.top, FALSE);
  ::DestroyWindow(std::exchange(edit_, replacement));
  lines_.setControl(edit_);
  wraps_ = wraps;
  if (shown) ::ShowWindow(edit_, SW_SHOW);
  if (focused) ::SetFocus(edit_);
}

// Raises programEditing_ until the returned guard goes.
auto TextArea::programEdit() {
  programEditing_ = true;
  return ScopeGuard([this] { programEditing_ = false; });
}

void TextArea::setDpi(int dpi) {
  // The new font is in the control before the old one is deleted.
  Font font = createJapaneseFont(scaleForDpi(kFontHeight, dpi));
  ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  font_ = std::move(font);
}

void TextArea::place(const RECT& area) {
  ::MoveWindow(edit_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

SIZE TextArea::clientSize() const {
  RECT client{};
  ::GetClientRect(edit_, &client);
  return {client.right, client.bottom};
}

bool TextArea::visible() const {
  return ::IsWindowVisible(edit_) != FALSE;
}

void TextArea::show(bool shown) {
  ::ShowWindow(edit_, shown ? SW_SHOW : SW_HIDE);
  ::SetFocus(shown ? edit_ : ::GetParent(edit_));
}

void TextArea::focus() {
  ::SetFocus(edit_);
}

std::optional<TextChange> TextArea::onNotification(WORD code) {
  switch (code) {
    case EN_MAXTEXT:
      // Typing at the text area's limit is refused: let the user hear it.
      ::MessageBeep(MB_OK);
      return std::nullopt;
    case EN_CHANGE:
      if (programEditing_) return std::nullopt;
      if (std::optional<TextEdit> edit = history_.recordChange(windowText(edit_))) return *edit;
      return std::nullopt;
  }
  return std::nullopt;
}

TextChange TextArea::load(const std::function<void(TextLines&)>& load) {
  {
    const auto editing = programEdit();
    load(lines_);
  }
  history_.reset(windowText(edit_));
  return TextReplaced{history_.text()};
}

void TextArea::restore(TextHistory history) {
  fitWrapping(history.text());
  {
    const auto editing = programEdit();
    ::SetWindowTextW(edit_, history.text().c_str());
  }
  history_ = std::move(history);
}

std::optional<TextChange> TextArea::undo() {
  const std::optional<TextEdit> edit = history_.undo();
  if (!edit) return std::nullopt;
  apply(*edit);
  return TextUndone{};
}

std::optional<TextChange> TextArea::redo() {
  const std::optional<TextEdit> edit = history_.redo();
  if (!edit) return std::nullopt;
  apply(*edit);
  return TextRedone{};
}

// Replaces the stretch that `edit` names and leaves the caret behind the new text.
void TextArea::apply(const TextEdit& edit) {
  {
    const auto editing = programEdit();
    const auto start = static_cast<WPARAM>(edit.position);
    ::SendMessageW(edit_, EM_SETSEL, start, static_cast<LPARAM>(start + edit.removed.size()));
    ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(edit.inserted.c_str()));
  }
  const auto caret = static_cast<LPARAM>(edit.position + edit.inserted.size());
  ::SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(caret), caret);
  ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

}  // namespace fudekko::win32

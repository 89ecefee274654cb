#pragma once
// The text area's line list over a multi-line edit control.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "draft/text_lines.h"

namespace fudekko::win32 {

class TextAreaLines : public TextLines {
 public:
  // `beforeText` sees every whole text before the control gets it (the text area may put
  // another control in its place).
  TextAreaLines(HWND edit, std::function<void(std::wstring_view)> beforeText)
      : edit_(edit), beforeText_(std::move(beforeText)) {}
  void setControl(HWND edit) { edit_ = edit; }

  // The whole text in the area's encoding (CR LF as the control holds it).
  std::string text() const override;
  void setText(const std::string& text) override;
  // Display lines, as the control wraps them at its current width (the text lines
  // themselves when it does not wrap).
  int count() const override;
  std::string line(int index) const override;
  std::vector<std::string> lines() const override;

 private:
  int displayLineCount() const;
  std::wstring displayLine(int index) const;

  HWND edit_;
  std::function<void(std::wstring_view)> beforeText_;
};

}  // namespace fudekko::win32

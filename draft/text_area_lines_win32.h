#pragma once
// The text area's line list over a multi-line edit control with word wrap.

#include <windows.h>

#include <string>
#include <vector>

#include "draft/text_lines.h"

namespace fudekko::win32 {

class TextAreaLines : public TextLines {
 public:
  explicit TextAreaLines(HWND edit) : edit_(edit) {}

  // The whole text in the area's encoding (CR LF as the control holds it).
  std::string text() const override;
  void setText(const std::string& text) override;
  // Display lines, as the control wraps them at its current width.
  int count() const override;
  std::string line(int index) const override;
  std::vector<std::string> lines() const override;

 private:
  int displayLineCount() const;
  std::wstring displayLine(int index) const;

  HWND edit_;
};

}  // namespace fudekko::win32

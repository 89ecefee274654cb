#include "draft/text_lines.h"

#include "common/shift_jis.h"

namespace fudekko {

namespace {
constexpr std::string_view kLineBreak = "\r\n";
}

std::vector<std::string> TextLines::lines() const {
  std::vector<std::string> all;
  const int lineCount = count();
  all.reserve(static_cast<std::size_t>(lineCount));
  for (int i = 0; i < lineCount; ++i) all.push_back(line(i));
  return all;
}

bool wrapsAllLines(std::wstring_view text) {
  std::size_t lineLength = 0;
  for (const wchar_t unit : text) {
    if (unit == L'\r' || unit == L'\n') {
      lineLength = 0;
    } else if (++lineLength > kLongestWrappedLine) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> typedLines(const TextLines& area) {
  const std::string text = area.text();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(kLineBreak, start)) != std::string::npos;
       start = end + kLineBreak.size()) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string limitLineBytes(std::string line, TextEncoding encoding) {
  if (line.size() <= kMaxLineBytes) return line;
  std::size_t cut = 0;
  while (cut < line.size()) {
    const std::size_t next = cut + charLength(line, cut, encoding);
    if (next > kMaxLineBytes) break;
    cut = next;
  }
  line.resize(cut);
  return line;
}

FixedWidthTextLines::FixedWidthTextLines(std::size_t bytesPerLine, std::string text,
                                         std::size_t capacity)
    : bytesPerLine_(bytesPerLine < 2 ? 2 : bytesPerLine),
      text_(std::move(text)),
      capacity_(capacity) {}

void FixedWidthTextLines::setText(const std::string& text) {
  text_ = text;
  ++setTextCalls_;
}

std::vector<FixedWidthTextLines::Span> FixedWidthTextLines::displayLines() const {
  std::vector<Span> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t breakAt = text_.find(kLineBreak, start);
    const std::size_t end = breakAt == std::string::npos ? text_.size() : breakAt;
    // Wrap the text line at character boundaries.
    std::size_t pieceStart = start;
    std::size_t at = start;
    const std::string_view textLine = std::string_view(text_).substr(0, end);
    while (at < end) {
      const std::size_t next = at + charLength(textLine, at, encoding());
      if (next - pieceStart > bytesPerLine_) {
        lines.push_back({pieceStart, at - pieceStart});
        pieceStart = at;
      }
      at = next;
    }
    lines.push_back({pieceStart, end - pieceStart});
    if (breakAt == std::string::npos) break;
    start = breakAt + kLineBreak.size();
  }
  return lines;
}

int FixedWidthTextLines::count() const {
  const auto lines = displayLines();
  const int all = static_cast<int>(lines.size());
  return lines.back().length == 0 ? all - 1 : all;
}

std::string FixedWidthTextLines::line(int index) const {
  if (index < 0 || index >= count()) return {};
  const Span span = displayLines()[static_cast<std::size_t>(index)];
  return limitLineBytes(text_.substr(span.start, span.length), encoding());
}

std::vector<std::string> FixedWidthTextLines::lines() const {
  std::vector<Span> spans = displayLines();
  if (spans.back().length == 0) spans.pop_back();
  std::vector<std::string> all;
  all.reserve(spans.size());
  for (const Span& span : spans)
    all.push_back(limitLineBytes(text_.substr(span.start, span.length), encoding()));
  return all;
}

}  // namespace fudekko

#include "draft/text_lines.h"

#include "common/shift_jis.h"

namespace fudekko {

namespace {
constexpr std::string_view kLineBreak = "\r\n";
}

std::string TextLines::firstTextLine() const {
  std::string all = text();
  const auto end = all.find(kLineBreak);
  if (end != std::string::npos) all.resize(end);
  return all;
}

void TextLines::deleteFirstTextLine() {
  const std::string all = text();
  if (all.empty()) return;
  const auto end = all.find(kLineBreak);
  setText(end == std::string::npos ? std::string() : all.substr(end + kLineBreak.size()));
}

std::string limitLineBytes(std::string line) {
  if (line.size() <= kMaxLineBytes) return line;
  std::size_t cut = 0;
  while (cut < line.size()) {
    const std::size_t next = cut + sjisCharLength(line, cut);
    if (next > kMaxLineBytes) break;
    cut = next;
  }
  line.resize(cut);
  return line;
}

FixedWidthTextLines::FixedWidthTextLines(std::size_t bytesPerLine, std::string text)
    : bytesPerLine_(bytesPerLine < 2 ? 2 : bytesPerLine), text_(std::move(text)) {}

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
    while (at < end) {
      const std::size_t next = at + sjisCharLength(std::string_view(text_).substr(0, end), at);
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
  return limitLineBytes(text_.substr(span.start, span.length));
}

void FixedWidthTextLines::deleteLine0() {
  if (text_.empty()) return;
  const auto lines = displayLines();
  setText(lines.size() > 1 ? text_.substr(lines[1].start) : std::string());
}

}  // namespace fudekko

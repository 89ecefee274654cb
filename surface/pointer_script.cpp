#include "surface/pointer_script.h"

#include <cmath>
#include <sstream>

namespace fudekko {

namespace {

PenFrame parseFrame(const std::string& text) {
  std::istringstream in(text);
  std::string flags, penFlags, penMask;
  PenFrame frame;
  in >> flags >> penFlags >> penMask >> frame.pressure >> frame.x >> frame.y >> frame.time;
  std::string rest;
  if (!in || (in >> rest)) throw PointerScriptError("a frame needs seven values: " + text);
  const auto number = [](const std::string& value) {
    return static_cast<std::uint32_t>(std::stoul(value, nullptr, 0));
  };
  frame.pointerFlags = number(flags);
  frame.penFlags = number(penFlags);
  frame.penMask = number(penMask);
  frame.precise = true;
  frame.pixel = {static_cast<std::int32_t>(std::floor(frame.x)),
                 static_cast<std::int32_t>(std::floor(frame.y))};
  return frame;
}

std::optional<PointerFrames> parseMessage(const std::string& line) {
  std::istringstream in(line);
  std::string kind;
  in >> kind;
  if (kind == "none") return std::nullopt;
  if (kind == "touch") return PointerFrames{PointerKind::Touch, {}};
  if (kind == "mouse") return PointerFrames{PointerKind::Mouse, {}};
  if (kind != "pen") throw PointerScriptError("unknown pointer kind: " + kind);
  PointerFrames pen{PointerKind::Pen, {}};
  std::string frame;
  while (std::getline(in, frame, '|')) pen.frames.push_back(parseFrame(frame));
  if (pen.frames.empty()) throw PointerScriptError("a pen message without frames");
  return pen;
}

}  // namespace

std::vector<std::optional<PointerFrames>> parsePointerScript(std::string_view text) {
  std::vector<std::optional<PointerFrames>> messages;
  std::istringstream in{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#') continue;
    try {
      messages.push_back(parseMessage(line));
    } catch (const std::logic_error& error) {  // std::stoul's
      throw PointerScriptError("line " + std::to_string(number) + ": " + error.what());
    } catch (const PointerScriptError& error) {
      throw PointerScriptError("line " + std::to_string(number) + ": " + error.what());
    }
  }
  return messages;
}

std::optional<PointerFrames> ScriptedPointerSource::read(std::uint32_t /*id*/) {
  if (!loaded_) {
    loaded_ = true;
    messages_ = parsePointerScript(load_());
  }
  if (next_ >= messages_.size()) return std::nullopt;
  return messages_[next_++];
}

}  // namespace fudekko

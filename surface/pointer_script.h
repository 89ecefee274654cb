#pragma once
// The pointer source of the test build: pointer data read from a script instead of the
// system, so that pen input can be driven where no pen exists (Wine, Xvfb). Never part of
// the shipped program.
//
// One line per pointer message, in the order the messages arrive; blank lines and lines
// starting with '#' are skipped. A line is "none" (the pointer cannot be read), "touch",
// "mouse", or "pen" followed by the message's frames, newest first, separated by '|',
// each "POINTERFLAGS PENFLAGS PENMASK PRESSURE X Y TIME" (flags in C notation, X and Y
// exact screen positions).

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "surface/pointer_input.h"

namespace fudekko {

class PointerScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The messages of a script, each nothing for "none"; throws PointerScriptError naming
// the first line it cannot read.
std::vector<std::optional<PointerFrames>> parsePointerScript(std::string_view text);

// Answers each pointer message with the script's next line, and with nothing once the
// script is used up. The script is loaded at the first message, so that a test can write
// it once it knows where the window is.
class ScriptedPointerSource final : public PointerSource {
 public:
  explicit ScriptedPointerSource(std::function<std::string()> load) : load_(std::move(load)) {}
  std::optional<PointerFrames> read(std::uint32_t id) override;

 private:
  std::function<std::string()> load_;
  bool loaded_ = false;
  std::vector<std::optional<PointerFrames>> messages_;
  std::size_t next_ = 0;
};

}  // namespace fudekko

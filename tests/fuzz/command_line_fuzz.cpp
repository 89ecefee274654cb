// The command line that the mail client (or anyone) starts the program with: the
// splitting into arguments, the format switch and the start-up plan.

#include <string>
#include <string_view>
#include <vector>

#include "draft/command_line.h"
#include "fuzz/fuzz_check.h"
#include "handoff/attachment.h"

using namespace fudekko;

namespace {

bool separates(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// The bytes that end up in arguments: all but the quotes and the separators outside
// a quoted stretch.
std::string keptBytes(std::string_view commandLine) {
  std::string kept;
  bool quoted = false;
  for (const char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted || !separates(c)) {
      kept += c;
    }
  }
  return kept;
}

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The attachment format a switch argument chooses: its characters 2 to 4 spell "png"
// or "gif" in any letter case.
AttachmentFormat modelFormat(std::string_view argument) {
  if (argument.size() < 4) return AttachmentFormat::Bmp;
  std::string name;
  for (const char c : argument.substr(1, 3)) name += asciiLower(c);
  return name == "png"   ? AttachmentFormat::Png
         : name == "gif" ? AttachmentFormat::Gif
                         : AttachmentFormat::Bmp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view commandLine = fuzz::asText(data, size);
  const std::vector<std::string> arguments = splitCommandLine(commandLine);

  std::string joined;
  std::string requoted;
  for (const std::string& argument : arguments) {
    FUZZ_CHECK(argument.find('"') == std::string::npos, "a quote left in an argument");
    joined += argument;
    requoted += " \"" + argument + "\"";
  }
  // Nothing lost or added, whatever the quotes and separators, Shift-JIS and UTF-8
  // bytes included.
  FUZZ_CHECK(joined == keptBytes(commandLine), "bytes lost or added by the splitting");
  // Every argument, quoted, comes back as it was: paths with blanks reach the program.
  FUZZ_CHECK(splitCommandLine(requoted) == arguments, "quoted arguments do not split back");

  for (const std::string& argument : arguments) {
    const std::string format = formatSwitch(argument);
    FUZZ_CHECK(
        format.size() == std::min<std::size_t>(3, argument.size() > 0 ? argument.size() - 1 : 0),
        "the switch text is not characters 2 to 4");
    FUZZ_CHECK(attachmentFormatFromSwitch(format) == modelFormat(argument),
               "the switch chose another format than its letters name");
  }

  // The plan, with a file system in which something stands at every other path length.
  const auto exists = [](const Utf8Path& path) { return path.utf8.size() % 2 == 0; };
  const CommandLineStep step = planCommandLine(arguments, exists);
  const bool hasSwitch = arguments.size() >= 2 && arguments[1].starts_with('/');
  const std::size_t draftAt = hasSwitch ? 2 : 1;
  FUZZ_CHECK(step.imageFormat == (hasSwitch ? formatSwitch(arguments[1]) : std::string()),
             "the switch was not taken from argument 1");
  if (arguments.size() <= draftAt) {
    FUZZ_CHECK(step.action == CommandLineStep::Action::None && step.draftPath.utf8.empty(),
               "a draft planned without a draft argument");
  } else {
    FUZZ_CHECK(step.draftPath.utf8 == arguments[draftAt],
               "the draft is not the argument after the switch");
    FUZZ_CHECK(step.action == (exists(step.draftPath) ? CommandLineStep::Action::LoadDraft
                                                      : CommandLineStep::Action::EndProgram),
               "a draft that is not there was loaded, or one that is there was not");
  }
  return 0;
}

#include "draft/command_line.h"

#include "common/byte_stream.h"

namespace fudekko {

namespace {
bool separates(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}
}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
  // Shift-JIS trail bytes are 0x40 and above and every byte of a UTF-8 sequence is 0x80
  // and above, so neither a quote nor a blank can be part of a character of more than
  // one byte: a byte-wise scan is safe.
  std::vector<std::string> arguments;
  std::size_t at = 0;
  const std::size_t end = commandLine.size();
  for (;;) {
    while (at < end && separates(commandLine[at])) ++at;
    if (at == end) break;
    std::string argument;
    while (at < end && !separates(commandLine[at])) {
      if (commandLine[at] == '"') {
        ++at;
        while (at < end && commandLine[at] != '"') argument += commandLine[at++];
        if (at < end) ++at;
      } else {
        argument += commandLine[at++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string formatSwitch(std::string_view argument) {
  std::string format(argument.substr(std::min<std::size_t>(1, argument.size()), 3));
  for (char& c : format) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return format;
}

CommandLineStep planCommandLine(const std::vector<std::string>& arguments,
                                const std::function<bool(const Utf8Path&)>& exists) {
  CommandLineStep step;
  if (arguments.size() < 2) return step;
  std::size_t fileArgument = 1;
  if (!arguments[1].empty() && arguments[1][0] == '/') {
    step.imageFormat = formatSwitch(arguments[1]);
    fileArgument = 2;
  }
  if (arguments.size() <= fileArgument) return step;
  step.draftPath = Utf8Path{arguments[fileArgument]};
  step.action = exists(step.draftPath) ? CommandLineStep::Action::LoadDraft
                                       : CommandLineStep::Action::EndProgram;
  return step;
}

CommandLineStep planCommandLine(const std::vector<std::string>& arguments) {
  return planCommandLine(arguments,
                         [](const Utf8Path& path) { return pathKind(path) != PathKind::Missing; });
}

}  // namespace fudekko

#pragma once
// The command line: how it is split into arguments, the format switch, and what the
// start-up does with the draft argument.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fudekko {

// Splits a whole command line (Shift-JIS) into arguments, argument 0 being the
// program's path. Runs of blanks and control characters (bytes up to 0x20) separate
// arguments; a double quote opens a stretch, closed by the next double quote, in
// which blanks belong to the argument; the quotes themselves are dropped.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The attachment format named by a switch argument such as "/gif": its characters 2
// to 4 (fewer when it is shorter), ASCII a-z upper-cased, every other byte as it is.
std::string formatSwitch(std::string_view argument);

// What the start-up does after reading the command line.
struct CommandLineStep {
  enum class Action {
    None,        // no draft named: nothing is loaded
    LoadDraft,   // load `draftPath` into the text area
    EndProgram,  // the named draft is not a plain file: close without showing a window
  };
  Action action = Action::None;
  std::string imageFormat;  // empty when no switch was given
  std::string draftPath;    // set for LoadDraft and EndProgram
};

// `arguments` as splitCommandLine gives them (argument 0 included). A first argument
// starting with "/" is the format switch and the draft follows it; arguments after
// the draft are ignored. `isFile` tells whether a path names an existing plain file.
CommandLineStep planCommandLine(const std::vector<std::string>& arguments,
                                const std::function<bool(const std::string&)>& isFile);
// The same with the real file system.
CommandLineStep planCommandLine(const std::vector<std::string>& arguments);

}  // namespace fudekko

#pragma once
// The command line: how it is split into arguments, the format switch, and what the
// start-up does with the draft argument.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8_path.h"

namespace fudekko {

// Splits a whole command line into arguments, argument 0 being the program's path. The
// program reads its command line as UTF-8, so that a path in any characters reaches the
// file it names; Shift-JIS splits the same. Runs of blanks and control characters
// (bytes up to 0x20) separate arguments; a double quote opens a stretch, closed by the
// next double quote, in which blanks belong to the argument; the quotes themselves
// are dropped.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The attachment format named by a switch argument such as "/gif": its characters 2
// to 4 (fewer when it is shorter), ASCII a-z upper-cased, every other byte as it is.
std::string formatSwitch(std::string_view argument);

// What the start-up does after reading the command line.
struct CommandLineStep {
  enum class Action {
    None,        // no draft named: nothing is loaded
    LoadDraft,   // load `draftPath` into the text area
    EndProgram,  // nothing stands at the named draft's path: close without a window
  };
  Action action = Action::None;
  std::string imageFormat;  // empty when no switch was given
  Utf8Path draftPath;       // set for LoadDraft and EndProgram
};

// `arguments` as splitCommandLine gives them (argument 0 included). A first argument
// starting with "/" is the format switch and the draft follows it; arguments after
// the draft are ignored. `exists` tells whether anything stands at a path: a draft
// that is there but cannot be read (a folder, say) is loaded, so that the loading
// tells the user why, while a draft that is not there ends the program silently.
CommandLineStep planCommandLine(const std::vector<std::string>& arguments,
                                const std::function<bool(const Utf8Path&)>& exists);
// The same with the real file system.
CommandLineStep planCommandLine(const std::vector<std::string>& arguments);

}  // namespace fudekko

#pragma once
// A path carried without loss. Text inside the program is Shift-JIS, but a path that
// the system hands over (the command line, a file dialog, the temporary folder) may
// hold any character; as UTF-8 it reaches the file it names, and the messages that
// name it, whole.

#include <string>

namespace fudekko {

struct Utf8Path {
  std::string utf8;
  bool operator==(const Utf8Path&) const = default;
};

}  // namespace fudekko

#pragma once
// The error types that handlers let propagate to the event loop's error box.
// Messages are UTF-8; the shell converts them for the message box.

#include <stdexcept>
#include <string>

#include "common/utf8_path.h"

namespace fudekko {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A pixel store or other graphics resource could not be made.
class OutOfResources : public Error {
 public:
  OutOfResources() : Error("システム リソースが足りません") {}
};

class OutOfMemory : public Error {
 public:
  OutOfMemory() : Error("メモリが足りません") {}
  using Error::Error;
};

// `path` is a Shift-JIS path; the message shows it as UTF-8.
class FileCreateError : public Error {
 public:
  explicit FileCreateError(const std::string& path);
};

class FileOpenError : public Error {
 public:
  explicit FileOpenError(const std::string& path);
  explicit FileOpenError(const Utf8Path& path);
};

// A stream stored fewer bytes than it was asked to (a full disk, say).
class StreamWriteError : public Error {
 public:
  StreamWriteError() : Error("ストリームへの書き込みエラー") {}

 protected:
  explicit StreamWriteError(const std::string& message) : Error(message) {}
};

// A file (Shift-JIS path) took fewer bytes than it was given; the message names it,
// and says so when the disk is full.
class FileWriteError : public StreamWriteError {
 public:
  FileWriteError(const std::string& path, bool diskFull);
};

// A file could not be written as a whole (made, filled or put in its place); the
// message names it. `path` is Shift-JIS, or a path that came as UTF-8.
class FileNotWrittenError : public Error {
 public:
  explicit FileNotWrittenError(const std::string& path);
  explicit FileNotWrittenError(const Utf8Path& path);

 protected:
  // A message of its own for the file; its "%s" is the path.
  FileNotWrittenError(const char* messageUtf8, const Utf8Path& path);
};

// Replaces the first "%s" of a UTF-8 message with a Shift-JIS path shown as UTF-8.
std::string formatWithPath(const char* messageUtf8, const std::string& pathSjis);
// The same with a path that came as UTF-8: shown as it is, whatever its characters.
std::string formatWithPath(const char* messageUtf8, const Utf8Path& path);

}  // namespace fudekko

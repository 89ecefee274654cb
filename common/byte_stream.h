#pragma once
// Where the writers send their bytes: memory for tests, a file for Send.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/utf8_path.h"

namespace fudekko {

// The byte orders of the file formats, stored into a buffer.
constexpr void putLe16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
constexpr void putLe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
constexpr void putBe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * (3 - i)));
}

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Stores all `size` bytes or throws StreamWriteError.
  virtual void write(const void* data, std::size_t size) = 0;

  void writeByte(std::uint8_t value) { write(&value, 1); }
  void writeLe16(std::uint16_t value);
  void writeLe32(std::uint32_t value);
  void writeBe32(std::uint32_t value);
};

class MemorySink : public ByteSink {
 public:
  void write(const void* data, std::size_t size) override;
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A file opened in create mode: made anew, or emptied when it exists. The file is
// closed by the destructor, also when a write failed, and keeps what was written.
class FileSink : public ByteSink {
 public:
  // `path` is Shift-JIS; throws FileCreateError when the file cannot be made.
  explicit FileSink(const std::string& path);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // Throws FileWriteError when the bytes cannot be stored.
  void write(const void* data, std::size_t size) override;
  // Flushes and closes; throws FileWriteError when the last bytes cannot be stored.
  void close();

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

// Opens a file (Shift-JIS path) for reading in binary mode, others may read it
// too but not write it; null when it cannot be opened.
std::FILE* openFileForReading(const std::string& path);

// The same for a path carried as UTF-8. On Windows a path too long for the classic
// limit of 260 characters is opened through its extended form ("\\?\C:\...").
std::FILE* openFileForReading(const Utf8Path& path);

#ifdef _WIN32
// The path as the wide file functions take it: a path too long for the classic limit
// of 260 characters in its extended form ("\\?\C:\...", "\\?\UNC\server\..."), made
// from its full path; any other as it is.
std::wstring widePathForFileApi(const std::wstring& path);
#endif

// What stands at a path: nothing, a folder, or a file (anything else the system opens
// as one, a device say). A path that cannot be looked at for another reason (access
// denied) counts as a file, so that opening it tells why.
enum class PathKind { Missing, Folder, File };
PathKind pathKind(const Utf8Path& path);

// Closes the file it holds when it goes.
struct FileCloser {
  explicit FileCloser(std::FILE* opened) : file(opened) {}
  ~FileCloser() {
    if (file) std::fclose(file);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;
  std::FILE* file;
};

// Reads a whole file (Shift-JIS path); throws FileOpenError when it cannot be read.
std::vector<std::uint8_t> readWholeFile(const std::string& path);

// The path (Shift-JIS) as the file-system library takes it.
std::filesystem::path fileSystemPath(const std::string& path);

// True when `path` (Shift-JIS) names an existing plain file (not a directory).
bool isPlainFile(const std::string& path);

}  // namespace fudekko

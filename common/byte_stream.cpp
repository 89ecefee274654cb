#include "common/byte_stream.h"

#include <sys/stat.h>

#include <cerrno>

#ifdef _WIN32
#include <share.h>
#include <windows.h>
#endif

#include "common/errors.h"
#include "common/shift_jis.h"

namespace fudekko {

namespace {
std::FILE* openFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  // While we read or write a file, others may read it but not write it.
  return _wfsopen(sjisToWide(path).c_str(), wideMode.c_str(), _SH_DENYWR);
#else
  return std::fopen(path.c_str(), mode);
#endif
}
}  // namespace

std::FILE* openFileForReading(const std::string& path) {
  return openFile(path, "rb");
}

#ifdef _WIN32

// The extended form takes only an absolute path of backslashes without "." or "..", so
// it is made from the full path name.
std::wstring widePathForFileApi(const std::wstring& wide) {
  // Already extended, or a device's name.
  if (wide.size() < MAX_PATH || wide.starts_with(LR"(\\?\)") || wide.starts_with(LR"(\\.\)"))
    return wide;
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

std::FILE* openFileForReading(const Utf8Path& path) {
  return _wfsopen(widePathForFileApi(utf8ToWide(path.utf8)).c_str(), L"rb", _SH_DENYWR);
}

PathKind pathKind(const Utf8Path& path) {
  const DWORD attributes = ::GetFileAttributesW(widePathForFileApi(utf8ToWide(path.utf8)).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                   error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH
               ? PathKind::Missing
               : PathKind::File;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

#else

std::FILE* openFileForReading(const Utf8Path& path) {
  return std::fopen(path.utf8.c_str(), "rb");
}

PathKind pathKind(const Utf8Path& path) {
  struct stat info;
  if (::stat(path.utf8.c_str(), &info) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::File;
  }
  return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

#endif

void ByteSink::writeLe16(std::uint16_t value) {
  std::uint8_t bytes[2];
  putLe16(bytes, value);
  write(bytes, 2);
}

void ByteSink::writeLe32(std::uint32_t value) {
  std::uint8_t bytes[4];
  putLe32(bytes, value);
  write(bytes, 4);
}

void ByteSink::writeBe32(std::uint32_t value) {
  std::uint8_t bytes[4];
  putBe32(bytes, value);
  write(bytes, 4);
}

void MemorySink::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + size);
}

FileSink::FileSink(const std::string& path) : path_(path), file_(openFile(path, "wb")) {
  if (!file_) throw FileCreateError(path);
}

FileSink::~FileSink() {
  if (file_) std::fclose(file_);
}

void FileSink::write(const void* data, std::size_t size) {
  if (size == 0) return;
  if (!file_ || std::fwrite(data, 1, size, file_) != size)
    throw FileWriteError(path_, errno == ENOSPC);
}

void FileSink::close() {
  if (!file_) return;
  const bool flushed = std::fflush(file_) == 0;
  const bool diskFull = errno == ENOSPC;  // before the close can change it
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed) throw FileWriteError(path_, diskFull || errno == ENOSPC);
}

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
  std::FILE* file = openFile(path, "rb");
  if (!file) throw FileOpenError(path);
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw FileOpenError(path);
  return bytes;
}

bool isPlainFile(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info;
  return _wstat64(sjisToWide(path).c_str(), &info) == 0 && (info.st_mode & _S_IFREG) != 0;
#else
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

std::filesystem::path fileSystemPath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(sjisToWide(path));
#else
  return std::filesystem::path(path);
#endif
}

}  // namespace fudekko

#include "common/errors.h"

#include "common/shift_jis.h"

namespace fudekko {

std::string formatWithPath(const char* messageUtf8, const Utf8Path& path) {
  std::string text = messageUtf8;
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path.utf8);
  return text;
}

std::string formatWithPath(const char* messageUtf8, const std::string& pathSjis) {
  return formatWithPath(messageUtf8, Utf8Path{sjisToUtf8(pathSjis)});
}

FileCreateError::FileCreateError(const std::string& path)
    : Error(formatWithPath("ファイル %s を作成できません", path)) {}

FileWriteError::FileWriteError(const std::string& path, bool diskFull)
    : StreamWriteError(formatWithPath(diskFull
                                          ? "ディスクがいっぱいで、ファイル %s を書き込めません"
                                          : "ファイル %s を書き込めません",
                                      path)) {}

FileNotWrittenError::FileNotWrittenError(const std::string& path)
    : FileNotWrittenError(Utf8Path{sjisToUtf8(path)}) {}

FileNotWrittenError::FileNotWrittenError(const Utf8Path& path)
    : FileNotWrittenError("%s に書き込めません", path) {}

FileNotWrittenError::FileNotWrittenError(const char* messageUtf8, const Utf8Path& path)
    : Error(formatWithPath(messageUtf8, path)) {}

FileOpenError::FileOpenError(const std::string& path) : FileOpenError(Utf8Path{sjisToUtf8(path)}) {}

FileOpenError::FileOpenError(const Utf8Path& path)
    : Error(formatWithPath("ファイル %s は開けません", path)) {}

}  // namespace fudekko

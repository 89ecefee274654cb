#pragma once
// A settings file of the private-profile kind: "[section]" lines, then "key=value"
// lines. Section and key names compare without regard to the case of ASCII letters,
// blanks around names and values are dropped, and every access reads or writes the
// file itself (no copy of it is kept). Values are Shift-JIS bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"

namespace fudekko {

// "%s に書き込めません" with the settings file's path.
class SettingsWriteError : public FileNotWrittenError {
 public:
  using FileNotWrittenError::FileNotWrittenError;
};

// A settings file marked read-only: its owner chose to keep it as it is.
class SettingsReadOnlyError : public SettingsWriteError {
 public:
  explicit SettingsReadOnlyError(const std::string& path);
};

// A text value is read into a buffer of this many bytes, the last one for the end
// mark: a longer value is cut to kIniValueBuffer - 1 bytes.
inline constexpr std::size_t kIniValueBuffer = 2048;

// The integer that a settings text stands for, or nothing when it does not convert:
// decimal with an optional sign, or "$", "x", "X", "0x", "0X" and one to eight hex
// digits that fill the 32 bits as they stand ("$FFFFFFFF" is -1). Leading blanks are
// skipped; anything else, a trailing blank included, makes the text invalid.
std::optional<std::int32_t> parseIniInteger(std::string_view text);

class IniFile {
 public:
  // `path` is Shift-JIS.
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // The value, or `fallback` when the file, the section or the key is missing.
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // The value read as text, converted by parseIniInteger; `fallback` when missing or
  // when it does not convert.
  std::int32_t readInteger(std::string_view section, std::string_view key,
                           std::int32_t fallback) const;

  // Replaces the key's value in place, or adds the key at the end of the section,
  // or the section at the end of the file; creates the file when missing. Every other
  // line stays byte for byte; new lines end with CR LF. The file is replaced whole
  // through a temporary file beside it, so a failed write leaves the former file. A
  // file marked read-only is never replaced: SettingsReadOnlyError. Throws
  // SettingsWriteError.
  void writeString(std::string_view section, std::string_view key, std::string_view value);
  // As plain decimal, with "-" for a negative value.
  void writeInteger(std::string_view section, std::string_view key, std::int32_t value);

 private:
  std::string path_;
};

}  // namespace fudekko

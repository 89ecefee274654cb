#pragma once
// The text of the version dialog's label, worked out from the program file's version
// information. The Win32 side reads the information; the decision lives here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fudekko {

inline constexpr std::string_view kVersionAuthorLine = "Fudekko developers";
// The label's text until the version is known, and for good when the lookup fails.
inline constexpr std::string_view kVersionLabelPlaceholder = "VersionLabel";
// The Japanese (code page 932) string table's version entry.
inline constexpr std::string_view kFileVersionKey = "StringFileInfo\\041103A4\\FileVersion";

// What the label needs of the program file's version information.
class VersionInfoSource {
 public:
  virtual ~VersionInfoSource() = default;
  // Size in bytes of the version information; 0 when there is none or the query fails.
  virtual std::uint32_t infoSize() = 0;
  // Reads the information (`size` bytes) and looks `key` up in it. Gives the value's
  // bytes (Shift-JIS) as far as the information says they reach, which may include the
  // terminating zero; nothing when the read or the lookup fails.
  virtual std::optional<std::string> lookUp(std::uint32_t size, std::string_view key) = 0;
};

// The label's new text: the author line, CR LF, and "    Version " with the file
// version, or "    Version Error" when the file has no version information. Nothing
// when the lookup fails: the label then keeps its text.
std::optional<std::string> versionLabelText(VersionInfoSource& source);

}  // namespace fudekko

#include "app/version_text.h"

namespace fudekko {

std::optional<std::string> versionLabelText(VersionInfoSource& source) {
  std::string text(kVersionAuthorLine);
  text += "\r\n";
  const std::uint32_t size = source.infoSize();
  if (size == 0) return text + "    Version Error";
  const std::optional<std::string> value = source.lookUp(size, kFileVersionKey);
  if (!value) return std::nullopt;
  // The value is a zero-terminated string; never read past what the lookup reported.
  return text + "    Version " + value->substr(0, value->find('\0'));
}

}  // namespace fudekko

#include "settings/settings.h"

#include <utility>

#include "common/shift_jis.h"

namespace fudekko {

std::string settingsPathFor(std::string_view programPath) {
  // Character by character: a trail byte 0x5C is not a backslash.
  std::size_t directoryEnd = 0;
  for (std::size_t at = 0; at < programPath.size(); at += sjisCharLength(programPath, at)) {
    const char c = programPath[at];
    if (sjisCharLength(programPath, at) == 1 && (c == '\\' || c == ':')) directoryEnd = at + 1;
  }
  return std::string(programPath.substr(0, directoryEnd)) + std::string(kSettingsFileName);
}

std::string readMailClientPath(const IniFile& file) {
  return file.readString(kSettingsSection, kMailClientPathKey, kDefaultMailClientPath);
}

void writeMailClientPath(IniFile& file, std::string_view path) {
  file.writeString(kSettingsSection, kMailClientPathKey, path);
}

bool readSmoothInk(const IniFile& file) {
  return file.readInteger(kSettingsSection, kSmoothInkKey, 1) != 0;
}

void SessionSettings::store(const std::function<void(IniFile&)>& write) {
  try {
    write(file_);
  } catch (const SettingsWriteError&) {
    if (std::exchange(failedBefore_, true)) return;
    throw;
  }
}

}  // namespace fudekko

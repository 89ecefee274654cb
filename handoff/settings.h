#pragma once
// The program's three settings in "Fudek.ini" beside its program file.

#include <cstdint>
#include <string>
#include <string_view>

#include "handoff/ini_file.h"

namespace fudekko {

inline constexpr std::string_view kSettingsFileName = "Fudek.ini";
inline constexpr std::string_view kMailClientPathKey = "ALMailPath";
inline constexpr std::string_view kDefaultMailClientPath =
    "C:\\Program Files\\ALMAIL32\\almail.exe";

// The settings file's path for the program file at `programPath` (Shift-JIS): the
// program's directory, cut after its last backslash or colon, and "Fudek.ini".
std::string settingsPathFor(std::string_view programPath);

struct StartSettings {
  std::string mailClientPath;
  std::int32_t penWidth = kDefaultPenWidth;  // brought into range: 1 .. 20
  std::int32_t penColor = kDefaultPenColor;  // brought into range: 0 .. 15
};

// Reads "ALMailPath", "PenWidth" and "PenColor" from section "Main". Missing or
// unreadable values give the defaults; never throws.
StartSettings readStartSettings(const IniFile& file);

// Stores the mail client's path under "ALMailPath". Throws SettingsWriteError.
void writeMailClientPath(IniFile& file, std::string_view path);

}  // namespace fudekko

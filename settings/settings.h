#pragma once
// The program's settings file, "Fudek.ini" beside its program file, and its keys.

#include <functional>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace fudekko {

inline constexpr std::string_view kSettingsFileName = "Fudek.ini";
inline constexpr std::string_view kSettingsSection = "Main";
inline constexpr std::string_view kMailClientPathKey = "ALMailPath";
inline constexpr std::string_view kPenColorKey = "PenColor";
inline constexpr std::string_view kPenWidthKey = "PenWidth";
inline constexpr std::string_view kSmoothInkKey = "SmoothInk";
inline constexpr std::string_view kEraserKindKey = "EraserKind";
inline constexpr std::string_view kBrushPenKey = "BrushPen";
inline constexpr std::string_view kHighlighterColorKey = "HighlighterColor";
inline constexpr std::string_view kHighlighterWidthKey = "HighlighterWidth";
inline constexpr std::string_view kDefaultMailClientPath =
    "C:\\Program Files\\ALMAIL32\\almail.exe";

// The settings file's path for the program file at `programPath` (Shift-JIS): the
// program's directory, cut after its last backslash or colon, and "Fudek.ini".
std::string settingsPathFor(std::string_view programPath);

// "ALMailPath" of section "Main", or the default path; never throws.
std::string readMailClientPath(const IniFile& file);

// Stores the mail client's path under "ALMailPath". Throws SettingsWriteError.
void writeMailClientPath(IniFile& file, std::string_view path);

// "SmoothInk" of section "Main": false only for 0 (the classic, aliased ink); true
// when missing or unreadable. Only read, never written: the file keeps its lines.
bool readSmoothInk(const IniFile& file);

// The settings file as one run of the program uses it: read at will, written through
// `store`. A file that cannot be written is said once a run: the first write that fails
// throws, the later ones fail without a word, while the choice they stored holds in the
// window all the same.
class SessionSettings {
 public:
  explicit SessionSettings(std::string path) : file_(std::move(path)) {}

  const IniFile& file() const { return file_; }

  // Runs `write` on the file. Throws its SettingsWriteError only when it is the run's
  // first.
  void store(const std::function<void(IniFile&)>& write);

 private:
  IniFile file_;
  bool failedBefore_ = false;
};

}  // namespace fudekko

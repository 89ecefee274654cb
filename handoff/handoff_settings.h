#pragma once
// The hand-off's keys in section "Main" of the settings file: which mail client Send
// uses, and where and in which type Save As last wrote.

#include <string>
#include <string_view>

#include "handoff/attachment.h"
#include "settings/ini_file.h"

namespace fudekko {

inline constexpr std::string_view kMailClientKey = "MailClient";
// The value of "MailClient" that sends through the system's default mail client.
inline constexpr std::string_view kMapiMailClient = "MAPI";
inline constexpr std::string_view kSaveFolderKey = "SaveFolder";
inline constexpr std::string_view kSaveFormatKey = "SaveFormat";
inline constexpr std::string_view kWrapLongLinesKey = "WrapLongLines";

// True only for "MailClient=MAPI"; missing or any other value is the mail client
// named by "ALMailPath". Never throws.
bool readSendsThroughMapi(const IniFile& file);
// Stores "MAPI", or an empty value for the mail client of "ALMailPath". Throws
// SettingsWriteError.
void writeSendsThroughMapi(IniFile& file, bool throughMapi);

// Whether Send writes the body as the text area's display lines (a line wider than the
// area broken where the window wraps it): false only for "WrapLongLines=0", when every
// line goes back as it was typed. Never throws.
bool readWrapLongLines(const IniFile& file);
// Throws SettingsWriteError.
void writeWrapLongLines(IniFile& file, bool wrap);

// The folder (Shift-JIS) Save As last wrote into; empty when none is stored.
std::string readSaveFolder(const IniFile& file);
void writeSaveFolder(IniFile& file, std::string_view folder);

// The type Save As last wrote, stored as "PNG", "GIF" or "BMP"; PNG when missing or
// unknown.
AttachmentFormat readSaveFormat(const IniFile& file);
void writeSaveFormat(IniFile& file, AttachmentFormat format);

}  // namespace fudekko

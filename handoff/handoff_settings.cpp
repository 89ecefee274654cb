#include "handoff/handoff_settings.h"

#include "settings/settings.h"

namespace fudekko {

namespace {

// The extension without its dot, upper-cased: the command line's switch spelling.
std::string formatName(AttachmentFormat format) {
  std::string name(attachmentExtension(format).substr(1));
  for (char& c : name) c = static_cast<char>(c - 'a' + 'A');
  return name;
}

}  // namespace

bool readSendsThroughMapi(const IniFile& file) {
  return file.readString(kSettingsSection, kMailClientKey, "") == kMapiMailClient;
}

void writeSendsThroughMapi(IniFile& file, bool throughMapi) {
  file.writeString(kSettingsSection, kMailClientKey, throughMapi ? kMapiMailClient : "");
}

bool readWrapLongLines(const IniFile& file) {
  return file.readInteger(kSettingsSection, kWrapLongLinesKey, 1) != 0;
}

void writeWrapLongLines(IniFile& file, bool wrap) {
  file.writeInteger(kSettingsSection, kWrapLongLinesKey, wrap ? 1 : 0);
}

std::string readSaveFolder(const IniFile& file) {
  return file.readString(kSettingsSection, kSaveFolderKey, "");
}

void writeSaveFolder(IniFile& file, std::string_view folder) {
  file.writeString(kSettingsSection, kSaveFolderKey, folder);
}

AttachmentFormat readSaveFormat(const IniFile& file) {
  const std::string stored = file.readString(kSettingsSection, kSaveFormatKey, "");
  for (const AttachmentFormat format :
       {AttachmentFormat::Png, AttachmentFormat::Gif, AttachmentFormat::Bmp}) {
    if (stored == formatName(format)) return format;
  }
  return AttachmentFormat::Png;
}

void writeSaveFormat(IniFile& file, AttachmentFormat format) {
  file.writeString(kSettingsSection, kSaveFormatKey, formatName(format));
}

}  // namespace fudekko

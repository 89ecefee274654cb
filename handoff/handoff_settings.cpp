#include "handoff/handoff_settings.h"

#include "settings/settings.h"

namespace fudekko {

namespace {

std::string_view formatName(AttachmentFormat format) {
  // The extension without its dot, upper-cased: the command line's switch spelling.
  switch (format) {
    case AttachmentFormat::Png:
      return "PNG";
    case AttachmentFormat::Gif:
      return "GIF";
    case AttachmentFormat::Bmp:
      break;
  }
  return "BMP";
}

}  // namespace

bool readSendsThroughMapi(const IniFile& file) {
  return file.readString(kSettingsSection, kMailClientKey, "") == kMapiMailClient;
}

void writeSendsThroughMapi(IniFile& file, bool throughMapi) {
  file.writeString(kSettingsSection, kMailClientKey, throughMapi ? kMapiMailClient : "");
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

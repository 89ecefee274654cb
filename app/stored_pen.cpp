#include "app/stored_pen.h"

#include "settings/settings.h"

namespace fudekko {

StartPen readStartPen(const IniFile& file) {
  StartPen pen;
  pen.colorIndex =
      penColorInRange(file.readInteger(kSettingsSection, kPenColorKey, kDefaultPenColor));
  pen.lineWidth =
      penWidthInRange(file.readInteger(kSettingsSection, kPenWidthKey, kDefaultPenWidth));
  return pen;
}

void StoredPen::storePen(std::int32_t colorIndex, std::int32_t lineWidth) {
  if (!file_) return;
  file_->writeInteger(kSettingsSection, kPenColorKey, colorIndex);
  file_->writeInteger(kSettingsSection, kPenWidthKey, lineWidth);
}

}  // namespace fudekko

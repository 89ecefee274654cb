#include "app/stored_pen.h"

#include "settings/settings.h"

namespace fudekko {

Pen readStoredPen(const IniFile& file) {
  return {penColorInRange(file.readInteger(kSettingsSection, kPenColorKey, kDefaultPenColor)),
          penWidthInRange(file.readInteger(kSettingsSection, kPenWidthKey, kDefaultPenWidth))};
}

void storePen(IniFile& file, const Pen& pen) {
  file.writeInteger(kSettingsSection, kPenColorKey, pen.colorIndex);
  file.writeInteger(kSettingsSection, kPenWidthKey, pen.lineWidth);
}

}  // namespace fudekko

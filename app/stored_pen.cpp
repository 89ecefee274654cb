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

Pen readStoredHighlighter(const IniFile& file) {
  return {penColorInRange(file.readInteger(kSettingsSection, kHighlighterColorKey, kYellowIndex),
                          kYellowIndex),
          highlighterWidthInRange(
              file.readInteger(kSettingsSection, kHighlighterWidthKey, kDefaultHighlighterWidth))};
}

void storeHighlighter(IniFile& file, const Pen& highlighter) {
  file.writeInteger(kSettingsSection, kHighlighterColorKey, highlighter.colorIndex);
  file.writeInteger(kSettingsSection, kHighlighterWidthKey, highlighter.lineWidth);
}

EraserKind readStoredEraserKind(const IniFile& file) {
  return file.readInteger(kSettingsSection, kEraserKindKey, 0) == 1 ? EraserKind::Stroke
                                                                    : EraserKind::Partial;
}

void storeEraserKind(IniFile& file, EraserKind kind) {
  file.writeInteger(kSettingsSection, kEraserKindKey, kind == EraserKind::Stroke ? 1 : 0);
}

bool readStoredBrushPen(const IniFile& file) {
  return file.readInteger(kSettingsSection, kBrushPenKey, 0) != 0;
}

void storeBrushPen(IniFile& file, bool on) {
  file.writeInteger(kSettingsSection, kBrushPenKey, on ? 1 : 0);
}

}  // namespace fudekko

#pragma once
// The pen as the settings file keeps it, in section "Main": "PenColor" and "PenWidth",
// the highlighter's "HighlighterColor" and "HighlighterWidth", the eraser's kind
// ("EraserKind", 0 partial, 1 stroke) and the brush pen ("BrushPen").

#include "settings/ini_file.h"
#include "surface/pen_tools.h"

namespace fudekko {

// The stored pen, brought into range (colour 0 .. 15, width 1 .. 20); missing or
// unreadable values give the defaults. Never throws.
Pen readStoredPen(const IniFile& file);

// Stores "PenColor", then "PenWidth". Throws SettingsWriteError.
void storePen(IniFile& file, const Pen& pen);

// The stored highlighter, brought into range (colour 0 .. 15, width 1 .. 48); missing or
// unreadable values give yellow, 16 pixels. Never throws.
Pen readStoredHighlighter(const IniFile& file);
// Stores "HighlighterColor", then "HighlighterWidth". Throws SettingsWriteError.
void storeHighlighter(IniFile& file, const Pen& highlighter);

// The partial eraser unless "EraserKind" is 1; never throws.
EraserKind readStoredEraserKind(const IniFile& file);
// Throws SettingsWriteError.
void storeEraserKind(IniFile& file, EraserKind kind);

// On only for "BrushPen" other than 0; off when missing. Never throws.
bool readStoredBrushPen(const IniFile& file);
// Throws SettingsWriteError.
void storeBrushPen(IniFile& file, bool on);

}  // namespace fudekko

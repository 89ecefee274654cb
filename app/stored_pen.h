#pragma once
// The pen as the settings file keeps it: "PenColor" and "PenWidth" in section "Main".

#include "settings/ini_file.h"
#include "surface/pen_tools.h"

namespace fudekko {

// The stored pen, brought into range (colour 0 .. 15, width 1 .. 20); missing or
// unreadable values give the defaults. Never throws.
Pen readStoredPen(const IniFile& file);

// Stores "PenColor", then "PenWidth". Throws SettingsWriteError.
void storePen(IniFile& file, const Pen& pen);

}  // namespace fudekko

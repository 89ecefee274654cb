#pragma once
// The pen as the settings file keeps it: "PenColor" and "PenWidth" in section "Main".

#include <cstdint>
#include <memory>

#include "settings/ini_file.h"
#include "surface/pen_tools.h"

namespace fudekko {

struct StartPen {
  std::int32_t colorIndex = kDefaultPenColor;  // brought into range: 0 .. 15
  std::int32_t lineWidth = kDefaultPenWidth;   // brought into range: 1 .. 20
};

// The stored pen; missing or unreadable values give the defaults. Never throws.
StartPen readStartPen(const IniFile& file);

// Stores the pen in the settings file once it exists: "PenColor", then "PenWidth".
// Throws SettingsWriteError.
class StoredPen : public PenStore {
 public:
  explicit StoredPen(const std::unique_ptr<IniFile>& file) : file_(file) {}
  void storePen(std::int32_t colorIndex, std::int32_t lineWidth) override;

 private:
  const std::unique_ptr<IniFile>& file_;
};

}  // namespace fudekko

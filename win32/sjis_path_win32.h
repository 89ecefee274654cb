#pragma once
// Paths for the parts of the program that keep them in Shift-JIS (the settings, the
// attachment writers): a path that code page 932 cannot spell may still be reached
// through its short name.

#include <optional>
#include <string>

namespace fudekko::win32 {

// The path in Shift-JIS when code page 932 spells it exactly.
std::optional<std::string> exactSjis(const std::wstring& path);

// The same, or else its short (8.3) name when that one is spelled; nothing when
// neither is (short names may be switched off on a volume).
std::optional<std::string> sjisSpelling(const std::wstring& path);

}  // namespace fudekko::win32

#pragma once
// The path of the program file that runs, however long.

#include <windows.h>

#include <string>

#include "common/shift_jis.h"
#include "win32/sjis_path_win32.h"

namespace fudekko::win32 {

inline std::wstring programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The same for the settings, which keep paths in Shift-JIS: in a folder that code page
// 932 cannot spell, through the short name.
inline std::string programPathInSjis() {
  const std::wstring path = programPath();
  return sjisSpelling(path).value_or(wideToSjis(path));
}

}  // namespace fudekko::win32

#include "win32/sjis_path_win32.h"

#include <windows.h>

#include "common/shift_jis.h"

namespace fudekko::win32 {

std::optional<std::string> exactSjis(const std::wstring& path) {
  std::string sjis = wideToSjis(path);
  if (sjisToWide(sjis) != path) return std::nullopt;
  return sjis;
}

std::optional<std::string> sjisSpelling(const std::wstring& path) {
  if (auto sjis = exactSjis(path)) return sjis;
  // A short name is never longer than the long one.
  std::wstring shortName(path.size() + 1, L'\0');
  const DWORD length =
      ::GetShortPathNameW(path.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
  if (length == 0 || length >= shortName.size()) return std::nullopt;
  shortName.resize(length);
  return exactSjis(shortName);
}

}  // namespace fudekko::win32

#pragma once
// A file written whole or not at all: the new bytes go into a temporary file beside
// it, which then takes its place by a rename, so that the file is always either the
// former one or the new one, never a part of either.

#include <filesystem>
#include <functional>

namespace fudekko {

// Runs `write`, which fills the file `temporary` (the caller's to name, beside
// `target`), then renames it over `target`, replacing a file that stands there. When
// `write` throws or the rename fails, `temporary` is removed and `target` stays as it
// was: what `write` threw goes on to the caller, a failed rename gives false. The
// caller reports either, naming the target.
bool writeBesideThenRename(const std::filesystem::path& temporary,
                           const std::filesystem::path& target, const std::function<void()>& write);

}  // namespace fudekko

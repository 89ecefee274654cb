#include "common/replace_file.h"

#include <system_error>

#include "common/scope_guard.h"

namespace fudekko {

bool writeBesideThenRename(const std::filesystem::path& temporary,
                           const std::filesystem::path& target,
                           const std::function<void()>& write) {
  ScopeGuard removeTemporary([&] {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
  });
  write();
  std::error_code failed;
  std::filesystem::rename(temporary, target, failed);
  if (failed) return false;
  removeTemporary.dismiss();
  return true;
}

}  // namespace fudekko

#include "common/replace_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "support/test_folder.h"

namespace fudekko {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string content(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(WriteBesideThenRename, ReplacesTheTargetOnlyWhenAllWentWellAndLeavesNoTemporaryFile) {
  const test::TestFolder folder;
  const fs::path target = folder.path() / "target.txt";
  const fs::path temporary = folder.path() / "target.txt.tmp";
  put(target, "former");

  // A write that fails halfway leaves the target as it was; its error goes on.
  const auto failHalfway = [&] {
    put(temporary, "new, but not all");
    throw std::runtime_error("disk full");
  };
  EXPECT_THROW(writeBesideThenRename(temporary, target, failHalfway), std::runtime_error);
  EXPECT_EQ(content(target), "former");
  EXPECT_FALSE(fs::exists(temporary));

  // So does a rename that fails: a folder stands in the target's place.
  const fs::path folderTarget = folder.path() / "folder";
  fs::create_directories(folderTarget / "inside");
  EXPECT_FALSE(writeBesideThenRename(temporary, folderTarget, [&] { put(temporary, "new"); }));
  EXPECT_TRUE(fs::exists(folderTarget / "inside"));
  EXPECT_FALSE(fs::exists(temporary));

  EXPECT_TRUE(writeBesideThenRename(temporary, target, [&] { put(temporary, "new"); }));
  EXPECT_EQ(content(target), "new");
  EXPECT_FALSE(fs::exists(temporary));
}

}  // namespace
}  // namespace fudekko

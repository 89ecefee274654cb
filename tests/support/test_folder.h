#pragma once
// A folder of the running test's own inside its test binary's work folder in the build
// tree (never the machine's temporary folder): made empty at the start, removed at the
// end.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

namespace fudekko::test {

class TestFolder {
 public:
  TestFolder() : path_(std::filesystem::path(FUDEKKO_TEST_WORK_DIR) / currentTestName()) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  static std::string currentTestName() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised names
    return name;
  }

  std::filesystem::path path_;
};

}  // namespace fudekko::test

#include "app/version_text.h"

#include <gtest/gtest.h>

#include <utility>

namespace fudekko {
namespace {

// Version information as a test lays it out; remembers what was asked of it.
class FakeVersionInfo : public VersionInfoSource {
 public:
  FakeVersionInfo(std::uint32_t size, std::optional<std::string> value)
      : size_(size), value_(std::move(value)) {}

  std::uint32_t infoSize() override { return size_; }
  std::optional<std::string> lookUp(std::uint32_t size, std::string_view key) override {
    ++lookUps;
    askedSize = size;
    askedKey = key;
    return value_;
  }

  int lookUps = 0;
  std::uint32_t askedSize = 0;
  std::string askedKey;

 private:
  std::uint32_t size_;
  std::optional<std::string> value_;
};

TEST(VersionLabelText, FoundVersionFollowsTheAuthorLine) {
  FakeVersionInfo info(1234, std::string("1.0.0.3\0", 8));
  EXPECT_EQ(versionLabelText(info), "Fudekko developers\r\n    Version 1.0.0.3");
  EXPECT_EQ(info.askedSize, 1234u);
  EXPECT_EQ(info.askedKey, "StringFileInfo\\041103A4\\FileVersion");
}

TEST(VersionLabelText, ValueEndsAtItsZeroOrWhereTheInformationEnds) {
  FakeVersionInfo padded(64, std::string("1.2\0\0junk", 9));
  EXPECT_EQ(versionLabelText(padded), "Fudekko developers\r\n    Version 1.2");
  FakeVersionInfo unterminated(64, std::string("2.0.1"));
  EXPECT_EQ(versionLabelText(unterminated), "Fudekko developers\r\n    Version 2.0.1");
  FakeVersionInfo empty(64, std::string());
  EXPECT_EQ(versionLabelText(empty), "Fudekko developers\r\n    Version ");
}

TEST(VersionLabelText, NoVersionInformationReadsError) {
  FakeVersionInfo info(0, std::string("1.0.0.3"));
  EXPECT_EQ(versionLabelText(info), "Fudekko developers\r\n    Version Error");
  EXPECT_EQ(info.lookUps, 0);
}

TEST(VersionLabelText, FailedLookupLeavesTheLabelAlone) {
  FakeVersionInfo info(1234, std::nullopt);
  EXPECT_EQ(versionLabelText(info), std::nullopt);
  EXPECT_EQ(info.lookUps, 1);
}

}  // namespace
}  // namespace fudekko

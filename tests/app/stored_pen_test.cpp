#include "app/stored_pen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

TEST(StoredPen, DefaultsAndOutOfRangeValues) {
  const test::TestFolder folder;
  IniFile file(folder.file("Fudek.ini"));
  StartPen got = readStartPen(file);
  EXPECT_EQ(got.lineWidth, 5);
  EXPECT_EQ(got.colorIndex, 0);

  struct Case {
    const char* width;
    const char* color;
    int expectedWidth;
    int expectedColor;
  };
  for (const Case& c : {Case{"0x7", "15", 7, 15}, Case{"$7", "$F", 7, 15}, Case{"7px", "", 5, 0},
                        Case{"-$7", "abc", 5, 0}, Case{"0", "16", 5, 0}, Case{"-3", "-1", 5, 0},
                        Case{"21", "$FFFFFFFF", 20, 0}, Case{"100000", "7", 20, 7},
                        Case{"20", "0", 20, 0}, Case{"1", "2147483647", 1, 0}}) {
    SCOPED_TRACE(std::string(c.width) + " / " + c.color);
    file.writeString("Main", "PenWidth", c.width);
    file.writeString("Main", "PenColor", c.color);
    got = readStartPen(file);
    EXPECT_EQ(got.lineWidth, c.expectedWidth);
    EXPECT_EQ(got.colorIndex, c.expectedColor);
  }
}

TEST(StoredPen, StoresColourThenWidthOnceTheFileExists) {
  const test::TestFolder folder;
  std::unique_ptr<IniFile> file;
  StoredPen pen(file);
  pen.storePen(3, 7);  // before the settings file is known: nothing to store into
  file = std::make_unique<IniFile>(folder.file("Fudek.ini"));
  pen.storePen(3, 7);
  EXPECT_EQ(file->readString("Main", "PenColor", ""), "3");
  EXPECT_EQ(file->readString("Main", "PenWidth", ""), "7");
  EXPECT_EQ(readStartPen(*file).lineWidth, 7);
}

}  // namespace
}  // namespace fudekko

#include "app/stored_pen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "settings/settings.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

// "EraserKind" and "BrushPen": the defaults when missing or odd, and what is stored
// reads back.
TEST(StoredPen, EraserKindAndBrushPen) {
  const test::TestFolder folder;
  IniFile file(folder.file("Fudek.ini"));
  EXPECT_EQ(readStoredEraserKind(file), EraserKind::Partial);
  EXPECT_FALSE(readStoredBrushPen(file));
  for (const char* odd : {"2", "-1", "stroke", ""}) {
    file.writeString("Main", "EraserKind", odd);
    EXPECT_EQ(readStoredEraserKind(file), EraserKind::Partial) << odd;
  }
  storeEraserKind(file, EraserKind::Stroke);
  storeBrushPen(file, true);
  EXPECT_EQ(file.readString("Main", "EraserKind", ""), "1");
  EXPECT_EQ(readStoredEraserKind(file), EraserKind::Stroke);
  EXPECT_TRUE(readStoredBrushPen(file));
  storeBrushPen(file, false);
  EXPECT_EQ(file.readString("Main", "BrushPen", ""), "0");
}

// The highlighter: yellow and 16 pixels when missing or odd, its own range, stored apart
// from the pen.
TEST(StoredPen, Highlighter) {
  const test::TestFolder folder;
  IniFile file(folder.file("Fudek.ini"));
  EXPECT_EQ(readStoredHighlighter(file), (Pen{kYellowIndex, 16}));
  file.writeString("Main", "HighlighterWidth", "0");
  file.writeString("Main", "HighlighterColor", "16");
  EXPECT_EQ(readStoredHighlighter(file), (Pen{kYellowIndex, 16}));
  file.writeString("Main", "HighlighterWidth", "100");
  EXPECT_EQ(readStoredHighlighter(file).lineWidth, kMaxHighlighterWidth);
  storeHighlighter(file, {4, 24});
  EXPECT_EQ(readStoredHighlighter(file), (Pen{4, 24}));
  EXPECT_EQ(readStoredPen(file), (Pen{0, 5}));
}

TEST(StoredPen, DefaultsAndOutOfRangeValues) {
  const test::TestFolder folder;
  IniFile file(folder.file("Fudek.ini"));
  Pen got = readStoredPen(file);
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
    got = readStoredPen(file);
    EXPECT_EQ(got.lineWidth, c.expectedWidth);
    EXPECT_EQ(got.colorIndex, c.expectedColor);
  }
}

TEST(StoredPen, StoresColourThenWidth) {
  const test::TestFolder folder;
  IniFile file(folder.file("Fudek.ini"));
  storePen(file, {3, 7});
  EXPECT_EQ(file.readString("Main", "PenColor", ""), "3");
  EXPECT_EQ(file.readString("Main", "PenWidth", ""), "7");
  EXPECT_EQ(readStoredPen(file), (Pen{3, 7}));
  std::ifstream stored(file.path(), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(stored), {}};
  EXPECT_EQ(bytes, "[Main]\r\nPenColor=3\r\nPenWidth=7\r\n");
}

}  // namespace
}  // namespace fudekko

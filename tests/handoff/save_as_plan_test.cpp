#include "handoff/save_as_plan.h"

#include <gtest/gtest.h>

#include "common/shift_jis.h"
#include "handoff/handoff_settings.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

using Format = AttachmentFormat;

TEST(SaveAsPlan, TypesInTheDialogsOrderCountedFromOne) {
  EXPECT_EQ(saveAsTypeIndex(Format::Png), 1u);
  EXPECT_EQ(saveAsTypeIndex(Format::Gif), 2u);
  EXPECT_EQ(saveAsTypeIndex(Format::Bmp), 3u);
  EXPECT_EQ(saveAsFormatAt(2), Format::Gif);
  EXPECT_EQ(saveAsFormatAt(0), Format::Png);
  EXPECT_EQ(saveAsFormatAt(4), Format::Png);
}

TEST(SaveAsPlan, DefaultNameFollowsSendsRule) {
  EXPECT_EQ(defaultSaveAsName("Re: Hello", "body", Format::Png), "Re_ Hello.png");
  EXPECT_EQ(defaultSaveAsName("", "  Hello ", Format::Gif), "Hello.gif");
  EXPECT_EQ(defaultSaveAsName("", "", Format::Bmp), utf8ToSjis("無題.bmp"));
  EXPECT_EQ(defaultSaveAsName("a/b?CON", "", Format::Png), "a_b_CON.png");
  const std::string name = defaultSaveAsName(std::string(1000, 'x'), "", Format::Png);
  EXPECT_EQ(name, std::string(251, 'x') + ".png");  // within one name's 255 characters
}

TEST(SaveAsPlan, ExtensionFollowsTheChosenType) {
  EXPECT_EQ(withSaveAsExtension(L"C:\\d\\pic", Format::Png), L"C:\\d\\pic.png");
  EXPECT_EQ(withSaveAsExtension(L"C:\\d\\pic.PNG", Format::Png), L"C:\\d\\pic.PNG");
  EXPECT_EQ(withSaveAsExtension(L"C:\\d\\pic.png", Format::Gif), L"C:\\d\\pic.gif");
  EXPECT_EQ(withSaveAsExtension(L"C:\\d\\pic.Bmp", Format::Png), L"C:\\d\\pic.png");
  EXPECT_EQ(withSaveAsExtension(L"C:\\d\\notes.txt", Format::Bmp), L"C:\\d\\notes.txt.bmp");
  EXPECT_EQ(withSaveAsExtension(L"C:\\d\\pic. .", Format::Gif), L"C:\\d\\pic.gif");
  // A dot in a folder's name is no extension.
  EXPECT_EQ(withSaveAsExtension(L"C:\\d.png\\pic", Format::Gif), L"C:\\d.png\\pic.gif");

  // What an item dialog appended to another picture type's extension goes first.
  EXPECT_EQ(withoutAppendedExtension(L"C:\\d\\pic.gif.png", Format::Png), L"C:\\d\\pic.gif");
  EXPECT_EQ(withoutAppendedExtension(L"C:\\d\\pic.BMP.Gif", Format::Gif), L"C:\\d\\pic.BMP");
  for (const wchar_t* kept : {L"C:\\d\\pic.txt.png", L"C:\\d\\pic.png", L"C:\\d\\.gif.png.png"}) {
    EXPECT_EQ(withoutAppendedExtension(kept, Format::Png), kept);
  }
}

TEST(HandoffSettings, MailClientSaveFolderAndSaveFormatReadBack) {
  test::TestFolder folder;
  IniFile file(folder.file("Fudek.ini"));
  EXPECT_FALSE(readSendsThroughMapi(file));
  EXPECT_EQ(readSaveFolder(file), "");
  EXPECT_EQ(readSaveFormat(file), Format::Png);

  writeSendsThroughMapi(file, true);
  writeSaveFolder(file, utf8ToSjis("C:\\絵\\表"));
  writeSaveFormat(file, Format::Gif);
  EXPECT_TRUE(readSendsThroughMapi(file));
  EXPECT_EQ(readSaveFolder(file), utf8ToSjis("C:\\絵\\表"));
  EXPECT_EQ(readSaveFormat(file), Format::Gif);
  EXPECT_EQ(file.readString("Main", "MailClient", ""), "MAPI");
  EXPECT_EQ(file.readString("Main", "SaveFormat", ""), "GIF");

  writeSendsThroughMapi(file, false);
  EXPECT_FALSE(readSendsThroughMapi(file));
  for (const char* other : {"mapi", "MAPI2", "ALMail"}) {
    file.writeString("Main", "MailClient", other);
    EXPECT_FALSE(readSendsThroughMapi(file)) << other;
  }
  file.writeString("Main", "SaveFormat", "JPG");
  EXPECT_EQ(readSaveFormat(file), Format::Png);
}

}  // namespace
}  // namespace fudekko

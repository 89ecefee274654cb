#include "settings/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/shift_jis.h"
#include "settings/ini_file.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

TEST(IniInteger, ConversionRules) {
  EXPECT_EQ(parseIniInteger("7"), 7);
  EXPECT_EQ(parseIniInteger("0x7"), 7);
  EXPECT_EQ(parseIniInteger("0X1f"), 31);
  EXPECT_EQ(parseIniInteger("$7"), 7);
  EXPECT_EQ(parseIniInteger("x7"), 7);
  EXPECT_EQ(parseIniInteger("X7"), 7);
  EXPECT_EQ(parseIniInteger("+7"), 7);
  EXPECT_EQ(parseIniInteger("-7"), -7);
  EXPECT_EQ(parseIniInteger("007"), 7);
  EXPECT_EQ(parseIniInteger("  7"), 7);
  EXPECT_EQ(parseIniInteger(" 0x7"), 7);
  EXPECT_EQ(parseIniInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(parseIniInteger("$80000000"), INT32_MIN);
  EXPECT_EQ(parseIniInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(parseIniInteger("-2147483648"), INT32_MIN);

  for (const char* bad :
       {"", " ", "7px", "7 ", "-$7", "+$7", "$", "0x", "x", "-", "+", "$123456789", "2147483648",
        "-2147483649", "99999999999999999999", "$G", "7.0", "1e3", "- 7"}) {
    EXPECT_FALSE(parseIniInteger(bad)) << '"' << bad << '"';
  }
}

class IniFileTest : public testing::Test {
 protected:
  test::TestFolder folder_;
  std::filesystem::path dir_ = folder_.path();
  std::string path_ = folder_.file("Fudek.ini");
  void put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string content() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndWritingCreatesIt) {
  IniFile file(path_);
  EXPECT_EQ(file.readString("Main", "ALMailPath", "dflt"), "dflt");
  EXPECT_EQ(file.readInteger("Main", "PenWidth", 5), 5);
  file.writeInteger("Main", "PenColor", 3);
  file.writeInteger("Main", "PenWidth", -12);
  EXPECT_EQ(content(), "[Main]\r\nPenColor=3\r\nPenWidth=-12\r\n");
  EXPECT_EQ(file.readInteger("main", "penwidth", 5), -12);
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp"));
}

TEST_F(IniFileTest, ReadsCaseInsensitivelyAndTrimsBlanks) {
  put("; comment\n[other]\nPenWidth=9\n  [ MAIN ]  \n  penwidth  =\t 0x7 \t\nALMailPath= C:\\a "
      "b\\x.exe \n"
      "PenWidth=8\n[Main]\nPenColor=4\n");
  IniFile file(path_);
  EXPECT_EQ(file.readInteger("Main", "PenWidth", 5), 7);  // the first one wins
  EXPECT_EQ(file.readString("Main", "ALMailPath", ""), "C:\\a b\\x.exe");
  EXPECT_EQ(file.readInteger("Main", "PenColor", 0), 0);  // only the first section counts
  EXPECT_EQ(file.readString("Main", "Missing", "d"), "d");
  EXPECT_EQ(file.readString("Nope", "PenWidth", "d"), "d");
}

TEST_F(IniFileTest, WriteReplacesInPlaceAndKeepsEveryOtherLine) {
  const std::string before =
      "; my notes\n[Other]\nPenColor=1\n\n[main]\nalmailpath=old\npencolor = 2 \nX=y\n\n"
      "[Last]\nk=v";
  put(before);
  IniFile file(path_);
  file.writeInteger("Main", "PenColor", 14);
  EXPECT_EQ(content(),
            "; my notes\n[Other]\nPenColor=1\n\n[main]\nalmailpath=old\npencolor=14\nX=y\n\n"
            "[Last]\nk=v");
  // A new key goes after the section's last line, before the blank line.
  file.writeInteger("MAIN", "PenWidth", 3);
  EXPECT_EQ(content(),
            "; my notes\n[Other]\nPenColor=1\n\n[main]\nalmailpath=old\npencolor=14\nX=y\n"
            "PenWidth=3\r\n\n[Last]\nk=v");
  // A new section goes at the end; the unterminated last line gets its line break.
  file.writeString("New", "k", "\x95\x5C");
  EXPECT_EQ(content(),
            "; my notes\n[Other]\nPenColor=1\n\n[main]\nalmailpath=old\npencolor=14\nX=y\n"
            "PenWidth=3\r\n\n[Last]\nk=v\r\n[New]\r\nk=\x95\x5C\r\n");
  EXPECT_EQ(file.readString("new", "K", ""), "\x95\x5C");
  EXPECT_EQ(file.readInteger("Other", "PenColor", 0), 1);
}

TEST_F(IniFileTest, LongValuesAreCutAndLineBreaksCannotAddKeys) {
  IniFile file(path_);
  file.writeString("Main", "Long", std::string(3000, 'a'));
  EXPECT_EQ(file.readString("Main", "Long", "").size(), kIniValueBuffer - 1);
  std::string japanese;  // a two-byte character would straddle the cut
  for (int i = 0; i < 1500; ++i) japanese += "\x82\xa0";
  file.writeString("Main", "Long", japanese);
  EXPECT_EQ(file.readString("Main", "Long", "").size(), kIniValueBuffer - 2);

  file.writeString("Main", "ALMailPath", "C:\\x.exe\r\nPenWidth=1");
  EXPECT_EQ(file.readString("Main", "ALMailPath", ""), "C:\\x.exe");
  EXPECT_EQ(file.readInteger("Main", "PenWidth", 5), 5);
}

TEST_F(IniFileTest, WritableFileIsWrittenInPlaceWhenNoTemporaryFileCanBeMade) {
  // As in a folder that may not be written: the temporary file cannot be made (a
  // folder of that name stands in the way), yet the file itself may be written.
  put("[Main]\r\nPenColor=2\r\n");
  std::filesystem::create_directories(path_ + ".tmp/inside");
  IniFile file(path_);
  file.writeInteger("Main", "PenColor", 3);
  EXPECT_EQ(content(), "[Main]\r\nPenColor=3\r\n");
  EXPECT_TRUE(std::filesystem::exists(path_ + ".tmp/inside"));

  // A file that does not exist is not made that way: the error names the path.
  IniFile absent(folder_.file("Other.ini"));
  std::filesystem::create_directories(folder_.file("Other.ini") + ".tmp/inside");
  try {
    absent.writeInteger("Main", "PenColor", 3);
    FAIL() << "no error";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(std::string(error.what()), folder_.file("Other.ini") + " に書き込めません");
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.file("Other.ini")));

  IniFile nowhere((dir_ / "missing" / "Fudek.ini").string());
  try {
    nowhere.writeString("Main", "ALMailPath", "x");
    FAIL() << "no error";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(std::string(error.what()),
              (dir_ / "missing" / "Fudek.ini").string() + " に書き込めません");
  }
}

TEST_F(IniFileTest, ReadOnlyFolderWithWritableFileIsWrittenInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
  put("[Main]\r\nALMailPath=old\r\n");
  std::filesystem::permissions(
      dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  IniFile file(path_);
  EXPECT_NO_THROW(writeMailClientPath(file, "new"));
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
  EXPECT_EQ(content(), "[Main]\r\nALMailPath=new\r\n");
}

TEST_F(IniFileTest, QuotedValuesLoseTheirQuotes) {
  put("[Main]\r\nALMailPath=\"C:\\Program Files\\a.exe\"\r\nA='x y'\r\nB=\"open\r\nC=\"\r\n"
      "D=\"a'\r\nE=\"\"\r\nPenWidth=\"7\"\r\n");
  IniFile file(path_);
  EXPECT_EQ(readMailClientPath(file), "C:\\Program Files\\a.exe");
  EXPECT_EQ(file.readString("Main", "A", ""), "x y");
  EXPECT_EQ(file.readString("Main", "B", ""), "\"open");
  EXPECT_EQ(file.readString("Main", "C", ""), "\"");
  EXPECT_EQ(file.readString("Main", "D", ""), "\"a'");
  EXPECT_EQ(file.readString("Main", "E", "d"), "");
  EXPECT_EQ(file.readInteger("Main", "PenWidth", 5), 7);
}

TEST_F(IniFileTest, Utf8ByteOrderMarkIsSkippedAndKept) {
  // "表" in UTF-8 is E8 A1 A8; the program holds it in Shift-JIS.
  put("\xEF\xBB\xBF[Main]\r\nALMailPath=C:\\\xE8\xA1\xA8\\a.exe\r\n; \xF0\x9F\x98\x80\r\n");
  IniFile file(path_);
  EXPECT_EQ(readMailClientPath(file), "C:\\\x95\x5C\\a.exe");
  file.writeInteger("Main", "PenColor", 4);
  writeMailClientPath(file, "D:\\\x95\x5C.exe");
  // One section still, the mark first, the line that Shift-JIS cannot spell kept.
  EXPECT_EQ(content(),
            "\xEF\xBB\xBF[Main]\r\nALMailPath=D:\\\xE8\xA1\xA8.exe\r\n; \xF0\x9F\x98\x80\r\n"
            "PenColor=4\r\n");
  EXPECT_EQ(file.readInteger("Main", "PenColor", 0), 4);
}

TEST_F(IniFileTest, AUtf8FileMarksWhatItsValuesCannotSpell) {
  // Found by fuzzing: EF BB is a Shift-JIS pair without a character, so a file in
  // UTF-8 can only hold the mark for it; the rest of the value stays.
  put("\xEF\xBB\xBF[Main]\r\nKey=2\r\n");
  IniFile file(path_);
  const std::string value = "\"quoted\"\xEF\xBB";
  file.writeString("Main", "Key", value);
  const std::string read = file.readString("Main", "Key", "");
  EXPECT_EQ(read, utf8ToSjis(sjisToUtf8(value)));
  EXPECT_TRUE(read.starts_with("\"quoted\"?")) << read;
  EXPECT_TRUE(content().starts_with("\xEF\xBB\xBF[Main]\r\n"));
}

TEST_F(IniFileTest, NamesAreSpelledInTheFilesOwnEncoding) {
  // Found by fuzzing: a section or key outside ASCII was written into a UTF-16 file as
  // Shift-JIS bytes and could not be found again.
  put(std::string("\xFF\xFE", 2));
  IniFile file(path_);
  const std::string section = "\x95\x5C", key = "\x83\x4B";  // 表, ガ
  file.writeString(section, key, "1");
  EXPECT_EQ(file.readString(section, key, "missing"), "1");
  EXPECT_NE(content().find(std::string("[\0\x68\x88]\0", 6)), std::string::npos);
}

TEST_F(IniFileTest, Utf16FileIsReadAndWrittenBackInUtf16) {
  auto utf16 = [](std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
  };
  // A character outside the Basic Multilingual Plane and a lone surrogate in a comment
  // stay as they were.
  const std::u16string comment = u"; \U0001F600 \xD800 end\r\n";
  put(utf16(comment + u"[Main]\r\nALMailPath=C:\\表\\a.exe\r\n"));
  IniFile file(path_);
  EXPECT_EQ(readMailClientPath(file), "C:\\\x95\x5C\\a.exe");
  writeMailClientPath(file, "D:\\\x95\x5C.exe");
  file.writeInteger("Main", "PenWidth", 3);
  EXPECT_EQ(content(), utf16(comment + u"[Main]\r\nALMailPath=D:\\表.exe\r\nPenWidth=3\r\n"));
  EXPECT_EQ(file.readInteger("main", "PENWIDTH", 0), 3);
}

TEST_F(IniFileTest, UnreadableFileIsNotReplaced) {
  // Something that exists but cannot be read as a file must not be replaced by a file
  // that lacks its other lines.
  std::filesystem::create_directories(dir_ / "Fudek.ini" / "keep");
  IniFile file(path_);
  EXPECT_THROW(file.writeInteger("Main", "PenColor", 3), SettingsWriteError);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "Fudek.ini" / "keep"));
  EXPECT_EQ(file.readInteger("Main", "PenColor", 9), 9);
}

TEST_F(IniFileTest, FileWithoutReadPermissionIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file: an unreadable file cannot be made";
  IniFile file(path_);
  put("[Main]\r\nALMailPath=mine\r\n");
  std::filesystem::permissions(path_, std::filesystem::perms::owner_write);
  EXPECT_THROW(file.writeInteger("Main", "PenColor", 3), SettingsWriteError);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  EXPECT_EQ(content(), "[Main]\r\nALMailPath=mine\r\n");
}

TEST_F(IniFileTest, ReadOnlyFileIsReadNeverReplacedAndSaidOnceARun) {
  // Replacing the file through a temporary one would drop its read-only mark; root may
  // write any file, so the mark itself must be what refuses.
  put("[Main]\r\nPenColor=4\r\n");
  const auto readOnly = std::filesystem::perms::owner_read | std::filesystem::perms::group_read;
  std::filesystem::permissions(path_, readOnly);
  SessionSettings settings(path_);
  EXPECT_EQ(settings.file().readInteger("Main", "PenColor", 0), 4);
  const auto storeColor = [](int color) {
    return [color](IniFile& file) { file.writeInteger("Main", "PenColor", color); };
  };
  EXPECT_THROW(settings.store(storeColor(5)), SettingsReadOnlyError);
  EXPECT_NO_THROW(settings.store(storeColor(6)));
  EXPECT_EQ(content(), "[Main]\r\nPenColor=4\r\n");
  EXPECT_EQ(std::filesystem::status(path_).permissions(), readOnly);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);  // no temporary

  // Another run says it again, once.
  SessionSettings nextRun(path_);
  EXPECT_THROW(nextRun.store(storeColor(7)), SettingsWriteError);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  EXPECT_NO_THROW(nextRun.store(storeColor(8)));
  EXPECT_EQ(content(), "[Main]\r\nPenColor=8\r\n");
}

TEST_F(IniFileTest, MailClientPathDefaultAndStored) {
  IniFile file(path_);
  EXPECT_EQ(readMailClientPath(file), "C:\\Program Files\\ALMAIL32\\almail.exe");
  writeMailClientPath(file, "D:\\mail client\\almail.exe");
  EXPECT_EQ(readMailClientPath(file), "D:\\mail client\\almail.exe");
}

TEST_F(IniFileTest, SmoothInkIsOnUnlessZeroAndNeverWritten) {
  const auto smoothWith = [&](const std::string& bytes) {
    put(bytes);
    return readSmoothInk(IniFile(path_));
  };
  EXPECT_TRUE(readSmoothInk(IniFile(path_)));  // no file
  EXPECT_FALSE(std::filesystem::exists(path_));
  EXPECT_TRUE(smoothWith("[Main]\r\nPenColor=2\r\n"));
  EXPECT_FALSE(smoothWith("[Main]\r\nSmoothInk=0\r\n"));
  EXPECT_FALSE(smoothWith("[main]\r\n smoothink = 0 \r\n"));
  EXPECT_TRUE(smoothWith("[Main]\r\nSmoothInk=1\r\n"));
  EXPECT_TRUE(smoothWith("[Main]\r\nSmoothInk=yes\r\n"));  // unreadable: the default
  EXPECT_TRUE(smoothWith("[Other]\r\nSmoothInk=0\r\n"));
  EXPECT_EQ(content(), "[Other]\r\nSmoothInk=0\r\n");
}

TEST(SettingsPath, BesideTheProgramFile) {
  EXPECT_EQ(settingsPathFor("C:\\Tools\\fudekko.exe"), "C:\\Tools\\Fudek.ini");
  EXPECT_EQ(settingsPathFor("C:fudekko.exe"), "C:Fudek.ini");
  EXPECT_EQ(settingsPathFor("fudekko.exe"), "Fudek.ini");
  // "表" ends in 0x5C: not a backslash.
  EXPECT_EQ(settingsPathFor("C:\\\x95\x5C\\f.exe"), "C:\\\x95\x5C\\Fudek.ini");
  EXPECT_EQ(settingsPathFor("C:\\a\\\x95\x5C.exe"), "C:\\a\\Fudek.ini");
}

}  // namespace
}  // namespace fudekko

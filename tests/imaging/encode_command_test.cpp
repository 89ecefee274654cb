// Runs the built fudekko-encode as a user would and checks its files with independent
// decoders, and that every failure exits non-zero without leaving an output behind.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "imaging/bmp_reader.h"
#include "imaging/bmp_writer.h"
#include "support/imaging_oracle.h"
#include "support/raster_model.h"

namespace fudekko {
namespace {

using test::Bytes;

struct Outcome {
  int exitCode = -1;
  std::string stderrText;
};

std::string shellQuoted(const std::string& text) {
  return "'" + text + "'";
}

// Runs the command through the shell; `prefix` goes before it (such as a ulimit).
Outcome runEncode(const std::string& arguments, const std::string& name,
                  const std::string& prefix = "") {
  const std::string errors = test::workPath(name + ".stderr");
  const std::string command = prefix + "exec " + shellQuoted(FUDEKKO_ENCODE_COMMAND) + " " +
                              arguments + " 2>" + shellQuoted(errors);
  const int status = std::system(command.c_str());
  Outcome run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream in(errors);
  std::getline(in, run.stderrText, '\0');
  return run;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A 24-bit bottom-up BMP written here byte by byte, not by the writer under test.
Bytes bmp24(const Picture& picture) {
  const std::int32_t width = picture.width();
  const std::int32_t height = picture.height();
  const std::size_t rowSize = (std::size_t(width) * 3 + 3) / 4 * 4;
  Bytes file(54 + rowSize * height, 0);
  auto put = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<std::uint32_t>(file.size()));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<std::uint32_t>(width));
  put(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const Color c = picture.pixel(x, y);
      std::uint8_t* at = &file[54 + rowSize * (height - 1 - y) + 3 * x];
      at[0] = blueOf(c);
      at[1] = greenOf(c);
      at[2] = redOf(c);
    }
  }
  return file;
}

class EncodeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    picture_ = Picture(PixelFormat::Device, 131, 77);
    test::fillRandom(picture_, 31);
    const Picture redOnBlue = test::redOnBlue();
    test::copyRect(picture_, {0, 0}, redOnBlue, {0, 0, redOnBlue.width(), redOnBlue.height()});
    input_ = test::workPath(name_ + "-in.bmp");
    writeFile(input_, bmp24(picture_));
    output_ = test::workPath(name_ + "-out");
    std::filesystem::remove(output_);
  }
  void TearDown() override {
    std::filesystem::remove(input_);
    std::filesystem::remove(output_);
  }

  Outcome encode(const std::string& arguments, const std::string& prefix = "") {
    return runEncode(arguments, name_, prefix);
  }

  std::string name_;
  Picture picture_;
  std::string input_;
  std::string output_;
};

TEST_F(EncodeCommand, PngDecodesToTheInputPixelsAtSendsLevel) {
  const Outcome run = encode("--format png " + shellQuoted(input_) + " " + shellQuoted(output_));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(run.stderrText, "");
  const Bytes png = readWholeFile(output_);
  const Bytes stream = test::idatStream(test::pngChunks(png));
  EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 2), (Bytes{0x78, 0x01}));
  const test::RgbImage decoded = test::decodeWithLibpng(png);
  EXPECT_EQ(decoded.width, 131u);
  EXPECT_EQ(decoded.rgb, test::rgbOf(picture_));
}

TEST_F(EncodeCommand, LevelOptionReachesThePngWriter) {
  const Outcome run =
      encode("--level 2 --format png " + shellQuoted(input_) + " " + shellQuoted(output_));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const Bytes png = readWholeFile(output_);
  const Bytes stream = test::idatStream(test::pngChunks(png));
  EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 2), (Bytes{0x78, 0xDA}));
  EXPECT_EQ(test::decodeWithLibpng(png).rgb, test::rgbOf(picture_));
}

TEST_F(EncodeCommand, BmpIsThe32BitFileOfTheCompositePicture) {
  const Outcome run = encode("--format bmp " + shellQuoted(input_) + " " + shellQuoted(output_));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const Bytes bmp = readWholeFile(output_);
  EXPECT_EQ(test::le16(bmp, 28), 32);
  EXPECT_EQ(test::rgbOf(readBmp(bmp)), test::rgbOf(picture_));
  // And a 32-bit input, top-down rows included, comes out the same.
  MemorySink sink;
  writeBmp(picture_, sink);
  writeFile(input_, sink.bytes());
  ASSERT_EQ(encode("--format bmp " + shellQuoted(input_) + " " + shellQuoted(output_)).exitCode, 0);
  EXPECT_EQ(readWholeFile(output_), sink.bytes());
}

TEST_F(EncodeCommand, BadArgumentsFailWithOneLine) {
  const std::string paths = shellQuoted(input_) + " " + shellQuoted(output_);
  const std::string cases[] = {
      "--format png --bogus " + paths,
      "--format tiff " + paths,
      "--format png --level fast " + paths,
      "--format png " + shellQuoted(input_),
      paths,
      "--format",
  };
  for (const std::string& arguments : cases) {
    const Outcome run = encode(arguments);
    EXPECT_NE(run.exitCode, 0) << arguments;
    EXPECT_EQ(std::count(run.stderrText.begin(), run.stderrText.end(), '\n'), 1) << arguments;
    EXPECT_FALSE(std::filesystem::exists(output_)) << arguments;
  }
}

TEST_F(EncodeCommand, UnreadableInputFailsAndLeavesAnExistingOutputAlone) {
  writeFile(output_, Bytes{1, 2, 3});
  const std::string garbage = test::workPath(name_ + "-garbage.bmp");
  writeFile(garbage, Bytes(100, 'x'));
  Bytes truncated = bmp24(picture_);
  truncated.resize(truncated.size() / 2);
  const std::string half = test::workPath(name_ + "-half.bmp");
  writeFile(half, truncated);
  for (const std::string& in : {garbage, half, test::workPath("missing.bmp"), test::workPath("")}) {
    const Outcome run = encode("--format png " + shellQuoted(in) + " " + shellQuoted(output_));
    EXPECT_EQ(run.exitCode, 1) << in;
    EXPECT_EQ(std::count(run.stderrText.begin(), run.stderrText.end(), '\n'), 1) << in;
    EXPECT_EQ(readWholeFile(output_), (Bytes{1, 2, 3})) << in;
  }
  std::filesystem::remove(garbage);
  std::filesystem::remove(half);
}

TEST_F(EncodeCommand, UnwritableOutputFailsWithoutLeavingAPartialFile) {
  for (const std::string format : {"png", "bmp"}) {
    const Outcome noFolder = encode("--format " + format + " " + shellQuoted(input_) + " " +
                                    shellQuoted(test::workPath("no-such-folder/out")));
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_NE(noFolder.stderrText.find("作成できません"), std::string::npos);

    const Outcome full = encode("--format " + format + " " + shellQuoted(input_) + " /dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.stderrText.find("ディスクがいっぱいで、ファイル /dev/full を書き込めません"),
              std::string::npos);
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));

    // A file size limit of 512 bytes stops the write half way into a plain file.
    const Outcome limited =
        encode("--format " + format + " " + shellQuoted(input_) + " " + shellQuoted(output_),
               "trap '' XFSZ; ulimit -f 1; ");
    EXPECT_EQ(limited.exitCode, 1) << limited.stderrText;
    EXPECT_FALSE(std::filesystem::exists(output_)) << format;
  }
}

TEST_F(EncodeCommand, FailedWriteLeavesAnExistingOutputAndNoTemporaryFile) {
  // Even the input itself named as the output stays whole when the writer fails.
  const Bytes input = readWholeFile(input_);
  for (const std::string format : {"png", "bmp", "gif"}) {
    const Outcome limited =
        encode("--format " + format + " " + shellQuoted(input_) + " " + shellQuoted(input_),
               "trap '' XFSZ; ulimit -f 1; ");
    EXPECT_EQ(limited.exitCode, 1) << format;
    EXPECT_EQ(readWholeFile(input_), input) << format;
  }
  // Only this test's own: the folder is shared with tests that may run at the same time.
  for (const auto& entry : std::filesystem::directory_iterator(test::workPath(""))) {
    if (!entry.path().string().starts_with(input_)) continue;
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
  // A success replaces the file as a whole.
  writeFile(output_, Bytes(100000, 7));
  ASSERT_EQ(encode("--format bmp " + shellQuoted(input_) + " " + shellQuoted(output_)).exitCode, 0);
  EXPECT_EQ(test::rgbOf(readBmp(readWholeFile(output_))), test::rgbOf(picture_));
}

TEST_F(EncodeCommand, AnotherFileUnderTheTemporaryNameIsNeverTouched) {
  const std::string theirs = output_ + ".encode0.tmp";
  writeFile(theirs, Bytes(10, 3));
  for (const std::string format : {"png", "gif"}) {
    const Outcome limited =
        encode("--format " + format + " " + shellQuoted(input_) + " " + shellQuoted(output_),
               "trap '' XFSZ; ulimit -f 1; ");
    EXPECT_EQ(limited.exitCode, 1) << format;
  }
  ASSERT_EQ(encode("--format bmp " + shellQuoted(input_) + " " + shellQuoted(output_)).exitCode, 0);
  EXPECT_EQ(readWholeFile(theirs), Bytes(10, 3));
  EXPECT_FALSE(std::filesystem::exists(output_ + ".encode1.tmp"));
  std::filesystem::remove(theirs);
}

TEST_F(EncodeCommand, BmpInputIsReadNoFurtherThanItsPixels) {
  // Junk after the last pixel is never read: the picture is what the headers say.
  Bytes padded = bmp24(picture_);
  padded.resize(padded.size() + 3'000'000, 0xAB);
  writeFile(input_, padded);
  const Picture read = readBmpFile(input_);
  EXPECT_EQ(test::rgbOf(read), test::rgbOf(picture_));
  ASSERT_EQ(encode("--format png " + shellQuoted(input_) + " " + shellQuoted(output_)).exitCode, 0);
  // A file cut short is still refused.
  Bytes cut = bmp24(picture_);
  cut.pop_back();
  cut.pop_back();
  cut.pop_back();
  cut.pop_back();
  writeFile(input_, cut);
  EXPECT_THROW(readBmpFile(input_), BmpReadError);
}

}  // namespace
}  // namespace fudekko

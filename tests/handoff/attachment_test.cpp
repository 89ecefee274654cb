#include "handoff/attachment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "common/byte_stream.h"
#include "gif/gif_writer.h"
#include "imaging/bmp_writer.h"
#include "imaging/png_writer.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

namespace fs = std::filesystem;

// Red on blue, no symmetry, with enough runs that the coders' choices show.
Picture testPicture() {
  Picture picture(PixelFormat::Device, 37, 23);
  for (std::int32_t y = 0; y < 23; ++y) {
    for (std::int32_t x = 0; x < 37; ++x) {
      picture.setPixel(x, y, x > y ? 0x0000FF : (x * 7 + y) % 5 == 0 ? 0xFFFFFF : 0xFF0000);
    }
  }
  return picture;
}

std::vector<std::uint8_t> pngBytes(const Picture& picture, std::int32_t level) {
  MemorySink sink;
  writePng(picture, sink, level);
  return sink.bytes();
}

std::vector<std::uint8_t> gifBytes(const Picture& picture) {
  MemorySink sink;
  writeGif(picture, sink);
  return sink.bytes();
}

std::vector<std::uint8_t> bmpBytes(const Picture& picture) {
  MemorySink sink;
  writeBmp(picture, sink);
  return sink.bytes();
}

// The switch text as the command line gives it, through the one format dispatch.
void savePicture(const Picture& picture, const std::string& path, const std::string& switchText) {
  writeAttachment(picture, path, attachmentFormatFromSwitch(switchText));
}

class AttachmentTest : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> saved(const std::string& format) {
    const std::string path = dir_ + "/picture";
    savePicture(picture_, path, format);
    return readWholeFile(path);
  }

  test::TestFolder folder_;
  std::string dir_ = folder_.path().string();
  Picture picture_ = testPicture();
};

TEST_F(AttachmentTest, EachFormatWithTheSettingsSendUses) {
  // The level must make a difference, or this test could not fail.
  ASSERT_NE(pngBytes(picture_, 1), pngBytes(picture_, 0));

  EXPECT_EQ(saved("PNG"), pngBytes(picture_, 1));
  EXPECT_EQ(saved("GIF"), gifBytes(picture_));
  EXPECT_EQ(saved("BMP"), bmpBytes(picture_));
  for (const char* other : {"", "GI", "gif", "png"}) EXPECT_EQ(saved(other), bmpBytes(picture_));
}

TEST_F(AttachmentTest, ReplacesAnExistingFileAndFailsOnAMissingFolder) {
  const std::string path = dir_ + "/picture";
  {
    FileSink old(path);
    const std::string longer(100000, 'x');
    old.write(longer.data(), longer.size());
  }
  savePicture(picture_, path, "GIF");
  EXPECT_EQ(readWholeFile(path), gifBytes(picture_));
  for (const char* format : {"BMP", "PNG", "GIF"}) {
    EXPECT_THROW(savePicture(picture_, dir_ + "/missing/picture", format), FileCreateError);
    // A drawing area of no pixels: the file there is neither emptied nor replaced.
    for (const Picture& empty :
         {Picture(PixelFormat::Device, 0, 0), Picture(PixelFormat::Device, 5, 0),
          Picture(PixelFormat::Device, 0, 5)}) {
      EXPECT_THROW(savePicture(empty, path, format), EmptyPictureError);
    }
  }
  EXPECT_EQ(readWholeFile(path), gifBytes(picture_));
}

}  // namespace
}  // namespace fudekko

// The encode command's GIF output, read back by libgif.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "common/byte_stream.h"
#include "imaging/bmp_writer.h"
#include "imaging/picture.h"
#include "support/gif_oracle.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

namespace fs = std::filesystem;

class EncodeGif : public ::testing::Test {
 protected:
  test::TestFolder folder_;
  fs::path dir_ = folder_.path();

  int encode(const std::string& in, const std::string& out) {
    const std::string command = std::string("\"") + FUDEKKO_ENCODE_COMMAND + "\" --format gif \"" +
                                in + "\" \"" + out + "\" 2>/dev/null";
    return std::system(command.c_str());
  }
};

TEST_F(EncodeGif, DecodesToTheCubeColoursOfEveryPixel) {
  // Red on blue, no symmetry, plus noise: swapped channels or flipped rows show.
  const int width = 173, height = 61;
  Picture picture(PixelFormat::Device, width, height);
  picture.setBrushColor(rgb(0, 0, 255));
  picture.fillRect({0, 0, width, height});
  picture.setBrushColor(rgb(255, 0, 0));
  picture.fillRect({5, 3, 40, 20});
  std::mt19937 random(3);
  for (int y = 30; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.setPixel(x, y, random() & 0xFFFFFF);
  }
  const std::string in = (dir_ / "in.bmp").string();
  const std::string out = (dir_ / "out.gif").string();
  saveBmpToFile(picture, in);
  ASSERT_EQ(encode(in, out), 0);

  const test::DecodedGif gif = test::decodeGif(readWholeFile(out));
  ASSERT_EQ(gif.screenWidth, width);
  ASSERT_EQ(gif.screenHeight, height);
  ASSERT_EQ(gif.indices.size(), std::size_t(width) * height);
  auto cube = [](int c) { return (c + 3) / 51 * 51; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Color p = picture.pixel(x, y);
      const int i = gif.indices[std::size_t(y) * width + x];
      ASSERT_EQ(rgb(gif.palette[3 * i], gif.palette[3 * i + 1], gif.palette[3 * i + 2]),
                rgb(cube(redOf(p)), cube(greenOf(p)), cube(blueOf(p))))
          << x << "," << y;
    }
  }
  EXPECT_EQ(gif.palette[3 * gif.indices[0] + 2], 255);          // blue at the top-left
  EXPECT_EQ(gif.palette[3 * gif.indices[3 * width + 5]], 255);  // red below it
}

}  // namespace
}  // namespace fudekko

#include "common/byte_stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/errors.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

TEST(ByteSink, WritesNumbersInBothByteOrders) {
  MemorySink sink;
  sink.writeLe16(0x1234);
  sink.writeLe32(0x89ABCDEF);
  sink.writeBe32(0x01020304);
  const std::vector<std::uint8_t> expected = {0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 1, 2, 3, 4};
  EXPECT_EQ(sink.bytes(), expected);
}

TEST(FileSink, EmptiesAnExistingFileAndReportsWhatItCannotCreate) {
  const test::TestFolder folder;
  const auto& dir = folder.path();
  const std::string path = (dir / "out.bin").string();
  {
    FileSink sink(path);
    sink.write("0123456789", 10);
  }
  {
    FileSink sink(path);
    sink.write("ab", 2);
    sink.close();
  }
  EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{'a', 'b'}));
  EXPECT_TRUE(isPlainFile(path));
  EXPECT_FALSE(isPlainFile(dir.string()));
  EXPECT_THROW(FileSink((dir / "missing" / "x.bin").string()), FileCreateError);
  EXPECT_THROW(readWholeFile((dir / "missing.bin").string()), FileOpenError);
  std::filesystem::remove_all(dir);
}

TEST(FileSink, AFullDiskIsAWriteErrorNotSuccess) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  FileSink sink("/dev/full");
  std::vector<std::uint8_t> block(1 << 20, 7);
  try {
    sink.write(block.data(), block.size());
    sink.close();
    FAIL() << "no error";
  } catch (const StreamWriteError& error) {
    EXPECT_STREQ(error.what(), "ディスクがいっぱいで、ファイル /dev/full を書き込めません");
  }
}

}  // namespace
}  // namespace fudekko

#pragma once
// Image data of one GIF frame: the minimum code size byte, the codes packed into data
// sub-blocks, and the zero-length terminator.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/byte_stream.h"

namespace fudekko {

enum class GifSeverity { Information, Warning, Error };
using GifWarningHandler = std::function<void(GifSeverity, const std::string&)>;

// Packs bytes into sub-blocks of at most 255 data bytes, each led by its length.
class GifBlockWriter {
 public:
  explicit GifBlockWriter(ByteSink& out) : out_(out) {}
  GifBlockWriter(const GifBlockWriter&) = delete;
  GifBlockWriter& operator=(const GifBlockWriter&) = delete;

  void put(std::uint8_t byte) {
    block_[count_++] = byte;
    if (count_ == kBlockSize) writeBlock();
  }
  // Writes a partly filled block; never writes a block of length 0.
  void flush() {
    if (count_ > 1) writeBlock();
  }

 private:
  static constexpr int kBlockSize = 256;  // length byte and 255 data bytes
  void writeBlock();

  ByteSink& out_;
  std::uint8_t block_[kBlockSize];
  int count_ = 1;
};

// Code size, special codes, bit packing; the subclasses decide which codes to emit.
class GifCoder {
 public:
  virtual ~GifCoder() = default;
  GifCoder() = default;
  GifCoder(const GifCoder&) = delete;
  GifCoder& operator=(const GifCoder&) = delete;

  // Writes the complete image data of a frame whose `width` x `height` indices lie
  // row by row in `pixels`. `tableBits` and `colorCount` describe its colour table;
  // an index at or above `colorCount` fails with "Color not in color table".
  void encodeFrame(ByteSink& out, int tableBits, std::int32_t width, std::int32_t height,
                   const std::uint8_t* pixels, std::int32_t colorCount);

  GifWarningHandler warningHandler;

 protected:
  void emitCode(std::uint32_t code) {
    bitBucket_ =
        bitCount_ > 0 ? (bitBucket_ & ((1u << bitCount_) - 1)) | (code << bitCount_) : code;
    bitCount_ += codeWidth_;
    while (bitCount_ >= 8) {
      blockWriter_->put(static_cast<std::uint8_t>(bitBucket_));
      bitBucket_ >>= 8;
      bitCount_ -= 8;
    }
    if (code == endCode_ && bitCount_ > 0) {
      blockWriter_->put(static_cast<std::uint8_t>(bitBucket_));
      bitBucket_ = 0;
      bitCount_ = 0;
    }
  }
  virtual void emitClear() = 0;
  virtual void codePixels() = 0;

  std::int32_t colorCount_ = 0;
  int minCodeSize_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  const std::uint8_t* pixels_ = nullptr;
  std::size_t pixelCount_ = 0;
  GifBlockWriter* blockWriter_ = nullptr;
  std::uint32_t bitBucket_ = 0;
  int bitCount_ = 0;
  bool justCleared_ = false;
  int codeWidth_ = 0;
  int startWidth_ = 0;
  std::uint32_t largestCode_ = 0;
  std::uint32_t clearCode_ = 0;
  std::uint32_t endCode_ = 0;
  std::uint32_t firstRunCode_ = 0;
};

// Emits plain pixel codes and codes for runs of one pixel that the decoder is known to
// have made from the coder's own earlier codes; no string table, one pass.
class RunLengthCoder final : public GifCoder {
 public:
  // Exposed for tests: the integer square root and the code cost of a run of `count`
  // pixels when run codes of 1 to `k` pixels can each be used once, in order.
  static std::int64_t intSqrt(std::int64_t x);
  static std::int64_t triangleCost(std::int64_t count, std::int64_t k);

 protected:
  void emitClear() override;
  void codePixels() override;

 private:
  void emitCounted(std::uint32_t code);
  void openClearLimit() { clearAt_ = runCodeLimit_; }
  void restoreClearLimit();
  void runFromClear(std::int64_t count);
  void runClearOrRepeat(std::int64_t count);
  void runWithTable(std::int64_t count);
  void flushRun(std::int64_t count);

  std::int32_t runCodeLimit_ = 0;
  std::int32_t widenAtStart_ = 0;
  std::int32_t clearAtStart_ = 0;
  std::int32_t runPixel_ = -1;
  std::int32_t tableMax_ = 0;
  std::int32_t tablePixel_ = -1;
  std::int32_t codesSinceClear_ = 0;
  std::int32_t clearAt_ = 0;
  std::int32_t widenAt_ = 0;
};

// Open-addressing table from (prefix code, pixel) to the code of that string.
class LzwHashTable {
 public:
  static constexpr std::uint32_t kNone = 0xFFFF;
  LzwHashTable();
  void clear();
  std::uint32_t find(std::uint32_t prefix, std::uint8_t pixel) const;
  void insert(std::uint32_t prefix, std::uint8_t pixel, std::uint32_t code);

 private:
  static constexpr std::uint32_t kSize = 1 << 13;  // twice the 4096 codes at most
  static std::uint32_t slotOf(std::uint32_t key) { return (key * 2654435761u) >> 19; }
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint16_t> codes_;
};

// A classic LZW coder with codes of up to 12 bits and a clear code when the table fills.
class LzwCoder final : public GifCoder {
 protected:
  void emitClear() override;
  void codePixels() override;

 private:
  LzwHashTable table_;
  std::uint32_t nextCode_ = 0;
};

// 1 gives the run-length coder, every other value the LZW coder.
std::unique_ptr<GifCoder> makeGifCoder(std::uint8_t compressionChoice);

}  // namespace fudekko

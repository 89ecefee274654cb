#include "gif/run_length_coder.h"

#include "gif/gif_writer.h"

namespace fudekko {

std::int64_t runLengthIntSqrt(std::int64_t x) {
  if (x < 2) return x;
  std::int64_t r = 1;
  for (std::int64_t v = x; v > 0; v /= 4) r *= 2;
  for (;;) {
    const std::int64_t v = (x / r + r) / 2;
    if (v == r || v == r + 1) return r;
    r = v;
  }
}

std::int64_t runLengthTriangleCost(std::int64_t count, std::int64_t k) {
  std::int64_t cost = 0;
  const std::int64_t per = k * (k + 1) / 2;
  if (count >= per) {
    // Whole sweeps through the run codes 1..k; same as subtracting one sweep at a time.
    const std::int64_t sweeps = count / per;
    cost += sweeps * k;
    count -= sweeps * per;
  }
  if (count > 0) {
    std::int64_t n = runLengthIntSqrt(count);
    while (n * (n + 1) >= 2 * count) --n;
    while (n * (n + 1) < 2 * count) ++n;
    cost += n;
  }
  return cost;
}

namespace {

// Packs bytes into sub-blocks of at most 255 data bytes, each led by its length.
class BlockWriter {
 public:
  explicit BlockWriter(ByteSink& out) : out_(out) {}
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

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

  void writeBlock() {
    block_[0] = static_cast<std::uint8_t>(count_ - 1);
    const int size = count_;
    count_ = 1;
    out_.write(block_, static_cast<std::size_t>(size));
  }

  ByteSink& out_;
  std::uint8_t block_[kBlockSize];
  int count_ = 1;
};

class RunLengthCoder {
 public:
  RunLengthCoder(ByteSink& out, int tableBits, std::int32_t width, std::int32_t height,
                 const std::uint8_t* pixels, std::int32_t colorCount);
  void encode();

 private:
  void emitCode(std::uint32_t code) {
    bitBucket_ =
        bitCount_ > 0 ? (bitBucket_ & ((1u << bitCount_) - 1)) | (code << bitCount_) : code;
    bitCount_ += codeWidth_;
    while (bitCount_ >= 8) {
      blockWriter_.put(static_cast<std::uint8_t>(bitBucket_));
      bitBucket_ >>= 8;
      bitCount_ -= 8;
    }
    if (code == endCode_ && bitCount_ > 0) {
      blockWriter_.put(static_cast<std::uint8_t>(bitBucket_));
      bitBucket_ = 0;
      bitCount_ = 0;
    }
  }
  void emitClear();
  void codePixels();
  void emitCounted(std::uint32_t code);
  void openClearLimit() { clearAt_ = runCodeLimit_; }
  void restoreClearLimit();
  void runFromClear(std::int64_t count);
  void runClearOrRepeat(std::int64_t count);
  void runWithTable(std::int64_t count);
  void flushRun(std::int64_t count);

  ByteSink& out_;
  BlockWriter blockWriter_;
  const std::int32_t colorCount_;
  const int minCodeSize_;
  const std::uint8_t* const pixels_;
  const std::size_t pixelCount_;
  const int startWidth_;
  const std::uint32_t clearCode_;
  const std::uint32_t endCode_;
  const std::uint32_t firstRunCode_;
  std::uint32_t bitBucket_ = 0;
  int bitCount_ = 0;
  bool justCleared_ = false;
  int codeWidth_;

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

RunLengthCoder::RunLengthCoder(ByteSink& out, int tableBits, std::int32_t width,
                               std::int32_t height, const std::uint8_t* pixels,
                               std::int32_t colorCount)
    : out_(out),
      blockWriter_(out),
      colorCount_(colorCount),
      minCodeSize_(tableBits < 2 ? 2 : tableBits),
      pixels_(pixels),
      pixelCount_(width > 0 && height > 0
                      ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height)
                      : 0),
      startWidth_(minCodeSize_ + 1),
      clearCode_(1u << minCodeSize_),
      endCode_(clearCode_ + 1),
      firstRunCode_(clearCode_ + 2),
      codeWidth_(startWidth_) {}

void RunLengthCoder::encode() {
  out_.writeByte(static_cast<std::uint8_t>(minCodeSize_));
  try {
    if (pixels_ && pixelCount_ > 0) codePixels();
    emitCode(endCode_);
  } catch (...) {
    // What was coded stays in the stream, but the data is left unterminated.
    try {
      blockWriter_.flush();
    } catch (...) {
    }
    throw;
  }
  blockWriter_.flush();
  out_.writeByte(0);
}

void RunLengthCoder::emitClear() {
  widenAt_ = widenAtStart_;
  clearAt_ = clearAtStart_;
  codesSinceClear_ = 0;
  tableMax_ = 0;
  justCleared_ = true;
  emitCode(clearCode_);
  codeWidth_ = startWidth_;
}

// A code after which the decoder adds a table entry (all but the first after a clear);
// the decoder widens its codes when its next entry reaches 2^codeWidth.
void RunLengthCoder::emitCounted(std::uint32_t code) {
  justCleared_ = false;
  emitCode(code);
  ++codesSinceClear_;
  if (codesSinceClear_ >= widenAt_) {
    ++codeWidth_;
    widenAt_ += 1 << (codeWidth_ - 1);
  }
  if (codesSinceClear_ >= clearAt_) emitClear();
}

void RunLengthCoder::restoreClearLimit() {
  clearAt_ = clearAtStart_;
  if (codesSinceClear_ >= clearAt_) emitClear();
}

// Right after a clear the decoder holds no run entries: code runs of 1, 2, 3, ... pixels,
// each of which makes the decoder add the entry for the next longer run.
void RunLengthCoder::runFromClear(std::int64_t count) {
  openClearLimit();
  tablePixel_ = runPixel_;
  std::int32_t n = 1;
  while (count > 0) {
    if (n == 1) {
      tableMax_ = 1;
      emitCounted(static_cast<std::uint32_t>(runPixel_));
      count -= 1;
    } else if (count >= n) {
      tableMax_ = n;
      emitCounted(firstRunCode_ + static_cast<std::uint32_t>(n) - 2);
      count -= n;
    } else if (count == 1) {
      tableMax_ += 1;
      emitCounted(static_cast<std::uint32_t>(runPixel_));
      count = 0;
    } else {
      tableMax_ += 1;
      emitCounted(firstRunCode_ + static_cast<std::uint32_t>(count) - 2);
      count = 0;
    }
    n = codesSinceClear_ == 0 ? 1 : n + 1;  // a forced clear starts the ladder again
  }
  restoreClearLimit();
}

void RunLengthCoder::runClearOrRepeat(std::int64_t count) {
  // Up to 4 pixels a clear never pays (1 + triangleCost is 3, 3, 4 for 2, 3, 4 pixels);
  // deciding that without the square root keeps short runs cheap.
  const bool clearPays = count > 4 && 1 + runLengthTriangleCost(count, runCodeLimit_) < count;
  if (clearPays) {
    emitClear();
    runFromClear(count);
  } else {
    for (std::int64_t i = 0; i < count; ++i) emitCounted(static_cast<std::uint32_t>(runPixel_));
  }
}

void RunLengthCoder::runWithTable(std::int64_t count) {
  std::int64_t repeats = count / tableMax_;
  std::int64_t leftover = count % tableMax_;
  std::int64_t extra = leftover > 0 ? 1 : 0;
  if (codesSinceClear_ + repeats + extra > runCodeLimit_) {
    repeats = runCodeLimit_ - codesSinceClear_;
    leftover = count - repeats * tableMax_;
    extra = 1 + runLengthTriangleCost(leftover, runCodeLimit_);
  }
  // A fresh ladder costs at least 2 codes with its clear, so it can only win when the
  // table's codes need more than 2.
  if (repeats + extra > 2 && 1 + runLengthTriangleCost(count, runCodeLimit_) < repeats + extra) {
    emitClear();
    runFromClear(count);
    return;
  }
  openClearLimit();
  const std::uint32_t longest = firstRunCode_ + static_cast<std::uint32_t>(tableMax_) - 2;
  for (std::int64_t i = 0; i < repeats; ++i) emitCounted(longest);
  if (leftover > 0) {
    if (justCleared_) {
      runFromClear(leftover);
    } else if (leftover == 1) {
      emitCounted(static_cast<std::uint32_t>(runPixel_));
    } else {
      emitCounted(firstRunCode_ + static_cast<std::uint32_t>(leftover) - 2);
    }
  }
  restoreClearLimit();
}

void RunLengthCoder::flushRun(std::int64_t count) {
  if (count == 1) {
    emitCounted(static_cast<std::uint32_t>(runPixel_));
  } else if (justCleared_) {
    runFromClear(count);
  } else if (tableMax_ >= 2 && tablePixel_ == runPixel_) {
    runWithTable(count);
  } else {
    runClearOrRepeat(count);
  }
}

void RunLengthCoder::codePixels() {
  widenAtStart_ = static_cast<std::int32_t>(clearCode_) - 1;
  clearAtStart_ = minCodeSize_ <= 3 ? 9 : static_cast<std::int32_t>(clearCode_) - 2;
  runCodeLimit_ = 4095 - static_cast<std::int32_t>(firstRunCode_);
  emitClear();

  runPixel_ = -1;
  std::int64_t runLength = 0;
  const std::uint8_t* p = pixels_;
  const std::uint8_t* const end = pixels_ + pixelCount_;
  while (p < end) {
    // A run is read whole; its pixels share one index, so checking it once before the
    // previous run goes out equals checking each pixel as it is read.
    const std::uint8_t value = *p;
    const std::uint8_t* runEnd = p + 1;
    while (runEnd < end && *runEnd == value) ++runEnd;
    if (value >= colorCount_) throw GifError("Color not in color table");
    if (runLength > 0) flushRun(runLength);
    runPixel_ = value;
    runLength = runEnd - p;
    p = runEnd;
  }
  flushRun(runLength);
}

}  // namespace

void writeRunLengthImageData(ByteSink& out, int tableBits, std::int32_t width,
                             std::int32_t height, const std::uint8_t* indices,
                             std::int32_t colorCount) {
  RunLengthCoder(out, tableBits, width, height, indices, colorCount).encode();
}

}  // namespace fudekko

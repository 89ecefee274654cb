#include "gif/gif_coder.h"

#include <algorithm>

#include "gif/gif_error.h"

namespace fudekko {

void GifBlockWriter::writeBlock() {
  block_[0] = static_cast<std::uint8_t>(count_ - 1);
  const int size = count_;
  count_ = 1;
  out_.write(block_, static_cast<std::size_t>(size));
}

void GifCoder::encodeFrame(ByteSink& out, int tableBits, std::int32_t width, std::int32_t height,
                           const std::uint8_t* pixels, std::int32_t colorCount) {
  colorCount_ = colorCount;
  width_ = width;
  height_ = height;
  pixels_ = pixels;
  minCodeSize_ = tableBits < 2 ? 2 : tableBits;
  out.writeByte(static_cast<std::uint8_t>(minCodeSize_));

  startWidth_ = minCodeSize_ + 1;
  codeWidth_ = startWidth_;
  largestCode_ = (1u << startWidth_) - 1;
  clearCode_ = 1u << minCodeSize_;
  endCode_ = clearCode_ + 1;
  firstRunCode_ = clearCode_ + 2;
  bitBucket_ = 0;
  bitCount_ = 0;
  pixelCount_ = width > 0 && height > 0
                    ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height)
                    : 0;

  GifBlockWriter writer(out);
  blockWriter_ = &writer;
  try {
    if (pixels_ && pixelCount_ > 0) codePixels();
    emitCode(endCode_);
  } catch (...) {
    // What was coded stays in the stream, but the data is left unterminated so that
    // no reader mistakes it for a whole frame.
    blockWriter_ = nullptr;
    try {
      writer.flush();
    } catch (...) {
    }
    throw;
  }
  blockWriter_ = nullptr;
  writer.flush();
  out.writeByte(0);
}

std::int64_t RunLengthCoder::intSqrt(std::int64_t x) {
  if (x < 2) return x;
  std::int64_t r = 1;
  for (std::int64_t v = x; v > 0; v /= 4) r *= 2;
  for (;;) {
    const std::int64_t v = (x / r + r) / 2;
    if (v == r || v == r + 1) return r;
    r = v;
  }
}

std::int64_t RunLengthCoder::triangleCost(std::int64_t count, std::int64_t k) {
  std::int64_t cost = 0;
  const std::int64_t per = k * (k + 1) / 2;
  if (count >= per) {
    // Whole sweeps through the run codes 1..k; same as subtracting one sweep at a time.
    const std::int64_t sweeps = count / per;
    cost += sweeps * k;
    count -= sweeps * per;
  }
  if (count > 0) {
    std::int64_t n = intSqrt(count);
    while (n * (n + 1) >= 2 * count) --n;
    while (n * (n + 1) < 2 * count) ++n;
    cost += n;
  }
  return cost;
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
  const bool clearPays = count > 4 && 1 + triangleCost(count, runCodeLimit_) < count;
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
    extra = 1 + triangleCost(leftover, runCodeLimit_);
  }
  // A fresh ladder costs at least 2 codes with its clear, so it can only win when the
  // table's codes need more than 2.
  if (repeats + extra > 2 && 1 + triangleCost(count, runCodeLimit_) < repeats + extra) {
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

LzwHashTable::LzwHashTable() : keys_(kSize), codes_(kSize) {
  clear();
}

void LzwHashTable::clear() {
  std::fill(codes_.begin(), codes_.end(), kNone);
}

std::uint32_t LzwHashTable::find(std::uint32_t prefix, std::uint8_t pixel) const {
  const std::uint32_t key = (prefix << 8) | pixel;
  for (std::uint32_t slot = slotOf(key);; slot = (slot + 1) & (kSize - 1)) {
    if (codes_[slot] == kNone) return kNone;
    if (keys_[slot] == key) return codes_[slot];
  }
}

void LzwHashTable::insert(std::uint32_t prefix, std::uint8_t pixel, std::uint32_t code) {
  const std::uint32_t key = (prefix << 8) | pixel;
  std::uint32_t slot = slotOf(key);
  while (codes_[slot] != kNone) slot = (slot + 1) & (kSize - 1);
  keys_[slot] = key;
  codes_[slot] = static_cast<std::uint16_t>(code);
}

void LzwCoder::emitClear() {
  emitCode(clearCode_);
  table_.clear();
  codeWidth_ = startWidth_;
  nextCode_ = firstRunCode_;
}

void LzwCoder::codePixels() {
  emitClear();
  const std::uint8_t* p = pixels_;
  const std::uint8_t* const end = pixels_ + pixelCount_;
  if (*p >= colorCount_) throw GifError("Color not in color table");
  std::uint32_t prefix = *p++;
  for (; p < end; ++p) {
    const std::uint8_t pixel = *p;
    if (pixel >= colorCount_) throw GifError("Color not in color table");
    const std::uint32_t known = table_.find(prefix, pixel);
    if (known != LzwHashTable::kNone) {
      prefix = known;
      continue;
    }
    emitCode(prefix);
    if (nextCode_ < 4096) {
      table_.insert(prefix, pixel, nextCode_++);
      // The decoder makes this entry one code later and widens when its next entry
      // reaches 2^codeWidth.
      if (nextCode_ > (1u << codeWidth_) && codeWidth_ < 12) ++codeWidth_;
    } else {
      emitClear();
    }
    prefix = pixel;
  }
  emitCode(prefix);
  // The decoder counts this last code too; the end code follows at its width.
  if (nextCode_ >= (1u << codeWidth_) && codeWidth_ < 12) ++codeWidth_;
}

std::unique_ptr<GifCoder> makeGifCoder(std::uint8_t compressionChoice) {
  if (compressionChoice == 1) return std::make_unique<RunLengthCoder>();
  return std::make_unique<LzwCoder>();
}

}  // namespace fudekko

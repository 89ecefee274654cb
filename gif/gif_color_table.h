#pragma once

#include <cstdint>
#include <vector>

#include "common/byte_stream.h"

namespace fudekko {

struct GifColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const GifColor&, const GifColor&) = default;
};

// A global or local colour table of up to 256 entries.
class GifColorTable {
 public:
  static constexpr std::int32_t kMaxCount = 256;

  // Entries allocated for `n`: 16 up to 16, else n rounded up to 32, at most 256.
  static std::int32_t capacityFor(std::int32_t n);
  // Smallest b >= 1 with 2^b >= count; 0 for an empty table.
  static int bitsFor(std::int32_t count);

  std::int32_t count() const { return static_cast<std::int32_t>(entries_.size()); }
  std::int32_t capacity() const { return capacity_; }
  int bits() const { return bitsFor(count()); }
  bool sorted() const { return sorted_; }
  const GifColor& operator[](std::int32_t index) const { return entries_[index]; }

  // Appends a colour and returns its index; a 257th fails with "Color table overflow".
  std::int32_t add(GifColor color);
  // Index of the first entry of this colour, or -1.
  std::int32_t indexOf(GifColor color) const;
  void clear();

  // The entries, then zero entries up to 2^bits; nothing for an empty table.
  void saveToStream(ByteSink& out) const;

 private:
  std::vector<GifColor> entries_;
  std::int32_t capacity_ = 0;
  bool sorted_ = false;
};

}  // namespace fudekko

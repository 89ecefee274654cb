#include "gif/gif_color_table.h"

#include "gif/gif_error.h"

namespace fudekko {

std::int32_t GifColorTable::capacityFor(std::int32_t n) {
  if (n <= 16) return 16;
  const std::int32_t rounded = (n + 31) / 32 * 32;
  return rounded > kMaxCount ? kMaxCount : rounded;
}

int GifColorTable::bitsFor(std::int32_t count) {
  if (count <= 0) return 0;
  int bits = 1;
  while ((std::int32_t{1} << bits) < count) ++bits;
  return bits;
}

std::int32_t GifColorTable::add(GifColor color) {
  if (count() >= kMaxCount) throw GifError("Color table overflow");
  if (count() >= capacity_) {
    capacity_ = capacityFor(count() + 1);
    entries_.reserve(static_cast<std::size_t>(capacity_));
  }
  entries_.push_back(color);
  return count() - 1;
}

std::int32_t GifColorTable::indexOf(GifColor color) const {
  for (std::int32_t i = 0; i < count(); ++i) {
    if (entries_[i] == color) return i;
  }
  return -1;
}

void GifColorTable::clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  capacity_ = 0;
  sorted_ = false;
}

void GifColorTable::saveToStream(ByteSink& out) const {
  if (entries_.empty()) return;
  const std::size_t total = std::size_t{1} << bits();
  std::vector<std::uint8_t> bytes(total * 3, 0);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    bytes[3 * i] = entries_[i].red;
    bytes[3 * i + 1] = entries_[i].green;
    bytes[3 * i + 2] = entries_[i].blue;
  }
  out.write(bytes.data(), bytes.size());
}

}  // namespace fudekko

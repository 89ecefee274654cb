#include "imaging/bmp_format.h"

#include <cstring>

#include "common/byte_stream.h"

namespace fudekko {

void putDibInfoHeader(std::uint8_t* at, const DibInfo& info) {
  std::memset(at, 0, kBmpInfoHeaderSize);
  putLe32(at + 0, info.headerSize);
  putLe32(at + 4, info.width);
  putLe32(at + 8, info.height);
  putLe16(at + 12, 1);  // planes
  putLe16(at + 14, info.bitCount);
  putLe32(at + 16, info.compression);
  putLe32(at + 20, info.imageSize);
  putLe32(at + 32, info.colorsUsed);
}

}  // namespace fudekko

#pragma once
// Image data of one GIF frame: the minimum code size byte, the codes packed into data
// sub-blocks, and the zero-length terminator. The codes are plain pixel codes and codes
// for runs of one pixel that the decoder is known to have made from the coder's own
// earlier codes; no string table, one pass.

#include <cstdint>

#include "common/byte_stream.h"

namespace fudekko {

// Writes the complete image data of a frame whose `width` x `height` indices lie row by
// row in `indices`. `tableBits` and `colorCount` describe its colour table; an index at
// or above `colorCount` fails with GifError("Color not in color table"), leaving the
// data written so far unterminated so that no reader mistakes it for a whole frame.
void writeRunLengthImageData(ByteSink& out, int tableBits, std::int32_t width, std::int32_t height,
                             const std::uint8_t* indices, std::int32_t colorCount);

// The coder's arithmetic, exposed for tests: the integer square root and the code cost
// of a run of `count` pixels when run codes of 1 to `k` pixels can each be used once,
// in order.
std::int64_t runLengthIntSqrt(std::int64_t x);
std::int64_t runLengthTriangleCost(std::int64_t count, std::int64_t k);

}  // namespace fudekko

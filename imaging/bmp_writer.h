#pragma once
// The Windows BMP file of a picture: file header, 40-byte information header, a
// colour table at 8 bits, and uncompressed rows from the bottom up, padded to 4 bytes.
//
// The bit count follows the picture's format: the device format and 32 bits give 32,
// 24 bits gives 24, 15 and 16 bits give 16 (5-5-5, bit 15 clear), and 8 bits gives 8
// with a 256-entry colour table. A 1- or 4-bit picture is written at 8 bits, so that
// no other BMP variant than these four ever leaves the program.

#include <cstdint>
#include <string>

#include "common/byte_stream.h"
#include "imaging/picture.h"

namespace fudekko {

// Bit count of the file written for a picture of `format`: 32, 24, 16 or 8.
int bmpBitCount(PixelFormat format);

// Writes the whole file to `sink`; nothing at all when a side of the picture is 0.
// Throws StreamWriteError when the sink fails, OutOfResources when the file would
// not fit the format's 32-bit sizes.
void writeBmp(const Picture& picture, ByteSink& sink);

// Creates the file `path` (Shift-JIS), or empties an existing one, and writes the
// picture into it. An empty picture leaves an empty file. Throws FileCreateError or
// StreamWriteError; on failure the file keeps what was written before.
void saveBmpToFile(const Picture& picture, const std::string& path);

}  // namespace fudekko

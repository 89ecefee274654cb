#pragma once
// The PNG file of a picture: signature, IHDR, PLTE when the picture has a palette, one
// zlib stream in IDAT chunks of 32768 bytes (the last one 1 to 32768), IEND. Every row
// carries filter type 0.
//
// A 1-, 4- or 8-bit picture is written indexed with its palette, a 24-bit one as RGB
// with its palette as a suggested one; every other format is written as 24-bit RGB
// without a palette, the 32-bit ones converted row by row.

#include <cstdint>
#include <string>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "imaging/picture.h"

namespace fudekko {

// Failures of the PNG writer; the messages are fixed English texts.
class PngError : public Error {
 public:
  using Error::Error;
};

// Writes the whole PNG to `sink` at a level choice: 1 chooses zlib level 1, 2 level 9,
// anything else zlib's default. Writes nothing for a picture with a side of 0: a PNG
// cannot have one. Throws PngError ("no colortable" for an indexed picture without a
// palette, after the header; "ZLIB error"), OutOfMemory or StreamWriteError; bytes
// already written stay.
void writePng(const Picture& picture, ByteSink& sink, std::int32_t level);

// Creates `path` (Shift-JIS), or empties it, and writes the PNG into it; the file is
// closed also when the write fails. Throws FileCreateError besides the errors above.
void savePngToFile(const Picture& picture, const std::string& path, std::int32_t level);

}  // namespace fudekko

#pragma once
// The GIF file of a picture as Send writes it: a GIF87a logical screen of the picture's
// size without a global table, and one frame at the origin with a local table and
// run-length coded image data. A 1-, 4- or 8-bit picture brings its own palette (at most
// 256 entries); any other is reduced to the colour cube first.

#include <string>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "imaging/picture.h"

namespace fudekko {

// Every failure of the GIF writer; the message is one of its fixed English texts.
class GifError : public Error {
 public:
  using Error::Error;
};

// Writes the whole stream to `sink`. An empty picture gives the 14 bytes of a 0 x 0
// screen without a frame. Throws GifError("Invalid image dimensions") for a side above
// 65535, before writing anything, and GifError("Color not in color table") for an index
// past an indexed picture's palette; StreamWriteError when the sink fails.
void writeGif(const Picture& picture, ByteSink& sink);

// Creates the file `path` (Shift-JIS), or empties an existing one, and writes the
// stream into it. A picture that is too large fails before the file is touched.
// Throws FileCreateError besides the errors above.
void saveGifToFile(const Picture& picture, const std::string& path);

}  // namespace fudekko

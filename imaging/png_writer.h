#pragma once
// A graphic that holds one picture and writes it as a plain PNG: signature, IHDR,
// PLTE when the picture has a palette, one zlib stream in IDAT chunks of 32768 bytes
// (the last one 1 to 32768), IEND. Every row carries filter type 0.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "imaging/picture.h"

namespace fudekko {

// Failures of the PNG writer; the messages are fixed English texts.
class PngError : public Error {
 public:
  using Error::Error;
};

class PngWriter {
 public:
  PngWriter() = default;
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;

  // Takes a copy of `source`; no source empties the graphic. A 1-, 4-, 8- or 24-bit
  // picture is kept as it is, palette included; any other format is converted to 24
  // bits in a copy. On failure the graphic keeps what it held.
  void assign(const Picture* source);
  void assign(const Picture& source) { assign(&source); }
  // Takes a copy of another graphic's picture (a picture of no pixels when that one is
  // empty); assigning a graphic to itself changes nothing.
  void assign(const PngWriter& source);

  bool empty() const { return !heldBitmap_; }
  const Picture* heldBitmap() const { return heldBitmap_.get(); }
  std::int32_t width() const { return heldBitmap_ ? heldBitmap_->width() : 0; }
  std::int32_t height() const { return heldBitmap_ ? heldBitmap_->height() : 0; }
  std::vector<PaletteEntry> palette() const;
  // Resize the held picture; nothing happens while the graphic is empty.
  void setWidth(std::int32_t width);
  void setHeight(std::int32_t height);

  // Writes the whole PNG to `stream`. Writes nothing when the graphic is empty, and
  // nothing for a picture without pixels either: a PNG cannot have a side of 0.
  // Throws PngError, OutOfMemory or StreamWriteError; bytes already written stay.
  void saveToStream(ByteSink& stream) const;
  // Creates `path` (Shift-JIS), or empties it, and saves into it; the file is closed
  // also when the save fails. Throws FileCreateError besides the errors above.
  void saveToFile(const std::string& path) const;

  // 1 chooses zlib level 1, 2 level 9, anything else zlib's default. Read when a save
  // begins.
  std::int32_t compressionLevel = 0;

 private:
  std::unique_ptr<Picture> heldBitmap_;
};

// The zlib level that a `compressionLevel` value stands for: 1, 9 or -1.
int zlibLevelFor(std::int32_t compressionLevel);

// Saves `picture` as PngWriter does after assign, without its copies: a 32-bit picture
// is converted row by row, so a save needs the picture and fixed buffers only.
// `compressionLevel` as PngWriter::compressionLevel. Throws as PngWriter::saveToFile.
void savePngToFile(const Picture& picture, const std::string& path, std::int32_t compressionLevel);

}  // namespace fudekko

#pragma once
// Reads an uncompressed 24- or 32-bit Windows BMP, rows bottom-up or top-down, into a
// picture of the device format: the composite picture's own format.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/errors.h"
#include "imaging/picture.h"

namespace fudekko {

// A file that is no BMP, or one of a kind that is not read here.
class BmpReadError : public Error {
 public:
  using Error::Error;
};

// Accepts an information header of 40 bytes or more, compression 0, or 3 at 32 bits
// with the masks of the plain layout (red 0xFF0000, green 0xFF00, blue 0xFF). The
// fourth byte of a 32-bit pixel is not read. Throws BmpReadError, or OutOfResources
// when the picture cannot be made.
Picture readBmp(const std::uint8_t* data, std::size_t size);
inline Picture readBmp(const std::vector<std::uint8_t>& bytes) {
  return readBmp(bytes.data(), bytes.size());
}

// Reads the file `path` (Shift-JIS); throws FileOpenError besides the errors above.
Picture readBmpFile(const std::string& path);

}  // namespace fudekko

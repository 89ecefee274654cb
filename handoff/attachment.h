#pragma once
// Writes the composite picture as the attachment, in the form the command line chose.

#include <string>

#include "imaging/picture.h"

namespace fudekko {

// "BMP" (and anything that is not "PNG" or "GIF", the empty string included) gives a
// BMP file, "PNG" a PNG at the fastest zlib level, "GIF" a GIF with run-length coded
// image data. An existing file is replaced. Throws the writers' errors.
void savePicture(const Picture& composite, const std::string& path, const std::string& imageFormat);

}  // namespace fudekko

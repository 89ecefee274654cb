#include "handoff/attachment.h"

#include "gif/gif_picture.h"
#include "imaging/bmp_writer.h"
#include "imaging/png_writer.h"

namespace fudekko {

void savePicture(const Picture& composite, const std::string& path,
                 const std::string& imageFormat) {
  if (imageFormat == "PNG") {
    PngGraphic png;
    png.assign(composite);
    png.compressionLevel = 1;
    png.SaveToFile(path);
  } else if (imageFormat == "GIF") {
    TGifPicture gif;
    gif.assign(composite);
    gif.compressionChoice = 1;
    gif.saveToFile(path);
  } else {
    saveBmpToFile(composite, path);
  }
}

}  // namespace fudekko

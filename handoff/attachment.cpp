#include "handoff/attachment.h"

#include "gif/gif_writer.h"
#include "imaging/bmp_writer.h"
#include "imaging/png_writer.h"

namespace fudekko {

AttachmentFormat attachmentFormatFromSwitch(std::string_view switchText) {
  if (switchText == "PNG") return AttachmentFormat::Png;
  if (switchText == "GIF") return AttachmentFormat::Gif;
  return AttachmentFormat::Bmp;
}

std::string_view attachmentExtension(AttachmentFormat format) {
  switch (format) {
    case AttachmentFormat::Png:
      return ".png";
    case AttachmentFormat::Gif:
      return ".gif";
    case AttachmentFormat::Bmp:
      break;
  }
  return ".bmp";
}

void writeAttachment(const Picture& composite, const std::string& path, AttachmentFormat format,
                     std::int32_t pngLevel) {
  if (composite.empty()) throw EmptyPictureError();
  switch (format) {
    case AttachmentFormat::Png:
      // Straight from the picture: no copy of it is held besides one row.
      savePngToFile(composite, path, pngLevel);
      return;
    case AttachmentFormat::Gif:
      saveGifToFile(composite, path);
      return;
    case AttachmentFormat::Bmp:
      saveBmpToFile(composite, path);
      return;
  }
}

void writeAttachment(const Picture& composite, ByteSink& sink, AttachmentFormat format,
                     std::int32_t pngLevel) {
  if (composite.empty()) throw EmptyPictureError();
  switch (format) {
    case AttachmentFormat::Png:
      writePng(composite, sink, pngLevel);
      return;
    case AttachmentFormat::Gif:
      writeGif(composite, sink);
      return;
    case AttachmentFormat::Bmp:
      writeBmp(composite, sink);
      return;
  }
}

}  // namespace fudekko

#pragma once
// The attachment: the composite picture written in the form the command line chose.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "imaging/picture.h"

namespace fudekko {

enum class AttachmentFormat { Bmp, Png, Gif };

// Send writes PNG at zlib's fastest level.
inline constexpr std::int32_t kSendPngLevel = 1;

// The format named by the command line's switch text (see formatSwitch): exactly "PNG"
// or "GIF"; anything else, the empty text included, is BMP.
AttachmentFormat attachmentFormatFromSwitch(std::string_view switchText);

// ".bmp", ".png" or ".gif".
std::string_view attachmentExtension(AttachmentFormat format);

// A picture without a pixel one way or the other (a drawing area shrunk to nothing):
// decoders reject such a file, so none is written and whatever was pending stays.
class EmptyPictureError : public Error {
 public:
  EmptyPictureError()
      : Error("描画領域の幅か高さが 0 なので、絵を保存できません。ウィンドウを広げてください") {}
};

// Writes `composite` to `path`: a BMP file, a PNG at `pngLevel`, or a GIF with
// run-length coded image data over the colour cube. An existing file is replaced.
// Throws EmptyPictureError, before the file is touched, for an empty picture, and
// the writers' errors.
void writeAttachment(const Picture& composite, const std::string& path, AttachmentFormat format,
                     std::int32_t pngLevel = kSendPngLevel);
// The same into `sink`, for a file the caller opened itself.
void writeAttachment(const Picture& composite, ByteSink& sink, AttachmentFormat format,
                     std::int32_t pngLevel = kSendPngLevel);

}  // namespace fudekko

#pragma once
// A GIF image as the file format sees it: a logical screen with an optional global
// colour table and an ordered list of frames, each with its own descriptor, local
// colour table and indices. Built from a picture and written as a GIF stream.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/byte_stream.h"
#include "gif/gif_coder.h"
#include "gif/gif_color_table.h"
#include "gif/gif_error.h"
#include "imaging/picture.h"

namespace fudekko {

enum class GifProgressStage { Starting, Running, Ending };
using GifProgressHandler =
    std::function<void(GifProgressStage, int percent, const std::string& message)>;

class GifPicture;

// The logical screen descriptor, held as written, and the global colour table.
class GifScreen {
 public:
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t packedFlags = 0;
  std::uint8_t backgroundIndex = 0;
  std::uint8_t aspectRatio = 0;
  GifColorTable globalColors;

  void clear();
};

class GifFrame {
 public:
  explicit GifFrame(GifPicture& owner) : owner_(&owner) {}
  GifFrame(const GifFrame&) = delete;
  GifFrame& operator=(const GifFrame&) = delete;

  std::uint16_t left() const { return left_; }
  std::uint16_t top() const { return top_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::uint8_t packedFlags() const { return packedFlags_; }
  // One index a pixel, row by row from the top, `width` bytes a row; empty for none.
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }
  const GifColorTable& localColors() const { return localColors_; }
  bool empty() const { return pixels_.empty() || width_ == 0 || height_ == 0; }

  // Each change reallocates the indices as zeros and grows the owner's logical screen.
  void setWidth(std::int32_t width);
  void setHeight(std::int32_t height);

  // 1 for "87a", 2 for "89a".
  int requiredVersion() const;

  // Makes the frame from a picture: 1-, 4- and 8-bit pictures bring their own table;
  // any other goes through the owner's colour reduction first.
  void assign(const Picture& picture);
  void assign(const GifFrame& other);
  void clear();

  void saveToStream(ByteSink& out);

 private:
  friend class GifPicture;
  void reallocatePixels();
  void growScreen();
  void reportRow(std::int32_t row) const;
  void importIndexed(const Picture& picture);
  void importReduced(const Picture& picture);
  void importTrueColor(const Picture& picture);
  void importRow(const Picture& picture, std::int32_t row);

  GifPicture* owner_;
  std::uint16_t left_ = 0;
  std::uint16_t top_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::uint8_t packedFlags_ = 0;
  std::vector<std::uint8_t> pixels_;
  GifColorTable localColors_;
};

class GifPicture {
 public:
  // Defaults every new image starts with.
  static constexpr std::uint8_t kDefaultReductionChoice = 6;
  static constexpr std::int32_t kDefaultQuantizeBits = 8;
  static constexpr std::uint8_t kDefaultDitherChoice = 0;
  static constexpr std::uint8_t kDefaultCompressionChoice = 0;

  GifPicture() = default;
  GifPicture(const GifPicture&) = delete;
  GifPicture& operator=(const GifPicture&) = delete;

  // Replaces the content by one frame made from `picture` (an empty frame for an empty
  // picture). On failure the image is left without frames.
  void assign(const Picture& picture);
  // Copies another image's screen, frames and reduction settings.
  void assign(const GifPicture& other);
  // Frees the frames and clears the logical screen.
  void clear();

  bool empty() const { return frames_.empty(); }
  std::int32_t width() const { return header_.width; }
  std::int32_t height() const { return header_.height; }
  GifScreen& header() { return header_; }
  const GifScreen& header() const { return header_; }
  const std::vector<std::unique_ptr<GifFrame>>& frames() const { return frames_; }

  // Appends a frame made for this image, or a new frame made from a picture.
  void add(std::unique_ptr<GifFrame> frame);
  void add(const Picture& picture);

  // The largest version the frames need; 0 without frames.
  int version() const;

  // Writes the whole GIF stream; an image without frames fails with
  // "Unsupported GIF version" before writing anything.
  void saveToStream(ByteSink& out);
  // Creates (or empties) the file and writes the stream to it; Shift-JIS path.
  void saveToFile(const std::string& path);

  // Passes a warning to the warning handler, if one is set.
  void warn(GifSeverity severity, const std::string& message) const;
  void reportProgress(GifProgressStage stage, int percent, const std::string& message) const;

  std::uint8_t reductionChoice = kDefaultReductionChoice;
  std::int32_t quantizeBits = kDefaultQuantizeBits;
  std::uint8_t ditherChoice = kDefaultDitherChoice;
  // 1 selects the run-length coder; every other value the LZW coder.
  std::uint8_t compressionChoice = kDefaultCompressionChoice;

  GifWarningHandler onWarning;
  GifProgressHandler onProgress;

 private:
  friend class GifFrame;
  void writeHeader(ByteSink& out);
  // Largest bits of all colour tables (B); the colour resolution is B - 1.
  int largestTableBits() const;

  GifScreen header_;
  std::vector<std::unique_ptr<GifFrame>> frames_;
};

}  // namespace fudekko

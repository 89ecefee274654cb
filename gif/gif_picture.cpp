#include "gif/gif_picture.h"

#include <algorithm>
#include <cstring>

#include "gif/color_reduction.h"

namespace fudekko {

namespace {

// Sides of the logical screen and of frames are 16-bit in the stream.
constexpr std::int32_t kMaxSide = 0xFFFF;

int roundedPercent(std::int64_t done, std::int64_t total) {
  return total > 0 ? static_cast<int>((done * 100 + total / 2) / total) : 100;
}

}  // namespace

// ---- GifScreen

void GifScreen::clear() {
  globalColors.clear();
  width = 0;
  height = 0;
  packedFlags = 0;
  backgroundIndex = 0;
  aspectRatio = 0;
}

// ---- GifFrame

void GifFrame::reallocatePixels() {
  const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  std::vector<std::uint8_t>().swap(pixels_);
  if (count > 0) pixels_.assign(count, 0);
}

void GifFrame::growScreen() {
  GifScreen& screen = owner_->header_;
  bool tooSmall = false;
  if (screen.width < left_ + width_) {
    if (screen.width > 0) {
      owner_->warn(GifSeverity::Warning, "Image width too small for contained frames");
      tooSmall = true;
    }
    screen.width = static_cast<std::uint16_t>(left_ + width_);
  }
  if (screen.height < top_ + height_) {
    if (screen.height > 0) {
      owner_->warn(GifSeverity::Warning, "Image height too small for contained frames");
      tooSmall = true;
    }
    screen.height = static_cast<std::uint16_t>(top_ + height_);
  }
  if (tooSmall) owner_->warn(GifSeverity::Warning, "Image exceeds Logical Screen size");
}

void GifFrame::setWidth(std::int32_t width) {
  if (width < 0 || left_ + width > kMaxSide) throw GifError("Invalid image dimensions");
  width_ = width;
  reallocatePixels();
  growScreen();
}

void GifFrame::setHeight(std::int32_t height) {
  if (height < 0 || top_ + height > kMaxSide) throw GifError("Invalid image dimensions");
  height_ = height;
  reallocatePixels();
  growScreen();
}

int GifFrame::requiredVersion() const {
  return localColors_.sorted() ? 2 : 1;
}

void GifFrame::clear() {
  localColors_.clear();
  std::vector<std::uint8_t>().swap(pixels_);
  height_ = 0;
  width_ = 0;
}

void GifFrame::assign(const GifFrame& other) {
  if (&other == this) return;
  left_ = other.left_;
  top_ = other.top_;
  width_ = other.width_;
  height_ = other.height_;
  packedFlags_ = other.packedFlags_;
  pixels_ = other.pixels_;
  localColors_ = other.localColors_;
}

void GifFrame::assign(const Picture& picture) {
  clear();
  if (picture.empty()) return;
  // A side the stream cannot hold would be cut to 16 bits and give a corrupt file.
  if (picture.width() > kMaxSide || picture.height() > kMaxSide) {
    throw GifError("Invalid image dimensions");
  }
  // The indices are allocated once, for the final size, rather than per side.
  width_ = picture.width();
  growScreen();
  height_ = picture.height();
  growScreen();
  reallocatePixels();

  owner_->reportProgress(GifProgressStage::Starting, 0, "Converting...");
  try {
    const PixelFormat format = picture.format();
    if (format == PixelFormat::Bits1 || format == PixelFormat::Bits4 ||
        format == PixelFormat::Bits8) {
      importIndexed(picture);
    } else {
      importReduced(picture);
    }
  } catch (...) {
    owner_->reportProgress(GifProgressStage::Ending, 0, "Converting...");
    throw;
  }
  owner_->reportProgress(GifProgressStage::Ending, 100, "Converting...");
}

void GifFrame::reportRow(std::int32_t row) const {
  if (row % 32 == 0) {
    owner_->reportProgress(GifProgressStage::Running, roundedPercent(row, height_),
                           "Converting...");
  }
}

// Pictures with more than 256 colours: an indexed reduction writes the indices straight
// into the frame; the true-colour one (method 0) is collected colour by colour.
void GifFrame::importReduced(const Picture& picture) {
  const std::vector<PaletteEntry> palette = reduceColorsInto(
      picture, owner_->reductionChoice, owner_->ditherChoice, pixels_.data(),
      static_cast<std::size_t>(width_), [this](std::int32_t row) { reportRow(row); });
  if (!palette.empty()) {
    for (const PaletteEntry& entry : palette)
      localColors_.add({entry.red, entry.green, entry.blue});
    return;
  }
  const Picture reduced = reduceColors(picture, owner_->reductionChoice, owner_->ditherChoice,
                                       owner_->quantizeBits, nullptr);
  // A method or ditherer that is not provided gives nothing to import; an all-black
  // frame without colours would pass for a good one.
  if (reduced.empty()) throw GifError("Unsupported color reduction");
  if (reduced.format() == PixelFormat::Bits24) {
    importTrueColor(reduced);
  } else {
    Picture trueColor = reduced;
    trueColor.convertTo24Bits();
    importTrueColor(trueColor);
  }
}

void GifFrame::importIndexed(const Picture& picture) {
  const auto& palette = picture.palette();
  const std::size_t entries = std::min<std::size_t>(palette.size(), GifColorTable::kMaxCount);
  for (std::size_t i = 0; i < entries; ++i) {
    localColors_.add({palette[i].red, palette[i].green, palette[i].blue});
  }
  for (std::int32_t y = 0; y < height_; ++y) {
    reportRow(y);
    importRow(picture, y);
  }
}

void GifFrame::importRow(const Picture& picture, std::int32_t y) {
  unpackIndexRow(picture.format(), picture.scanLine(y),
                 pixels_.data() + static_cast<std::size_t>(y) * width_,
                 static_cast<std::size_t>(width_));
}

// The table is built from the colours met, in order of first appearance. A ring of the
// colours looked up last spares most table searches.
void GifFrame::importTrueColor(const Picture& picture) {
  constexpr int kRing = 8;
  std::uint32_t ringColor[kRing];
  std::uint8_t ringIndex[kRing];
  int ringSize = 0;
  int ringLatest = -1;
  for (std::int32_t y = 0; y < height_; ++y) {
    reportRow(y);
    const std::uint8_t* in = picture.scanLine(y);
    std::uint8_t* out = pixels_.data() + static_cast<std::size_t>(y) * width_;
    for (std::int32_t x = 0; x < width_; ++x) {
      const std::uint8_t* p = in + 3 * x;
      const std::uint32_t key = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
      int found = -1;
      for (int k = 0, slot = ringLatest; k < ringSize; ++k, slot = (slot + kRing - 1) % kRing) {
        if (ringColor[slot] == key) {
          found = ringIndex[slot];
          break;
        }
      }
      if (found < 0) {
        const GifColor color{p[2], p[1], p[0]};
        found = localColors_.indexOf(color);
        if (found < 0) found = localColors_.add(color);
        ringLatest = (ringLatest + 1) % kRing;
        ringColor[ringLatest] = key;
        ringIndex[ringLatest] = static_cast<std::uint8_t>(found);
        ringSize = std::min(ringSize + 1, kRing);
      }
      out[x] = static_cast<std::uint8_t>(found);
    }
  }
}

void GifFrame::saveToStream(ByteSink& out) {
  if (empty()) return;
  int bits;
  std::int32_t colorCount;
  if (localColors_.count() > 0) {
    bits = localColors_.bits();
    colorCount = localColors_.count();
    packedFlags_ =
        static_cast<std::uint8_t>(0x80 | (localColors_.sorted() ? 0x20 : 0) | ((bits - 1) & 7));
  } else {
    // Keep interlace and the reserved bits; the data uses the image's largest table.
    packedFlags_ &= 0x40 | 0x18;
    bits = owner_->largestTableBits();
    colorCount = std::int32_t{1} << bits;
  }

  std::uint8_t descriptor[10];
  descriptor[0] = 0x2C;
  putLe16(descriptor + 1, left_);
  putLe16(descriptor + 3, top_);
  putLe16(descriptor + 5, static_cast<std::uint16_t>(width_));
  putLe16(descriptor + 7, static_cast<std::uint16_t>(height_));
  descriptor[9] = packedFlags_;
  out.write(descriptor, sizeof descriptor);
  localColors_.saveToStream(out);

  std::unique_ptr<GifCoder> coder = makeGifCoder(owner_->compressionChoice);
  coder->warningHandler = owner_->onWarning;
  coder->encodeFrame(out, bits, width_, height_, pixels_.data(), colorCount);
}

// ---- GifPicture

void GifPicture::clear() {
  frames_.clear();
  header_.clear();
}

void GifPicture::assign(const Picture& picture) {
  clear();
  auto frame = std::make_unique<GifFrame>(*this);
  frame->assign(picture);
  add(std::move(frame));
}

void GifPicture::assign(const GifPicture& other) {
  if (&other == this) return;
  clear();
  header_.width = other.header_.width;
  header_.height = other.header_.height;
  header_.packedFlags = other.header_.packedFlags;
  header_.backgroundIndex = other.header_.backgroundIndex;
  header_.aspectRatio = other.header_.aspectRatio;
  header_.globalColors = other.header_.globalColors;
  reductionChoice = other.reductionChoice;
  ditherChoice = other.ditherChoice;
  for (const auto& source : other.frames_) {
    auto frame = std::make_unique<GifFrame>(*this);
    frame->assign(*source);
    frames_.push_back(std::move(frame));
  }
}

void GifPicture::add(std::unique_ptr<GifFrame> frame) {
  if (!frame) return;
  frame->owner_ = this;
  frames_.push_back(std::move(frame));
}

void GifPicture::add(const Picture& picture) {
  auto frame = std::make_unique<GifFrame>(*this);
  frame->assign(picture);
  add(std::move(frame));
}

int GifPicture::version() const {
  int version = 0;
  for (const auto& frame : frames_) {
    version = std::max(version, frame->requiredVersion());
    if (version >= 2) break;
  }
  return version;
}

int GifPicture::largestTableBits() const {
  int bits = header_.globalColors.bits();
  for (const auto& frame : frames_) bits = std::max(bits, frame->localColors().bits());
  return bits;
}

void GifPicture::warn(GifSeverity severity, const std::string& message) const {
  if (onWarning) onWarning(severity, message);
}

void GifPicture::reportProgress(GifProgressStage stage, int percent,
                                const std::string& message) const {
  if (onProgress) onProgress(stage, percent, message);
}

void GifPicture::writeHeader(ByteSink& out) {
  const int version = this->version();
  if (version == 0) throw GifError("Unsupported GIF version");

  // The size and resolution bits describe the largest table of the image, global or
  // local, even when there is no global table.
  const GifColorTable& global = header_.globalColors;
  const int largest = largestTableBits();
  std::uint8_t flags = 0;
  if (global.count() > 0) flags = static_cast<std::uint8_t>(0x80 | (global.sorted() ? 0x08 : 0));
  flags |= static_cast<std::uint8_t>(((largest - 1) * 16) & 0x70);
  flags |= static_cast<std::uint8_t>((largest - 1) & 7);
  header_.packedFlags = flags;

  std::uint8_t bytes[13] = {
      'G', 'I', 'F', '8', version >= 2 ? std::uint8_t('9') : std::uint8_t('7'), 'a'};
  putLe16(bytes + 6, header_.width);
  putLe16(bytes + 8, header_.height);
  bytes[10] = header_.packedFlags;
  bytes[11] = header_.backgroundIndex;
  bytes[12] = header_.aspectRatio;
  out.write(bytes, sizeof bytes);
  if (flags & 0x80) global.saveToStream(out);
}

void GifPicture::saveToStream(ByteSink& out) {
  reportProgress(GifProgressStage::Starting, 0, "Saving...");
  try {
    writeHeader(out);
    const std::int64_t count = static_cast<std::int64_t>(frames_.size());
    for (std::int64_t i = 0; i < count; ++i) {
      frames_[static_cast<std::size_t>(i)]->saveToStream(out);
      reportProgress(GifProgressStage::Running, roundedPercent(i + 1, count), "Saving...");
    }
    out.writeByte(0x3B);
  } catch (...) {
    reportProgress(GifProgressStage::Ending, 0, "Saving...");
    throw;
  }
  reportProgress(GifProgressStage::Ending, 100, "Saving...");
}

void GifPicture::saveToFile(const std::string& path) {
  FileSink file(path);
  saveToStream(file);
  file.close();
}

}  // namespace fudekko

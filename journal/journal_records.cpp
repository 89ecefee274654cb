#include "journal/journal_records.h"

#include <zlib.h>

#include <cstring>
#include <optional>

namespace fudekko {

namespace {

constexpr std::size_t kFrameBytes = 4 + 1 + 4;  // length, type, CRC

std::uint32_t crc32Of(std::string_view bytes) {
  return static_cast<std::uint32_t>(::crc32(::crc32(0, nullptr, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

class Writer {
 public:
  void u8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void u32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>(value >> shift));
  }
  void u64(std::uint64_t value) {
    u32(static_cast<std::uint32_t>(value));
    u32(static_cast<std::uint32_t>(value >> 32));
  }
  void f32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    u32(bits);
  }
  void bytes(std::string_view value) {
    u32(static_cast<std::uint32_t>(value.size()));
    bytes_.append(value);
  }
  void wide(const std::wstring& value) {
    u32(static_cast<std::uint32_t>(value.size()));
    for (wchar_t unit : value) u32(static_cast<std::uint32_t>(unit));
  }
  std::string& result() { return bytes_; }

 private:
  std::string bytes_;
};

// Reads within one record's payload; any read past its end marks the record as damaged.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  bool atEnd() const { return at_ == bytes_.size(); }
  std::uint8_t u8() { return take(1) ? static_cast<std::uint8_t>(bytes_[at_ - 1]) : 0; }
  std::uint32_t u32() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) value |= std::uint32_t{u8()} << shift;
    return value;
  }
  std::uint64_t u64() {
    const std::uint64_t low = u32();
    return low | std::uint64_t{u32()} << 32;
  }
  float f32() {
    const std::uint32_t bits = u32();
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  std::string bytes() {
    const std::uint32_t size = u32();
    if (!take(size)) return {};
    return std::string(bytes_.substr(at_ - size, size));
  }
  std::wstring wide() {
    const std::uint32_t size = u32();
    // Four bytes a unit: a count the payload cannot hold is damage, not an allocation.
    if (size > (bytes_.size() - at_) / 4) ok_ = false;
    std::wstring value;
    if (!ok_) return value;
    value.reserve(size);
    for (std::uint32_t i = 0; i < size; ++i) value.push_back(static_cast<wchar_t>(u32()));
    return value;
  }

 private:
  bool take(std::size_t count) {
    if (!ok_ || count > bytes_.size() - at_) return ok_ = false;
    at_ += count;
    return true;
  }
  std::string_view bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

std::string compressed(std::string_view bytes) {
  uLongf size = ::compressBound(static_cast<uLong>(bytes.size()));
  std::string out(size, '\0');
  ::compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()));
  out.resize(size);
  return out;
}

std::optional<std::string> uncompressed(std::string_view bytes, std::uint32_t size) {
  // Deflate packs at most about 1032 to 1: a larger claim is damage, never allocated.
  if (size > kMaxJournalRecordBytes * 4 || size > bytes.size() * 1032 + 64) return std::nullopt;
  std::string out(size, '\0');
  uLongf written = size;
  if (::uncompress(reinterpret_cast<Bytef*>(out.data()), &written,
                   reinterpret_cast<const Bytef*>(bytes.data()),
                   static_cast<uLong>(bytes.size())) != Z_OK ||
      written != size) {
    return std::nullopt;
  }
  return out;
}

void writeCompressed(Writer& out, std::string_view bytes) {
  out.u32(static_cast<std::uint32_t>(bytes.size()));
  out.bytes(compressed(bytes));
}
// Nothing when the payload is damaged or would unpack to more than `limit` bytes.
std::optional<std::string> readCompressed(Reader& in) {
  const std::uint32_t size = in.u32();
  const std::string packed = in.bytes();
  if (!in.ok()) return std::nullopt;
  return uncompressed(packed, size);
}

void writePayload(Writer& out, const JournalFormat& format) {
  out.u32(format.magic);
  out.u32(format.version);
}
void writePayload(Writer& out, const DraftIdentity& draft) {
  out.bytes(draft.path);
  out.u64(draft.size);
  out.u32(draft.crc);
}
void writePayload(Writer& out, const TextReset& reset) {
  Writer text;
  text.wide(reset.text);
  writeCompressed(out, text.result());
}
void writePayload(Writer& out, const TextEdit& edit) {
  out.u64(edit.position);
  out.wide(edit.removed);
  out.wide(edit.inserted);
}
void writePayload(Writer& out, const UndoStep& step) {
  out.u8(static_cast<std::uint8_t>(step.of));
}
void writePayload(Writer& out, const RedoStep& step) {
  out.u8(static_cast<std::uint8_t>(step.of));
}
void writePayload(Writer& out, const ModeChange& change) {
  out.u8(change.handwriting ? 1 : 0);
  out.u32(static_cast<std::uint32_t>(change.outerWidth));
  out.u32(static_cast<std::uint32_t>(change.outerHeight));
}
void writePayload(Writer& out, const TextPicture& picture) {
  out.u32(static_cast<std::uint32_t>(picture.width));
  out.u32(static_cast<std::uint32_t>(picture.height));
  writeCompressed(out, picture.pixels);
}
void writePayload(Writer& out, const Stroke& stroke) {
  out.u8(static_cast<std::uint8_t>(stroke.pen.tool));
  out.u32(stroke.pen.color);
  out.u32(static_cast<std::uint32_t>(stroke.pen.lineWidth));
  out.u32(static_cast<std::uint32_t>(stroke.pen.dpi));
  out.u8(stroke.pen.brush ? 1 : 0);
  for (std::int32_t side :
       {stroke.bounds.left, stroke.bounds.top, stroke.bounds.right, stroke.bounds.bottom}) {
    out.u32(static_cast<std::uint32_t>(side));
  }
  out.u32(static_cast<std::uint32_t>(stroke.points.size()));
  for (const StrokePoint& point : stroke.points) {
    out.f32(point.x);
    out.f32(point.y);
    out.f32(point.pressure);
    out.u32(point.time);
  }
}
void writeIndices(Writer& out, const std::vector<std::uint32_t>& indices) {
  out.u32(static_cast<std::uint32_t>(indices.size()));
  for (std::uint32_t index : indices) out.u32(index);
}
void writePayload(Writer& out, const StrokesRemoved& removed) {
  writeIndices(out, removed.indices);
}
void writePayload(Writer& out, const StrokeReplaced& replaced) {
  out.u32(replaced.index);
  writePayload(out, replaced.stroke);
}
void writePayload(Writer& out, const StrokesTransformed& transformed) {
  writeIndices(out, transformed.indices);
  const StrokeTransform& t = transformed.transform;
  for (float value : {t.scale, t.anchorX, t.anchorY, t.dx, t.dy}) out.f32(value);
}
void writePayload(Writer& out, const StrokesRecoloured& recoloured) {
  writeIndices(out, recoloured.indices);
  out.u32(recoloured.color);
}
void writePayload(Writer& out, const WindowSize& size) {
  out.u32(static_cast<std::uint32_t>(size.outerWidth));
  out.u32(static_cast<std::uint32_t>(size.outerHeight));
}

std::int32_t signed32(std::uint32_t value) {
  return static_cast<std::int32_t>(value);
}

std::optional<HistoryOf> historyOf(std::uint8_t value) {
  if (value > static_cast<std::uint8_t>(HistoryOf::Strokes)) return std::nullopt;
  return static_cast<HistoryOf>(value);
}

std::optional<Stroke> readStroke(Reader& in) {
  Stroke stroke;
  const std::uint8_t tool = in.u8();
  if (tool > static_cast<std::uint8_t>(StrokeTool::Highlighter)) return std::nullopt;
  stroke.pen.tool = static_cast<StrokeTool>(tool);
  stroke.pen.color = in.u32();
  stroke.pen.lineWidth = signed32(in.u32());
  stroke.pen.dpi = signed32(in.u32());
  stroke.pen.brush = in.u8() != 0;
  for (std::int32_t* side :
       {&stroke.bounds.left, &stroke.bounds.top, &stroke.bounds.right, &stroke.bounds.bottom}) {
    *side = signed32(in.u32());
  }
  const std::uint32_t count = in.u32();
  // 16 bytes a point: the length framing the record bounds the count.
  if (count > kMaxJournalRecordBytes / 16) return std::nullopt;
  stroke.points.reserve(count);
  for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
    StrokePoint point;
    point.x = in.f32();
    point.y = in.f32();
    point.pressure = in.f32();
    point.time = in.u32();
    stroke.points.push_back(point);
  }
  return stroke;
}

bool readIndices(Reader& in, std::vector<std::uint32_t>& indices) {
  const std::uint32_t count = in.u32();
  if (count > kMaxJournalRecordBytes / 4) return false;
  for (std::uint32_t i = 0; i < count && in.ok(); ++i) indices.push_back(in.u32());
  return in.ok();
}

std::optional<JournalRecord> readPayload(std::uint8_t type, Reader& in) {
  using Type = JournalRecordType;
  switch (static_cast<JournalRecordType>(type)) {
    case Type::Format: {
      JournalFormat format;
      format.magic = in.u32();
      format.version = in.u32();
      return format;
    }
    case Type::Draft: {
      DraftIdentity draft;
      draft.path = in.bytes();
      draft.size = in.u64();
      draft.crc = in.u32();
      return draft;
    }
    case Type::TextReset: {
      const std::optional<std::string> packed = readCompressed(in);
      if (!packed) return std::nullopt;
      Reader units(*packed);
      TextReset reset{units.wide()};
      if (!units.ok() || !units.atEnd()) return std::nullopt;
      return reset;
    }
    case Type::TextEdit: {
      TextEdit edit;
      edit.position = static_cast<std::size_t>(in.u64());
      edit.removed = in.wide();
      edit.inserted = in.wide();
      return edit;
    }
    case Type::Undo:
    case Type::Redo: {
      const std::optional<HistoryOf> of = historyOf(in.u8());
      if (!of) return std::nullopt;
      if (static_cast<Type>(type) == Type::Undo) return UndoStep{*of};
      return RedoStep{*of};
    }
    case Type::Mode: {
      const std::uint8_t handwriting = in.u8();
      if (handwriting > 1) return std::nullopt;
      ModeChange change{handwriting == 1};
      change.outerWidth = signed32(in.u32());
      change.outerHeight = signed32(in.u32());
      return change;
    }
    case Type::TextPicture: {
      TextPicture picture;
      picture.width = signed32(in.u32());
      picture.height = signed32(in.u32());
      std::optional<std::string> pixels = readCompressed(in);
      // The sides bound the pixels: a picture whose bytes do not match them is damage.
      if (!pixels || picture.width < 0 || picture.height < 0 ||
          pixels->size() != std::uint64_t(picture.width) * std::uint64_t(picture.height) * 4u) {
        return std::nullopt;
      }
      picture.pixels = std::move(*pixels);
      return picture;
    }
    case Type::Stroke: {
      std::optional<Stroke> stroke = readStroke(in);
      if (!stroke) return std::nullopt;
      return std::move(*stroke);
    }
    case Type::StrokesRemoved: {
      StrokesRemoved removed;
      if (!readIndices(in, removed.indices)) return std::nullopt;
      return removed;
    }
    case Type::StrokesTransformed: {
      StrokesTransformed transformed;
      if (!readIndices(in, transformed.indices)) return std::nullopt;
      StrokeTransform& t = transformed.transform;
      for (float* value : {&t.scale, &t.anchorX, &t.anchorY, &t.dx, &t.dy}) *value = in.f32();
      return transformed;
    }
    case Type::StrokesRecoloured: {
      StrokesRecoloured recoloured;
      if (!readIndices(in, recoloured.indices)) return std::nullopt;
      recoloured.color = in.u32();
      return recoloured;
    }
    case Type::StrokeReplaced: {
      const std::uint32_t index = in.u32();
      std::optional<Stroke> stroke = readStroke(in);
      if (!stroke) return std::nullopt;
      return StrokeReplaced{index, std::move(*stroke)};
    }
    case Type::WindowSize: {
      WindowSize size;
      size.outerWidth = signed32(in.u32());
      size.outerHeight = signed32(in.u32());
      return size;
    }
  }
  return std::nullopt;
}

}  // namespace

JournalRecordType typeOf(const JournalRecord& record) {
  using Type = JournalRecordType;
  struct Of {
    Type operator()(const JournalFormat&) const { return Type::Format; }
    Type operator()(const DraftIdentity&) const { return Type::Draft; }
    Type operator()(const TextReset&) const { return Type::TextReset; }
    Type operator()(const TextEdit&) const { return Type::TextEdit; }
    Type operator()(const UndoStep&) const { return Type::Undo; }
    Type operator()(const RedoStep&) const { return Type::Redo; }
    Type operator()(const ModeChange&) const { return Type::Mode; }
    Type operator()(const TextPicture&) const { return Type::TextPicture; }
    Type operator()(const Stroke&) const { return Type::Stroke; }
    Type operator()(const StrokesRemoved&) const { return Type::StrokesRemoved; }
    Type operator()(const WindowSize&) const { return Type::WindowSize; }
    Type operator()(const StrokeReplaced&) const { return Type::StrokeReplaced; }
    Type operator()(const StrokesTransformed&) const { return Type::StrokesTransformed; }
    Type operator()(const StrokesRecoloured&) const { return Type::StrokesRecoloured; }
  };
  return std::visit(Of{}, record);
}

std::string encodeJournalRecord(const JournalRecord& record) {
  Writer payload;
  payload.u8(static_cast<std::uint8_t>(typeOf(record)));
  std::visit([&](const auto& value) { writePayload(payload, value); }, record);
  const std::string& typed = payload.result();
  Writer framed;
  framed.u32(static_cast<std::uint32_t>(typed.size() - 1));
  framed.result().append(typed);
  framed.u32(crc32Of(typed));
  return std::move(framed.result());
}

JournalContents readJournal(std::string_view bytes) {
  JournalContents contents;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < kFrameBytes) break;
    Reader frame(bytes.substr(at, 4));
    const std::uint32_t length = frame.u32();
    if (length > kMaxJournalRecordBytes || bytes.size() - at - kFrameBytes < length) break;
    const std::string_view typed = bytes.substr(at + 4, std::size_t{length} + 1);
    Reader check(bytes.substr(at + 5 + length, 4));
    if (check.u32() != crc32Of(typed)) break;
    Reader payload(typed.substr(1));
    std::optional<JournalRecord> record = readPayload(static_cast<std::uint8_t>(typed[0]), payload);
    if (!record || !payload.ok() || !payload.atEnd()) break;
    contents.records.push_back(std::move(*record));
    at += kFrameBytes + length;
    contents.ends.push_back(at);
  }
  contents.droppedTail = at < bytes.size();
  return contents;
}

}  // namespace fudekko

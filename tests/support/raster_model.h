#pragma once
// Rectangle copies combined by a raster operation, pixel by pixel on the colours: the
// model that checks compositing against the mask-and-operation construction it replaced.
// On 32-bit pictures the operations are bitwise on the stored values as well, since the
// stored value only orders the colour's bytes differently.

#include <cstdint>
#include <vector>

#include "imaging/picture.h"

namespace fudekko::test {

enum class RasterOp {
  SrcCopy,     // S
  SrcPaint,    // D OR S
  SrcAnd,      // D AND S
  MergePaint,  // D OR NOT S
};

inline Color applyRasterOp(RasterOp op, Color dest, Color source) {
  switch (op) {
    case RasterOp::SrcCopy:
      return source;
    case RasterOp::SrcPaint:
      return dest | source;
    case RasterOp::SrcAnd:
      return dest & source;
    case RasterOp::MergePaint:
      return (dest | ~source) & 0xFFFFFF;
  }
  return source;
}

// Copies `source` of `from` into the equal rectangle at `dest` of `to`, combined by `op`.
// Source pixels outside `from` are not copied; pixels outside `to` are dropped. When
// `replaced` is given, each source pixel of that colour is copied as `brush` instead.
inline void copyRect(Picture& to, Point dest, const Picture& from, const Rect& source,
                     RasterOp op = RasterOp::SrcCopy, const Color* replaced = nullptr,
                     Color brush = kBlack) {
  // Read first, so that a copy within one picture sees the pixels as they were.
  struct Copied {
    std::int32_t x, y;
    Color color;
  };
  std::vector<Copied> copied;
  for (std::int32_t sy = source.top; sy < source.bottom; ++sy) {
    for (std::int32_t sx = source.left; sx < source.right; ++sx) {
      const std::int32_t x = dest.x + sx - source.left, y = dest.y + sy - source.top;
      if (sx < 0 || sy < 0 || sx >= from.width() || sy >= from.height()) continue;
      if (x < 0 || y < 0 || x >= to.width() || y >= to.height()) continue;
      Color color = from.pixel(sx, sy);
      if (replaced && color == (*replaced & 0xFFFFFF)) color = brush;
      copied.push_back({x, y, color});
    }
  }
  for (const Copied& c : copied)
    to.setPixel(c.x, c.y, applyRasterOp(op, to.pixel(c.x, c.y), c.color));
}

// A plain copy in which every source pixel of colour `replaced` becomes `brush`.
inline void brushCopy(Picture& to, Point dest, const Picture& from, const Rect& source,
                      Color replaced, Color brush) {
  copyRect(to, dest, from, source, RasterOp::SrcCopy, &replaced, brush);
}

}  // namespace fudekko::test

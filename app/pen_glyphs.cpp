#include "app/pen_glyphs.h"

#include "common/dpi.h"
#include "surface/pen_tools.h"

namespace fudekko {

namespace {

Picture blankGlyph(int dpi) {
  return Picture(PixelFormat::Bits24, scaleForDpi(kPenGlyphWidth, dpi),
                 scaleForDpi(kPenGlyphHeight, dpi));
}

}  // namespace

Picture lineGlyph(std::int32_t lineWidth, int dpi) {
  Picture glyph = blankGlyph(dpi);
  const std::int32_t w = glyph.width(), h = glyph.height();
  glyph.setBrushColor(colorTableEntry(kWhiteIndex));
  glyph.fillRect({0, 0, w, h});
  glyph.setPenColor(kBlack);
  glyph.setPenWidth(scaledPenWidth(lineWidth, dpi));
  glyph.moveTo({scaleForDpi(20, dpi), h / 2});
  glyph.lineTo({w - scaleForDpi(20, dpi), h / 2});
  return glyph;
}

Picture colorGlyph(std::int32_t colorIndex, int dpi) {
  Picture glyph = blankGlyph(dpi);
  const std::int32_t w = glyph.width(), h = glyph.height();
  glyph.setBrushColor(colorTableEntry((colorIndex + 1) % 14 + 1));
  glyph.fillRect({0, 0, w, h});
  glyph.setPenColor(kBlack);
  glyph.setPenWidth(scaledPenWidth(1, dpi));
  glyph.setBrushColor(colorTableEntry(colorIndex));
  const Rect swatch{scaleForDpi(15, dpi), scaleForDpi(10, dpi), w - scaleForDpi(15, dpi),
                    h - scaleForDpi(10, dpi)};
  glyph.fillRect(swatch);
  glyph.rectangle(swatch);
  return glyph;
}

}  // namespace fudekko

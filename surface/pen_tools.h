#pragma once
// The pen, its colour table and the range its stored values must keep.

#include <array>
#include <cstdint>

#include "imaging/geometry.h"

namespace fudekko {

inline constexpr std::array<Color, 16> kColorTable = {
    0x000000,  // black
    0xFF0000,  // blue
    0x0000FF,  // red
    0xFF00FF,  // magenta
    0x00FF00,  // bright green
    0xFFFF00,  // cyan
    0x00FFFF,  // yellow
    0xC0C0C0,  // silver
    0x800000,  // navy
    0x000080,  // maroon
    0x800080,  // purple
    0x008000,  // green
    0x808000,  // teal
    0x008080,  // olive
    0x808080,  // grey
    0xFFFFFF,  // white: no ink
};
inline constexpr int kWhiteIndex = 15;
inline constexpr int kEraserWidth = 20;

inline constexpr int kDefaultPenColor = 0;
inline constexpr int kDefaultPenWidth = 5;
// The highlighter: yellow, 16 pixels wide at 96 DPI, at most kMaxHighlighterWidth.
inline constexpr int kYellowIndex = 6;
inline constexpr int kDefaultHighlighterWidth = 16;
inline constexpr int kMaxHighlighterWidth = 48;

// Entry `index` of the table; black for an index outside it, so that no value can
// read beyond the table.
constexpr Color colorTableEntry(int index) {
  return index >= 0 && index < static_cast<int>(kColorTable.size())
             ? kColorTable[static_cast<std::size_t>(index)]
             : kBlack;
}

// A stored colour index outside the table gives the default colour.
constexpr int penColorInRange(std::int32_t stored, int fallback = kDefaultPenColor) {
  return stored >= 0 && stored <= kWhiteIndex ? stored : fallback;
}

// A stored width below 1 gives the default width; one above the eraser's width (the
// widest pen the program itself uses) is cut to it.
constexpr int penWidthInRange(std::int32_t stored) {
  if (stored < 1) return kDefaultPenWidth;
  return stored > kEraserWidth ? kEraserWidth : stored;
}

// A stored highlighter width below 1 gives its default, one above its widest is cut.
constexpr int highlighterWidthInRange(std::int32_t stored) {
  if (stored < 1) return kDefaultHighlighterWidth;
  return stored > kMaxHighlighterWidth ? kMaxHighlighterWidth : stored;
}

// What the eraser takes away: the ink it passes over, or every stroke it touches, whole.
enum class EraserKind { Partial, Stroke };

// The pen as the user chooses it: an entry of the colour table and a width in pixels
// at 96 DPI (the eraser being the white pen, kEraserWidth wide).
struct Pen {
  std::int32_t colorIndex = kDefaultPenColor;
  std::int32_t lineWidth = kDefaultPenWidth;
  friend bool operator==(const Pen&, const Pen&) = default;
};

// The tool the user picked with the tool buttons, the menu or a key.
enum class ChosenTool { Pen, Highlighter, Eraser };

// What the user has chosen, all of which decides the tool in force.
struct ToolChoice {
  ChosenTool chosen = ChosenTool::Pen;
  // The pen in force: while the eraser is chosen, the white pen kEraserWidth wide
  // unless the colour or line button changed it since.
  Pen pen;
  // The highlighter's own colour and width.
  Pen highlighter{kYellowIndex, kDefaultHighlighterWidth};
  EraserKind eraserKind = EraserKind::Partial;
  bool brushPen = false;
};

// What a stroke begun now does.
enum class Tool { Pen, Highlighter, PartialEraser, StrokeEraser };

struct ToolInForce {
  Tool tool = Tool::Pen;
  Color color = kBlack;  // the ink's; white for the erasers
  std::int32_t width96 = kDefaultPenWidth;
  bool brush = false;  // tapered ends, width by speed or pressure
  friend bool operator==(const ToolInForce&, const ToolInForce&) = default;
};

// The one rule for the tool in force; the surface draws with it, the cursor shows it.
// `penEndErases`: a pen's eraser end or barrel button is down, which erases with the
// eraser of the chosen kind, kEraserWidth wide, whatever the buttons say. The eraser
// button with the stroke eraser chosen sweeps strokes; the white pen, whether the eraser
// button made it or the colour button, takes ink away at its width; any other pen lays
// ink, also when the colour button changed the eraser's pen. The highlighter marks in
// its own colour and width, whatever they are.
ToolInForce decideTool(const ToolChoice& choice, bool penEndErases = false);

}  // namespace fudekko

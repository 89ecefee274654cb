#pragma once
// The cool bar with its one band and the flat tool bar of the main window: the send,
// colour, line, eraser and handwriting buttons.

#include <windows.h>
// The common controls need windows.h first.
#include <commctrl.h>

#include <optional>

#include "common/dpi.h"
#include "imaging/picture.h"
#include "surface/pen_tools.h"
#include "win32/handles_win32.h"

namespace fudekko::win32 {

inline void destroyImageList(HIMAGELIST list) {
  ::ImageList_Destroy(list);
}
using ImageList = UniqueHandle<HIMAGELIST, destroyImageList>;

// Command identifiers of the tool buttons.
enum ToolButtonId : int {
  kSendButtonId = 201,
  kColorButtonId = 202,
  kLineButtonId = 203,
  kEraseButtonId = 204,
  kDrawingButtonId = 205,
  kHighlighterButtonId = 206,
};

// The pictures of the send and eraser buttons: a flying letter on cyan (64 x 45 at 96
// DPI) and an eraser on red (50 x 40; the stroke eraser's over a whole line it takes),
// 24-bit, drawn at `dpi` so that they stay sharp; the bottom-left pixel's colour shows
// as the face.
Picture sendGlyph(int dpi = kBaseDpi);
Picture eraserGlyph(int dpi = kBaseDpi, EraserKind kind = EraserKind::Partial);
// The highlighter's button: a marker laying a yellow band, on red (50 x 40).
Picture highlighterGlyph(int dpi = kBaseDpi);

class ToolBar {
 public:
  // Creates the cool bar and tool bar as children of `parent`, sized for `dpi`; `font`
  // is used for the handwriting button's caption and must outlive the tool bar (or
  // the next setDpi).
  ToolBar(HINSTANCE instance, HWND parent, HFONT font, int dpi);

  // Sizes the buttons, their glyphs and the band anew for `dpi`, the caption in `font`.
  void setDpi(int dpi, HFONT font);

  HWND toolBar() const { return toolBar_; }

  // The colour and line buttons show `pen` from now on (until then they are blank).
  void showPen(const fudekko::Pen& pen) noexcept;
  // The eraser button shows the eraser of `kind`.
  void showEraserKind(EraserKind kind) noexcept;
  // Of the highlighter and eraser buttons the chosen tool's is down; none for the pen.
  void showChosenTool(ChosenTool tool);
  // The handwriting button is down in handwriting mode, its caption "手書き中" then and
  // "手書き" in text mode.
  void showHandwritingMode(bool on);
  // The tool bar's NM_CUSTOMDRAW, which its parent passes on.
  LRESULT customDraw(const NMTBCUSTOMDRAW& draw) const;

  // Follows the parent's width; returns the cool bar's height.
  int layout(int parentWidth);

 private:
  void drawPenGlyphs() noexcept;
  void showGlyphs() noexcept;
  void setFontAndPadding();
  // Sets the buttons' sizes at dpi_; returns the tool bar's size.
  SIZE sizeButtons();

  HFONT font_;
  int dpi_;
  bool handwritingMode_ = false;
  HWND coolBar_ = nullptr;
  HWND toolBar_ = nullptr;
  Picture sendGlyph_;
  EraserKind eraserKind_ = EraserKind::Partial;
  Picture eraserGlyph_;
  Picture highlighterGlyph_;
  std::optional<fudekko::Pen> pen_;
  Picture colorGlyph_;
  Picture lineGlyph_;
  ImageList images_;
};

}  // namespace fudekko::win32

#include "app/tool_bar_win32.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "app/pen_glyphs.h"
#include "win32/dib_win32.h"
#include "win32/dpi_win32.h"

namespace fudekko::win32 {

namespace {

// Sizes at 96 DPI; each is drawn scaled to the window's DPI.
constexpr int kButtonHeight = 40;
constexpr int kBandMinHeight = 44;
constexpr int kButtonWidth = 51;
constexpr int kSendButtonWidth = 70;
constexpr int kSeparatorWidth = 8;
constexpr int kPadding = 2;
// The glyphs are larger than the 51 x 40 buttons: as on any flat button, only their
// middle shows, so the image list holds that middle part.
constexpr int kImageWidth = 47;
constexpr int kImageHeight = 36;

enum ImageIndex : int { kSendImage, kColorImage, kLineImage, kEraserImage, kHighlighterImage };

// The handwriting button's captions, in text mode and in handwriting mode.
constexpr wchar_t kHandwritingCaption[] = L"手書き";
constexpr wchar_t kHandwritingOnCaption[] = L"手書き中";

constexpr Color kCyan = 0xFFFF00;
constexpr Color kRed = 0x0000FF;

// The middle `width` x `height` of `glyph` as a device bitmap.
Bitmap middleOf(const Picture& glyph, int width, int height) {
  const BITMAPINFO info = topDownDibInfo(width, height);
  void* bits = nullptr;
  Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return bitmap;
  const int left = (glyph.width() - width) / 2;
  const int top = (glyph.height() - height) / 2;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Color c = glyph.pixel(left + x, top + y);
      // A DIB pixel is blue, green, red: the colour's byte order reversed.
      pixels[y * width + x] = rgb(blueOf(c), greenOf(c), redOf(c));
    }
  }
  return bitmap;
}

void addGlyph(HIMAGELIST list, const Picture& glyph, int width, int height) {
  const Bitmap bitmap = middleOf(glyph, width, height);
  // The bottom-left pixel of the whole glyph names the colour that shows as the face.
  const Color transparent = glyph.pixel(0, glyph.height() - 1);
  if (bitmap) ::ImageList_AddMasked(list, bitmap.get(), transparent);
}

}  // namespace

Picture sendGlyph(int dpi) {
  const DpiScale at(dpi);
  const int width = at(64), height = at(45);
  Picture glyph(PixelFormat::Bits24, width, height);
  glyph.setBrushColor(kCyan);
  glyph.fillRect({0, 0, width, height});
  // Speed lines behind the letter.
  glyph.setPenWidth(scaledPenWidth(1, dpi));
  glyph.setPenColor(0x808080);
  for (int y : {17, 23, 29}) {
    glyph.moveTo({at(9), at(y + 2)});
    glyph.lineTo({at(17), at(y)});
  }
  // The envelope, tilted up toward its flight.
  const Point corners[4] = {{at(20), at(18)}, {at(50), at(11)}, {at(54), at(31)}, {at(24), at(38)}};
  glyph.setBrushColor(0xFFFFFF);
  for (int y = at(10); y <= at(39); ++y) {
    // Fill the tilted body row by row between its left and right edges.
    const auto edgeX = [y](Point a, Point b) {
      return a.x + (b.x - a.x) * (y - a.y) / std::max(1, b.y - a.y);
    };
    int left = width, right = -1;
    for (int i = 0; i < 4; ++i) {
      const Point a = corners[i], b = corners[(i + 1) % 4];
      const Point top = a.y <= b.y ? a : b, bottom = a.y <= b.y ? b : a;
      if (y < top.y || y > bottom.y) continue;
      const int x = edgeX(top, bottom);
      left = std::min(left, x);
      right = std::max(right, x);
    }
    if (left <= right) glyph.fillRect({left, y, right + 1, y + 1});
  }
  glyph.setPenColor(0x000000);
  glyph.moveTo(corners[0]);
  for (int i = 1; i <= 4; ++i) glyph.lineTo(corners[i % 4]);
  // The flap.
  glyph.setPenColor(0x0000C0);
  glyph.moveTo(corners[0]);
  glyph.lineTo({at(38), at(27)});
  glyph.lineTo(corners[1]);
  return glyph;
}

Picture eraserGlyph(int dpi, EraserKind kind) {
  const DpiScale at(dpi);
  Picture glyph(PixelFormat::Bits24, at(50), at(40));
  glyph.setBrushColor(kRed);
  glyph.fillRect({0, 0, glyph.width(), glyph.height()});
  if (kind == EraserKind::Stroke) {
    // The whole line it takes, under the block: a black wave, struck through.
    glyph.setPenWidth(scaledPenWidth(3, dpi));
    glyph.setPenColor(kBlack);
    glyph.moveTo({at(6), at(12)});
    for (const Point to : {Point{at(12), at(6)}, Point{at(18), at(12)}, Point{at(24), at(6)}}) {
      glyph.lineTo(to);
    }
    glyph.setPenWidth(scaledPenWidth(2, dpi));
    glyph.setPenColor(kWhite);
    glyph.moveTo({at(4), at(3)});
    glyph.lineTo({at(26), at(15)});
  }
  // A rubber block lying on a slant: its paper sleeve and its white tip.
  glyph.setPenWidth(scaledPenWidth(13, dpi));
  glyph.setPenColor(0xC07030);
  glyph.moveTo({at(30), at(14)});
  glyph.lineTo({at(38), at(10)});
  glyph.setPenColor(0xF0F0F0);
  glyph.moveTo({at(14), at(26)});
  glyph.lineTo({at(24), at(18)});
  glyph.setPenWidth(scaledPenWidth(1, dpi));
  glyph.setPenColor(0x404040);
  glyph.moveTo({at(8), at(32)});
  glyph.lineTo({at(42), at(32)});
  return glyph;
}

Picture highlighterGlyph(int dpi) {
  const DpiScale at(dpi);
  Picture glyph(PixelFormat::Bits24, at(50), at(40));
  glyph.setBrushColor(kRed);
  glyph.fillRect({0, 0, glyph.width(), glyph.height()});
  // The band it lays, then the marker on a slant: its body and its chisel tip.
  glyph.setPenWidth(scaledPenWidth(7, dpi));
  glyph.setPenColor(0x00FFFF);
  glyph.moveTo({at(8), at(31)});
  glyph.lineTo({at(26), at(31)});
  glyph.setPenWidth(scaledPenWidth(11, dpi));
  glyph.setPenColor(0x404040);
  glyph.moveTo({at(26), at(20)});
  glyph.lineTo({at(38), at(8)});
  glyph.setPenWidth(scaledPenWidth(7, dpi));
  glyph.setPenColor(0x00FFFF);
  glyph.moveTo({at(20), at(26)});
  glyph.lineTo({at(22), at(24)});
  return glyph;
}

ToolBar::ToolBar(HINSTANCE instance, HWND parent, HFONT font, int dpi)
    : font_(font),
      dpi_(dpi),
      sendGlyph_(sendGlyph(dpi)),
      eraserGlyph_(eraserGlyph(dpi)),
      highlighterGlyph_(highlighterGlyph(dpi)) {
  coolBar_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                   RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                               0, 0, 0, 0, parent, nullptr, instance, nullptr);
  toolBar_ = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                   CCS_NODIVIDER | CCS_NOPARENTALIGN,
                               0, 0, 0, 0, coolBar_, nullptr, instance, nullptr);
  ::SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // Button commands go to the main window, not to the cool bar.
  ::SendMessageW(toolBar_, TB_SETPARENT, reinterpret_cast<WPARAM>(parent), 0);
  setFontAndPadding();
  showGlyphs();

  TBBUTTON buttons[] = {
      {kSendImage, kSendButtonId, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {0, 0, 0, BTNS_SEP, {}, 0, 0},  // the gap after Send, sized in sizeButtons
      {kColorImage, kColorButtonId, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {kLineImage, kLineButtonId, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {kEraserImage, kEraseButtonId, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, 0},
      {kHighlighterImage, kHighlighterButtonId, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, 0},
      {I_IMAGENONE, kDrawingButtonId, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, -1},
  };
  ::SendMessageW(toolBar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  const SIZE size = sizeButtons();

  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
  band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
  band.hwndChild = toolBar_;
  band.cxMinChild = static_cast<UINT>(size.cx);
  band.cyMinChild = static_cast<UINT>(scaleForDpi(kBandMinHeight, dpi_));
  band.cx = static_cast<UINT>(size.cx);
  ::SendMessageW(coolBar_, RB_INSERTBANDW, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&band));
}

void ToolBar::setFontAndPadding() {
  const int padding = scaleForDpi(kPadding, dpi_);
  ::SendMessageW(toolBar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  ::SendMessageW(toolBar_, TB_SETPADDING, 0, MAKELPARAM(padding, padding));
}

SIZE ToolBar::sizeButtons() {
  const DpiScale at(dpi_);
  ::SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(at(kButtonWidth), at(kButtonHeight)));
  const struct {
    int id;
    int width;
  } widths[] = {{kSendButtonId, kSendButtonWidth}, {kColorButtonId, kButtonWidth},
                {kLineButtonId, kButtonWidth},     {kHighlighterButtonId, kButtonWidth},
                {kEraseButtonId, kButtonWidth},    {kDrawingButtonId, kButtonWidth}};
  for (const auto& button : widths) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(at(button.width));
    ::SendMessageW(toolBar_, TB_SETBUTTONINFOW, static_cast<WPARAM>(button.id),
                   reinterpret_cast<LPARAM>(&info));
  }
  TBBUTTONINFOW separator{};
  separator.cbSize = sizeof separator;
  separator.dwMask = TBIF_SIZE | TBIF_BYINDEX;
  separator.cx = static_cast<WORD>(at(kSeparatorWidth));
  ::SendMessageW(toolBar_, TB_SETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&separator));

  SIZE size{};
  ::SendMessageW(toolBar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
  ::SetWindowPos(toolBar_, nullptr, 0, 0, size.cx, at(kButtonHeight), SWP_NOMOVE | SWP_NOZORDER);
  return size;
}

void ToolBar::setDpi(int dpi, HFONT font) {
  dpi_ = dpi;
  font_ = font;
  sendGlyph_ = sendGlyph(dpi);
  eraserGlyph_ = eraserGlyph(dpi, eraserKind_);
  highlighterGlyph_ = highlighterGlyph(dpi);
  drawPenGlyphs();
  setFontAndPadding();
  showGlyphs();
  const SIZE size = sizeButtons();
  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
  band.cxMinChild = static_cast<UINT>(size.cx);
  band.cyMinChild = static_cast<UINT>(scaleForDpi(kBandMinHeight, dpi));
  band.cx = static_cast<UINT>(size.cx);
  ::SendMessageW(coolBar_, RB_SETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
}

void ToolBar::showEraserKind(EraserKind kind) noexcept {
  eraserKind_ = kind;
  try {
    eraserGlyph_ = eraserGlyph(dpi_, kind);
  } catch (...) {
    // Out of memory: the button keeps its former glyph.
  }
  showGlyphs();
}

void ToolBar::showPen(const fudekko::Pen& pen) noexcept {
  pen_ = pen;
  drawPenGlyphs();
  showGlyphs();
}

void ToolBar::drawPenGlyphs() noexcept {
  if (!pen_) return;
  try {
    Picture color = colorGlyph(pen_->colorIndex, dpi_);
    lineGlyph_ = lineGlyph(pen_->lineWidth, dpi_);
    colorGlyph_ = std::move(color);
  } catch (...) {
    // Out of memory: the buttons keep their former glyphs.
  }
}

// The image list is built anew each time: it is five small pictures.
void ToolBar::showGlyphs() noexcept {
  const int width = scaleForDpi(kImageWidth, dpi_), height = scaleForDpi(kImageHeight, dpi_);
  ImageList images(::ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 5, 0));
  if (!images) return;
  for (const Picture* glyph :
       {&sendGlyph_, &colorGlyph_, &lineGlyph_, &eraserGlyph_, &highlighterGlyph_}) {
    if (glyph->empty()) {
      // Not drawn yet: an empty face keeps the indices in place.
      Picture blank(PixelFormat::Bits24, width, height);
      addGlyph(images.get(), blank, width, height);
    } else {
      addGlyph(images.get(), *glyph, width, height);
    }
  }
  ::SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
  images_ = std::move(images);
  ::InvalidateRect(toolBar_, nullptr, TRUE);
}

void ToolBar::showChosenTool(ChosenTool tool) {
  ::SendMessageW(toolBar_, TB_CHECKBUTTON, kHighlighterButtonId,
                 MAKELPARAM(tool == ChosenTool::Highlighter, 0));
  ::SendMessageW(toolBar_, TB_CHECKBUTTON, kEraseButtonId,
                 MAKELPARAM(tool == ChosenTool::Eraser, 0));
}

void ToolBar::showHandwritingMode(bool on) {
  handwritingMode_ = on;
  ::SendMessageW(toolBar_, TB_CHECKBUTTON, kDrawingButtonId, MAKELPARAM(on, 0));
  ::InvalidateRect(toolBar_, nullptr, TRUE);
}

// The handwriting button's caption is drawn here, centred on the button's face: the
// tool bar itself would place it beside the room kept for a glyph, off the narrow button.
LRESULT ToolBar::customDraw(const NMTBCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return draw.nmcd.dwItemSpec == kDrawingButtonId ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    case CDDS_ITEMPOSTPAINT:
      if (draw.nmcd.dwItemSpec == kDrawingButtonId) {
        RECT face = draw.nmcd.rc;
        // A pressed button's caption sinks by a pixel, as its glyph would.
        if (draw.nmcd.uItemState & (CDIS_CHECKED | CDIS_SELECTED)) {
          const int sink = scaleForDpi(1, dpi_);
          ::OffsetRect(&face, sink, sink);
        }
        const Selection font(draw.nmcd.hdc, font_);
        ::SetBkMode(draw.nmcd.hdc, TRANSPARENT);
        ::SetTextColor(draw.nmcd.hdc, ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextW(draw.nmcd.hdc, handwritingMode_ ? kHandwritingOnCaption : kHandwritingCaption,
                    -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      return CDRF_DODEFAULT;
  }
  return CDRF_DODEFAULT;
}

int ToolBar::layout(int parentWidth) {
  ::SetWindowPos(coolBar_, nullptr, 0, 0, parentWidth, 0, SWP_NOZORDER | SWP_NOMOVE);
  RECT r{};
  ::GetWindowRect(coolBar_, &r);
  return r.bottom - r.top;
}

}  // namespace fudekko::win32

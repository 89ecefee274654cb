#include "surface/pointer_input_win32.h"

#include <algorithm>
#include <vector>

namespace fudekko::win32 {

namespace {

template <typename Function>
Function lookUp(HMODULE module, const char* name) {
  // GetProcAddress returns a generic function pointer; the cast names its real type.
  return module
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
             : nullptr;
}

// Mouse messages that the system made from touch or a pen carry this in their extra
// information (MI_WP_SIGNATURE), touch with the 0x80 bit.
constexpr LPARAM kPointerSignatureMask = 0xFFFFFF00;
constexpr LPARAM kPointerSignature = 0xFF515700;
constexpr LPARAM kFromTouch = 0x80;

}  // namespace

SystemPointerSource::SystemPointerSource() {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  getType_ = lookUp<decltype(getType_)>(user32, "GetPointerType");
  getPenInfo_ = lookUp<decltype(getPenInfo_)>(user32, "GetPointerPenInfo");
  getPenInfoHistory_ = lookUp<decltype(getPenInfoHistory_)>(user32, "GetPointerPenInfoHistory");
  getDeviceRects_ = lookUp<decltype(getDeviceRects_)>(user32, "GetPointerDeviceRects");
}

std::optional<PointerFrames> SystemPointerSource::read(std::uint32_t id) {
  if (!getType_ || !getPenInfo_ || !getPenInfoHistory_) return std::nullopt;
  POINTER_INPUT_TYPE type = PT_POINTER;
  if (!getType_(id, &type)) return std::nullopt;
  switch (type) {
    case PT_PEN:
      break;
    case PT_TOUCH:
      return PointerFrames{PointerKind::Touch, {}};
    case PT_MOUSE:
      return PointerFrames{PointerKind::Mouse, {}};
    default:
      return PointerFrames{PointerKind::Other, {}};
  }
  POINTER_PEN_INFO current{};
  if (!getPenInfo_(id, &current)) return std::nullopt;
  // The samples merged into this message, newest first; the message's own is the first.
  UINT32 count = std::max<UINT32>(current.pointerInfo.historyCount, 1);
  std::vector<POINTER_PEN_INFO> history(count);
  if (!getPenInfoHistory_(id, &count, history.data())) return std::nullopt;
  history.resize(std::min<std::size_t>(count, history.size()));
  if (history.empty()) history.push_back(current);

  // The exact position comes from the device's own coordinates (himetric), mapped onto
  // the screen rectangle the device covers; ptPixelLocation is whole pixels.
  RECT device{}, display{};
  const bool mapped = getDeviceRects_ &&
                      getDeviceRects_(current.pointerInfo.sourceDevice, &device, &display) &&
                      device.right > device.left && device.bottom > device.top;
  PointerFrames pen{PointerKind::Pen, {}};
  for (const POINTER_PEN_INFO& info : history) {
    const POINTER_INFO& pointer = info.pointerInfo;
    PenFrame frame;
    frame.pointerFlags = pointer.pointerFlags;
    frame.penFlags = info.penFlags;
    frame.penMask = info.penMask;
    frame.pressure = info.pressure;
    frame.pixel = {pointer.ptPixelLocation.x, pointer.ptPixelLocation.y};
    frame.time = pointer.dwTime;
    if (mapped) {
      frame.precise = true;
      frame.x = display.left + double(pointer.ptHimetricLocation.x - device.left) *
                                   (display.right - display.left) / (device.right - device.left);
      frame.y = display.top + double(pointer.ptHimetricLocation.y - device.top) *
                                  (display.bottom - display.top) / (device.bottom - device.top);
    }
    pen.frames.push_back(frame);
  }
  return pen;
}

PenInput::Outcome DrawingAreaPointer::deliver(HWND window, HandwritingSurface& surface,
                                              UINT message, WPARAM wParam, int drawingTop) {
  POINT origin{0, drawingTop};
  ::ClientToScreen(window, &origin);
  PointerMessage kind = PointerMessage::Update;
  if (message == WM_POINTERDOWN) kind = PointerMessage::Down;
  if (message == WM_POINTERUP) kind = PointerMessage::Up;
  if (message == WM_POINTERLEAVE) kind = PointerMessage::Leave;
  // Shift draws a straight line from where the stroke began.
  const bool straight = ::GetKeyState(VK_SHIFT) < 0;
  return pen_.deliver(source_, kind, GET_POINTERID_WPARAM(wParam), surface, {origin.x, origin.y},
                      static_cast<std::uint32_t>(::GetMessageTime()), straight);
}

bool DrawingAreaPointer::isPalm() const {
  const LPARAM extra = ::GetMessageExtraInfo();
  const bool fromTouch =
      (extra & kPointerSignatureMask) == kPointerSignature && (extra & kFromTouch) != 0;
  return fromTouch && !pen_.acceptsTouch(static_cast<std::uint32_t>(::GetMessageTime()));
}

LRESULT systemGestureStatus(HWND window, POINT screen, int drawingTop) {
  POINT client = screen;
  ::ScreenToClient(window, &client);
  RECT area{};
  ::GetClientRect(window, &area);
  area.top = drawingTop;
  if (!::PtInRect(&area, client)) return 0;
  return TABLET_DISABLE_PRESSANDHOLD | TABLET_DISABLE_PENTAPFEEDBACK |
         TABLET_DISABLE_PENBARRELFEEDBACK | TABLET_DISABLE_FLICKS;
}

}  // namespace fudekko::win32

#include "surface/pointer_input.h"

namespace fudekko {

PenInput::Outcome PenInput::deliver(PointerSource& source, PointerMessage message, std::uint32_t id,
                                    HandwritingSurface& surface, Point origin, std::uint32_t time,
                                    bool straight) {
  const std::optional<PointerFrames> pointer = source.read(id);
  if (!pointer || pointer->kind != PointerKind::Pen) return {};
  if (message == PointerMessage::Leave) {
    frames_.leave(time);
    return {};
  }
  if (pointer->frames.empty()) return {};
  Outcome outcome;
  // The moves between a down and an up go to the surface together.
  std::vector<StrokePoint> moves;
  const auto moveOn = [&] {
    if (!moves.empty()) outcome.changed += surface.extendStroke(StrokeSource::Pen, moves, straight);
    moves.clear();
  };
  for (const PenAction& action : frames_.take(pointer->frames, origin)) {
    if (action.kind == PenAction::Kind::Move) {
      moves.push_back(action.at);
      continue;
    }
    moveOn();
    if (action.kind == PenAction::Kind::Up) {
      outcome.changed += surface.endStroke(StrokeSource::Pen, action.at, straight);
    } else if (action.at.y >= 0) {
      // Above the drawing area (over the bars) a pen draws nothing, as the mouse.
      outcome.changed += surface.beginStroke(StrokeSource::Pen, action.at, action.contact);
    }
  }
  moveOn();
  // Down and up are the pen's own, so that no emulated button follows; an update in
  // contact too. Hover goes on to the system, which moves the cursor.
  const bool touching = (pointer->frames.front().pointerFlags & kPointerInContact) != 0;
  outcome.handled = message != PointerMessage::Update || touching || frames_.inContact();
  return outcome;
}

}  // namespace fudekko

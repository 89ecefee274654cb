#include "surface/pointer_input.h"

namespace fudekko {

PenInput::Outcome PenInput::deliver(PointerSource& source, PointerMessage message, std::uint32_t id,
                                    HandwritingSurface& surface, Point origin, std::uint32_t time) {
  const std::optional<PointerFrames> pointer = source.read(id);
  if (!pointer || pointer->kind != PointerKind::Pen) return {};
  if (message == PointerMessage::Leave) {
    frames_.leave(time);
    return {};
  }
  if (pointer->frames.empty()) return {};
  Outcome outcome;
  for (const PenAction& action : frames_.take(pointer->frames, origin)) {
    switch (action.kind) {
      case PenAction::Kind::Down:
        // Above the drawing area (over the bars) a pen draws nothing, as the mouse.
        if (action.at.y < 0) break;
        outcome.changed = outcome.changed.unite(surface.penStrokeDown(action.at, action.contact));
        break;
      case PenAction::Kind::Move:
        outcome.changed = outcome.changed.unite(surface.penStrokeMove(action.at));
        break;
      case PenAction::Kind::Up:
        outcome.changed = outcome.changed.unite(surface.penStrokeUp(action.at));
        break;
    }
  }
  // Down and up are the pen's own, so that no emulated button follows; an update in
  // contact too. Hover goes on to the system, which moves the cursor.
  const bool touching = (pointer->frames.front().pointerFlags & kPointerInContact) != 0;
  outcome.handled = message != PointerMessage::Update || touching || frames_.inContact();
  return outcome;
}

}  // namespace fudekko

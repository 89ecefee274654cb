// Pen input: pointer frames (newest first, as the system gives them) to stroke points,
// the pressure curve, the eraser end and barrel, hover, palm rejection, the fallback
// when the pointer functions are missing, strokes drawn with the pen's pressure, and the
// test build's pointer script.

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <optional>
#include <vector>

#include "surface/handwriting_surface.h"
#include "surface/mouse_strokes.h"
#include "surface/pen_frames.h"
#include "surface/pointer_input.h"
#include "surface/pointer_script.h"

namespace fudekko {
namespace {

constexpr std::uint32_t kHover = kPointerInRange | kPointerUpdate;
constexpr std::uint32_t kDown =
    kPointerInRange | kPointerInContact | kPointerFirstButton | kPointerDown;
constexpr std::uint32_t kMove =
    kPointerInRange | kPointerInContact | kPointerFirstButton | kPointerUpdate;
constexpr std::uint32_t kUp = kPointerInRange | kPointerUp;

PenFrame frame(std::uint32_t flags, double x, double y, std::uint32_t pressure, std::uint32_t time,
               std::uint32_t penFlags = 0) {
  PenFrame result{flags, penFlags, kPenMaskPressure, pressure, {}, true, x, y, time};
  result.pixel = {static_cast<std::int32_t>(std::floor(x)),
                  static_cast<std::int32_t>(std::floor(y))};
  return result;
}

using Kind = PenAction::Kind;

// ---- Frames to actions ----

TEST(PenFrames, MergedFramesComeOutOldestFirstWithSubPixelPositionsAndPressure) {
  PenFrames pen;
  const Point origin{100, 50};
  const PenFrame down = frame(kDown, 110.25, 60.75, 0, 1000);
  auto actions = pen.take(std::vector{down}, origin);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0], (PenAction{Kind::Down, {10.25f, 10.75f, 0.0f, 1000}, {true, false}}));
  EXPECT_TRUE(pen.inContact());

  // One update carrying three samples, newest first.
  const std::vector merged{frame(kMove, 130.5, 60.5, 1024, 1012),
                           frame(kMove, 120.5, 60.5, 512, 1008),
                           frame(kMove, 115.5, 60.5, 2000, 1004)};
  actions = pen.take(merged, origin);
  ASSERT_EQ(actions.size(), 3u);
  EXPECT_EQ(actions[0].at, (StrokePoint{15.5f, 10.5f, 1.0f, 1004}));  // beyond 1024: full
  EXPECT_EQ(actions[1].at.x, 20.5f);
  EXPECT_EQ(actions[2].at, (StrokePoint{30.5f, 10.5f, 1.0f, 1012}));
  for (const PenAction& action : actions) EXPECT_EQ(action.kind, Kind::Move);

  // The up carries no pressure: the stroke ends at the last one it had.
  actions = pen.take(std::vector{frame(kUp, 131.5, 61.5, 0, 1016)}, origin);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0], (PenAction{Kind::Up, {31.5f, 11.5f, 1.0f, 1016}, {}}));
  EXPECT_FALSE(pen.inContact());

  // Without an exact position, the pixel's centre.
  PenFrame whole = frame(kDown, 0, 0, 512, 1100);
  whole.precise = false;
  whole.pixel = {104, 57};
  EXPECT_EQ(pen.take(std::vector{whole}, origin)[0].at.x, 4.5f);
}

TEST(PenFrames, PressureCurveIsGentleAndMonotonous) {
  EXPECT_EQ(penPressure(0), 0.0f);
  EXPECT_EQ(penPressure(kMaxPenPressure), 1.0f);
  EXPECT_EQ(penPressure(60000), 1.0f);
  // Light pressure is lifted a little, never much.
  EXPECT_GT(penPressure(512), 0.5f);
  EXPECT_LT(penPressure(512), 0.65f);
  for (std::uint32_t raw = 1; raw <= kMaxPenPressure; ++raw) {
    ASSERT_GT(penPressure(raw), penPressure(raw - 1)) << raw;
  }
}

TEST(PenFrames, EraserEndAndBarrelAreReadAtTheDownOnly) {
  for (std::uint32_t flag : {kPenInverted, kPenEraser, kPenBarrel}) {
    PenFrames pen;
    const auto down = pen.take(std::vector{frame(kDown, 5, 5, 300, 1, flag)}, {});
    EXPECT_TRUE(down.at(0).contact.erases) << flag;
    // The up lacks the flag; the stroke was the eraser's all the same (the surface keeps
    // the contact of the down), and the next stroke without it writes.
    EXPECT_EQ(pen.take(std::vector{frame(kUp, 6, 5, 0, 2)}, {}).at(0).kind, Kind::Up);
    EXPECT_FALSE(pen.take(std::vector{frame(kDown, 5, 5, 300, 3)}, {}).at(0).contact.erases);
  }
  // The barrel pressed after contact does not turn a stroke into an eraser halfway.
  PenFrames pen;
  pen.take(std::vector{frame(kDown, 5, 5, 300, 1)}, {});
  EXPECT_EQ(pen.take(std::vector{frame(kMove, 9, 5, 300, 2, kPenBarrel)}, {}).at(0),
            (PenAction{Kind::Move, {9, 5, penPressure(300), 2}, {}}));
}

TEST(PenFrames, HoverDrawsNothingAndLostContactEndsTheStroke) {
  PenFrames pen;
  EXPECT_TRUE(pen.take(std::vector{frame(kHover, 5, 5, 0, 1)}, {}).empty());
  // Contact in a merged update without a down flag: the first frame in contact starts it.
  auto actions = pen.take(std::vector{frame(kMove, 9, 5, 400, 3), frame(kMove, 7, 5, 400, 2),
                                      frame(kHover, 6, 5, 0, 1)},
                          {});
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].kind, Kind::Down);
  EXPECT_EQ(actions[1].kind, Kind::Move);
  // An update that finds the pen lifted (its up went missing) ends the stroke there.
  actions = pen.take(std::vector{frame(kHover, 12, 5, 0, 5), frame(kMove, 10, 5, 400, 4)}, {});
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[1].kind, Kind::Up);
  EXPECT_TRUE(pen.take(std::vector{frame(kHover, 14, 5, 0, 6)}, {}).empty());
}

TEST(PenFrames, WithoutPressureDataStrokesAreFull) {
  PenFrames pen;
  PenFrame down = frame(kDown, 5, 5, 0, 1);
  down.penMask = 0;
  PenFrame move = frame(kMove, 9, 5, 0, 2);
  move.penMask = 0;
  const auto actions = pen.take(std::vector{down}, {});
  EXPECT_FALSE(actions.at(0).contact.pressure);
  EXPECT_EQ(actions.at(0).at.pressure, 1.0f);
  EXPECT_EQ(pen.take(std::vector{move}, {}).at(0).at.pressure, 1.0f);
}

TEST(PenFrames, TouchIsThePalmWhileAPenIsInRangeAndHalfASecondAfter) {
  PenFrames pen;
  EXPECT_TRUE(pen.acceptsTouch(0));  // no pen yet
  pen.take(std::vector{frame(kHover, 5, 5, 0, 1000)}, {});
  EXPECT_FALSE(pen.acceptsTouch(5000));  // in range, however long
  pen.leave(6000);
  EXPECT_FALSE(pen.acceptsTouch(6000 + PenFrames::kPalmMs - 1));
  EXPECT_TRUE(pen.acceptsTouch(6000 + PenFrames::kPalmMs));
  EXPECT_FALSE(pen.acceptsTouch(5999));  // touch stamped before the pen left
  // An update without "in range" is the pen leaving too; the clock may wrap meanwhile.
  pen.take(std::vector{frame(kPointerUpdate, 5, 5, 0, 0xFFFFFF80u)}, {});
  EXPECT_FALSE(pen.acceptsTouch(0x100));
  EXPECT_TRUE(pen.acceptsTouch(0x200));
}

// ---- Pointer messages onto the surface ----

// Answers each read with the next scripted answer.
class ScriptedAnswers : public PointerSource {
 public:
  std::optional<PointerFrames> read(std::uint32_t) override {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<PointerFrames>> answers;
};

PointerFrames penFrames(std::vector<PenFrame> frames) {
  return {PointerKind::Pen, std::move(frames)};
}

class PenSurfaceTest : public testing::Test {
 protected:
  PenSurfaceTest() {
    surface.setStartPen({0, 20});  // black, the widest pen
    surface.createLayers(200, 60);
  }
  PenInput::Outcome deliver(PointerMessage message, std::optional<PointerFrames> answer) {
    source.answers.push_back(std::move(answer));
    return input.deliver(source, message, 7, surface, {}, 0);
  }
  // The rows of column `x` that hold ink.
  int inkedRows(int x) const {
    int rows = 0;
    for (int y = 0; y < 60; ++y) rows += coverageOf(surface.ink()->cell(x, y)) > 127 ? 1 : 0;
    return rows;
  }
  // A stroke along y = 30 from x = 20 to 180, its pressure rising to full in the middle
  // and falling again.
  void pressureStroke(std::uint32_t penFlags = 0, std::uint32_t penMask = kPenMaskPressure) {
    std::vector<PenFrame> frames;
    for (int i = 0; i <= 16; ++i) {
      const std::uint32_t pressure = static_cast<std::uint32_t>(1024 - std::abs(i - 8) * 120);
      frames.push_back(frame(i == 0 ? kDown : kMove, 20 + 10 * i + 0.25, 30.5, pressure,
                             100 + 8 * i, i == 0 ? penFlags : 0));
      frames.back().penMask = penMask;
    }
    deliver(PointerMessage::Down, penFrames({frames[0]}));
    // Merged in pairs, newest first.
    for (std::size_t i = 1; i + 1 < frames.size(); i += 2) {
      deliver(PointerMessage::Update, penFrames({frames[i + 1], frames[i]}));
    }
    deliver(PointerMessage::Up, penFrames({frame(kUp, 180.25, 30.5, 0, 240)}));
  }
  HandwritingSurface surface;
  MouseStrokes mouse{surface};
  ScriptedAnswers source;
  PenInput input;
};

TEST_F(PenSurfaceTest, WithoutPointerDataOrForOtherPointersTheMessageIsNotTheProgramsOwn) {
  // The pointer functions are missing or fail (Wine, Windows 7), or the pointer is not a
  // pen: the system's mouse messages draw instead.
  for (std::optional<PointerFrames> answer :
       {std::optional<PointerFrames>{}, std::optional{PointerFrames{PointerKind::Touch, {}}},
        std::optional{PointerFrames{PointerKind::Mouse, {}}}}) {
    const auto outcome = deliver(PointerMessage::Down, answer);
    EXPECT_FALSE(outcome.handled);
    EXPECT_TRUE(outcome.changed.repaint.empty());
    EXPECT_FALSE(surface.isDrawing());
  }
  // Hover goes to the system too (it moves the cursor); down, updates in contact and up
  // are the program's, so that no emulated mouse message follows.
  EXPECT_FALSE(deliver(PointerMessage::Update, penFrames({frame(kHover, 5, 5, 0, 1)})).handled);
  EXPECT_TRUE(deliver(PointerMessage::Down, penFrames({frame(kDown, 5, 5, 500, 2)})).handled);
  EXPECT_TRUE(surface.isDrawing());
  EXPECT_TRUE(deliver(PointerMessage::Update, penFrames({frame(kMove, 25, 5, 500, 3)})).handled);
  EXPECT_TRUE(deliver(PointerMessage::Up, penFrames({frame(kUp, 25, 5, 0, 4)})).handled);
  EXPECT_FALSE(surface.isDrawing());
  ASSERT_EQ(surface.strokes().size(), 1u);
  EXPECT_FALSE(deliver(PointerMessage::Leave, penFrames({})).handled);
  // A pen down over the bars above the drawing area draws nothing.
  deliver(PointerMessage::Down, penFrames({frame(kDown, 5, -3, 500, 10)}));
  EXPECT_FALSE(surface.isDrawing());
}

TEST_F(PenSurfaceTest, PressureSetsTheWidthAlongTheStroke) {
  pressureStroke();
  ASSERT_EQ(surface.strokes().size(), 1u);
  const int start = inkedRows(24), middle = inkedRows(100), end = inkedRows(176);
  EXPECT_GE(middle, 19);  // full pressure: the pen's whole width
  EXPECT_LT(start, middle - 4);
  EXPECT_LT(end, middle - 4);
  // Rendered anew from the list (undo and redo), the stroke is as it was drawn live.
  std::vector<InkCell> live;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) live.push_back(surface.ink()->cell(x, y));
  surface.undo();
  EXPECT_EQ(inkedRows(100), 0);
  surface.redo();
  for (int y = 0, i = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x, ++i)
      ASSERT_EQ(surface.ink()->cell(x, y), live[i]) << x << "," << y;

  // Without pressure data the stroke has the even width.
  surface.undo();
  pressureStroke(0, 0);
  EXPECT_EQ(inkedRows(24), inkedRows(100));
}

TEST_F(PenSurfaceTest, TheBrushTakesThePensPressureInsteadOfTheSpeed) {
  surface.setBrushPen(true);
  pressureStroke();
  const Stroke& stroke = surface.strokes()[0];
  EXPECT_TRUE(stroke.pen.brush);
  // The points keep the pen's pressure, whatever the speed of writing made of it.
  EXPECT_EQ(stroke.points.front().pressure, penPressure(64));
  float highest = 0;
  for (const StrokePoint& point : stroke.points) highest = std::max(highest, point.pressure);
  EXPECT_EQ(highest, 1.0f);
}

TEST_F(PenSurfaceTest, TheEraserEndErasesWithTheChosenKindAndUndoBringsTheInkBack) {
  for (EraserKind kind : {EraserKind::Partial, EraserKind::Stroke}) {
    surface.setEraserKind(kind);
    pressureStroke();
    const std::size_t strokes = surface.strokes().size();
    // Across the stroke's middle with the eraser end: the pen stays as it was.
    deliver(PointerMessage::Down, penFrames({frame(kDown, 100.5, 5.5, 800, 300, kPenEraser)}));
    deliver(PointerMessage::Update, penFrames({frame(kMove, 100.5, 55.5, 800, 310)}));
    deliver(PointerMessage::Up, penFrames({frame(kUp, 100.5, 55.5, 0, 320)}));
    EXPECT_EQ(inkedRows(100), 0);
    EXPECT_EQ(surface.pen(), (Pen{0, 20}));
    EXPECT_EQ(surface.chosenTool(), ChosenTool::Pen);
    if (kind == EraserKind::Partial) {
      EXPECT_EQ(surface.strokes().back().pen.tool, StrokeTool::PartialEraser);
      EXPECT_GT(inkedRows(60), 10);  // only where it passed
    } else {
      EXPECT_EQ(surface.strokes().size(), strokes - 1);  // the whole stroke
      EXPECT_EQ(inkedRows(60), 0);
    }
    surface.undo();
    EXPECT_GE(inkedRows(100), 19);
    // The next stroke writes again.
    pressureStroke();
    EXPECT_EQ(surface.strokes().back().pen.tool, StrokeTool::Pen);
    surface.undo();
    surface.undo();
  }
}

TEST_F(PenSurfaceTest, MouseAndPenDoNotMixWithinAStroke) {
  deliver(PointerMessage::Down, penFrames({frame(kDown, 20.5, 30.5, 1024, 1)}));
  // The mouse's moves and releases during the pen's stroke are not the stroke's.
  EXPECT_TRUE(mouse.move(kNoButton, {100, 30}).repaint.empty());
  EXPECT_TRUE(mouse.release({100, 30}).repaint.empty());
  EXPECT_TRUE(surface.isDrawing());
  deliver(PointerMessage::Update, penFrames({frame(kMove, 60.5, 30.5, 1024, 2)}));
  // A button pressed meanwhile: the pen's up went missing; its stroke ends, the mouse's
  // starts.
  mouse.press(kLeftButton, {100, 10});
  ASSERT_EQ(surface.strokes().size(), 1u);
  mouse.release({150, 10});
  EXPECT_EQ(surface.strokes().size(), 2u);
  EXPECT_FALSE(surface.isDrawing());
}

// ---- The test build's script ----

TEST(PointerScript, ReadsMessagesInOrderAndNamesTheLineItCannotRead) {
  const auto messages = parsePointerScript(
      "# a comment\r\n"
      "pen 0x30016 2 1 512 10.5 20.25 100 | 0x30016 2 1 256 9 20 96\r\n"
      "\n"
      "touch\nmouse\nnone\n");
  ASSERT_EQ(messages.size(), 4u);
  ASSERT_TRUE(messages[0]);
  EXPECT_EQ(messages[0]->kind, PointerKind::Pen);
  ASSERT_EQ(messages[0]->frames.size(), 2u);
  const PenFrame& newest = messages[0]->frames[0];
  EXPECT_EQ(newest.pointerFlags, 0x30016u);
  EXPECT_EQ(newest.penFlags, kPenInverted);
  EXPECT_EQ(newest.pressure, 512u);
  EXPECT_EQ(newest.x, 10.5);
  EXPECT_EQ(newest.pixel, (Point{10, 20}));
  EXPECT_EQ(messages[0]->frames[1].time, 96u);
  EXPECT_EQ(messages[1]->kind, PointerKind::Touch);
  EXPECT_FALSE(messages[3]);

  for (const char* bad :
       {"pen\n", "pen 1 2 3 4 5 6\n", "pen 1 2 3 4 5 6 7 8\n", "stylus\n", "pen x 2 3 4 5 6 7\n"}) {
    try {
      parsePointerScript(std::string("none\n") + bad);
      ADD_FAILURE() << bad;
    } catch (const PointerScriptError& error) {
      EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos) << error.what();
    }
  }
  // The source loads the script at the first message and answers nothing past its end.
  int loads = 0;
  ScriptedPointerSource source([&] {
    ++loads;
    return std::string("mouse\n");
  });
  EXPECT_EQ(loads, 0);
  EXPECT_EQ(source.read(1)->kind, PointerKind::Mouse);
  EXPECT_FALSE(source.read(1));
  EXPECT_EQ(loads, 1);
}

}  // namespace
}  // namespace fudekko

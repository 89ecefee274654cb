// The journal as the window writes it and as recovery reads it back: the writer's thread
// keeps the order and survives a failing disk; recovery gives the work before the crash,
// pixel for pixel, with undo still working; any cut gives an earlier state.

#include "journal/journal_recovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <random>

#include "journal/journal_feed.h"
#include "journal/journal_writer.h"
#include "surface/handwriting_surface.h"
#include "surface/mouse_strokes.h"

namespace fudekko {
namespace {

class MemorySink : public JournalSink {
 public:
  explicit MemorySink(std::string& bytes, std::atomic<int>* failAfter = nullptr)
      : bytes_(bytes), failAfter_(failAfter) {}
  void append(std::string_view bytes) override {
    if (failAfter_ && (*failAfter_)-- <= 0) throw std::runtime_error("disk full");
    bytes_.append(bytes);
  }

 private:
  std::string& bytes_;
  std::atomic<int>* failAfter_;
};

TEST(JournalWriter, AppendsInOrderDrainsOnDemandAndStopsAtTheFirstFailure) {
  std::string bytes;
  std::vector<JournalRecord> records;
  {
    JournalWriter writer(std::make_unique<MemorySink>(bytes));
    for (std::uint32_t i = 0; i < 200; ++i) {
      records.push_back(WindowSize{std::int32_t(i), 1});
      writer.append(records.back());
    }
    writer.drain();
    EXPECT_EQ(readJournal(bytes).records, records);
    // Queued records are written before the writer goes.
    records.push_back(RedoStep{});
    writer.append(records.back());
  }
  EXPECT_EQ(readJournal(bytes).records, records);

  std::string partial;
  std::atomic<int> failAfter = 3;
  JournalWriter failing(std::make_unique<MemorySink>(partial, &failAfter));
  for (int i = 0; i < 10; ++i) failing.append(UndoStep{});
  failing.drain();  // returns although the queue could not be written
  EXPECT_TRUE(failing.failed());
  failing.append(UndoStep{});
  failing.drain();
  EXPECT_EQ(readJournal(partial).records.size(), 3u);
}

constexpr std::int32_t kWidth = 90, kHeight = 70;

// Paints a pattern no re-render of text would give, so that recovery must bring the
// pixels themselves back.
class PatternText : public TextAreaSnapshot {
 public:
  void paintInto(Picture& picture) override {
    for (std::int32_t y = 0; y < picture.height(); ++y) {
      for (std::int32_t x = 0; x < picture.width(); ++x) {
        picture.setPixel(x, y, Color(x * 2654435761u ^ y * 40503u) & 0xFFFFFF);
      }
    }
  }
};

std::vector<Color> pixelsOf(const Picture& picture) {
  std::vector<Color> pixels;
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    for (std::int32_t x = 0; x < picture.width(); ++x) pixels.push_back(picture.pixel(x, y));
  }
  return pixels;
}

// The window's side of a session: text edits, mode changes, strokes, sweeps, undos and
// redos, each change as the text history and the surface return it, through the feed.
class Session {
 public:
  Session(std::string& bytes, bool smooth) : writer_(std::make_unique<MemorySink>(bytes)) {
    surface_.setSmoothInk(smooth);
    surface_.createLayers(kWidth, kHeight);
    writer_.append(JournalFormat{});
    writer_.append(DraftIdentity{"C:\\mail.txt", 5, 0x1234});
    text_.reset(L"本文です");
    writer_.append(TextReset{text_.text()});
  }
  void type(const std::wstring& text) { feed(TextChange{*text_.recordChange(text)}); }
  void undoText() {
    if (text_.undo()) feed(TextChange{TextUndone{}});
  }
  void enterHandwriting() {
    PatternText pattern;
    surface_.enterHandwriting(pattern, kWidth, kHeight);
    text_.seal();
    feed(ModeSwitch{{true, 300, 200}, surface_.background()});
  }
  void stroke(std::vector<Point> points, std::int32_t color, ChosenTool tool = ChosenTool::Pen,
              EraserKind kind = EraserKind::Partial) {
    surface_.setStartPen({color, 5});
    surface_.setStartHighlighter({color, 12});
    surface_.setEraserKind(kind);
    surface_.chooseTool(tool);
    MouseStrokes mouse(surface_);
    take(mouse.press(kLeftButton, points.front()));
    for (const Point& at : points) take(mouse.move(kLeftButton, at));
    take(mouse.release(points.back()));
    surface_.chooseTool(ChosenTool::Pen);
  }
  // A rough circle held still at its end: it snaps to an ellipse.
  void snappedCircle(Point centre, std::int32_t radius) {
    surface_.setStartPen({1, 3});
    MouseStrokes mouse(surface_);
    take(mouse.press(kLeftButton, {centre.x + radius, centre.y}));
    for (int step = 1; step <= 40; ++step) {
      const double angle = step * 2 * 3.14159265 / 36;
      take(mouse.move(kLeftButton, {centre.x + std::int32_t(radius * std::cos(angle)),
                                    centre.y + std::int32_t(radius * std::sin(angle))}));
    }
    const SurfaceOutcome snapped = surface_.snapToShape();
    ASSERT_FALSE(snapped.repaint.empty());
    take(snapped);
    take(mouse.release({0, 0}));
  }
  void undo() { take(surface_.undo()); }
  void moveAndRecolour(std::vector<std::uint32_t> selected) {
    take(surface_.transformStrokes(selected, {1.5f, 20, 20, 4, -3}));
    std::vector<std::uint32_t> top;
    for (std::size_t i = 0; i < selected.size(); ++i) {
      top.push_back(static_cast<std::uint32_t>(surface_.strokes().size() - 1 - i));
    }
    std::reverse(top.begin(), top.end());
    take(surface_.recolourStrokes(top, kColorTable[12]));
    take(surface_.removeStrokes(std::span(top).first(1)));
  }
  void redo() { take(surface_.redo()); }
  const HandwritingSurface& surface() const { return surface_; }
  const TextHistory& text() const { return text_; }
  void drain() { writer_.drain(); }

 private:
  void feed(const WorkChange& change) {
    for (JournalRecord& record : recordsOf(change)) writer_.append(std::move(record));
  }
  void take(const SurfaceOutcome& outcome) {
    for (const DrawingChange& change : outcome.changes) feed(change);
  }

  JournalWriter writer_;
  HandwritingSurface surface_;
  TextHistory text_;
};

// What the window does with a recovered journal: the text picture under the strokes.
HandwritingSurface restored(RecoveredWork work, bool smooth) {
  HandwritingSurface surface;
  surface.setSmoothInk(smooth);
  surface.createLayers(kWidth, kHeight);
  JournaledTextPicture text(*work.textPicture);
  surface.enterHandwriting(text, kWidth, kHeight);
  surface.restoreStrokes(std::move(work.strokes));
  return surface;
}

class RecoveryTest : public testing::TestWithParam<bool> {};

TEST_P(RecoveryTest, GivesTheScreenTheTextAndTheHistoriesBeforeTheCrash) {
  std::string bytes;
  Session session(bytes, GetParam());
  session.type(L"本文ですね");
  session.type(L"本文ですね。");
  session.type(L"x本文ですね。");
  session.undoText();
  session.enterHandwriting();
  session.stroke({{5, 5}, {40, 30}, {80, 10}}, 4);
  session.stroke({{10, 60}, {50, 40}}, 2);
  session.stroke({{20, 20}, {60, 50}, {30, 65}}, 9);
  session.stroke({{10, 40}, {85, 45}}, kYellowIndex, ChosenTool::Highlighter);
  session.snappedCircle({60, 30}, 20);
  session.moveAndRecolour({0, 2});
  session.stroke({{30, 0}, {30, 69}}, 0, ChosenTool::Eraser);  // the partial eraser
  session.undo();
  session.redo();
  session.stroke({{0, 35}, {89, 35}}, 0, ChosenTool::Eraser, EraserKind::Stroke);  // takes some
  session.undo();
  session.stroke({{45, 0}, {45, 69}}, 0, ChosenTool::Eraser, EraserKind::Stroke);
  session.drain();

  RecoveredWork work = recoverWork(bytes);
  ASSERT_EQ(work.kind, RecoveredWork::Kind::Usable);
  EXPECT_FALSE(work.droppedSomething);
  EXPECT_EQ(work.replayedBytes, bytes.size());
  EXPECT_EQ(work.draft, (DraftIdentity{"C:\\mail.txt", 5, 0x1234}));
  EXPECT_EQ(work.text.text(), L"本文ですね。");
  EXPECT_TRUE(work.handwriting);
  EXPECT_EQ(work.entered, (ModeChange{true, 300, 200}));
  EXPECT_TRUE(work.sizesSinceEntry.empty());
  EXPECT_TRUE(std::ranges::equal(work.strokes.strokes(), session.surface().strokes()));

  HandwritingSurface surface = restored(std::move(work), GetParam());
  EXPECT_EQ(pixelsOf(*surface.composite()), pixelsOf(*session.surface().composite()));
  // Undo goes on where it was: the same steps come back and go again on both.
  for (int i = 0; i < 7; ++i) {
    surface.undo();
    session.undo();
    ASSERT_EQ(pixelsOf(*surface.composite()), pixelsOf(*session.surface().composite())) << i;
  }
  surface.redo();
  session.redo();
  EXPECT_EQ(pixelsOf(*surface.composite()), pixelsOf(*session.surface().composite()));
  // The text history too: the undone typing can be brought again.
  RecoveredWork again = recoverWork(bytes);
  EXPECT_TRUE(again.text.redo().has_value());
  EXPECT_EQ(again.text.text(), L"x本文ですね。");
}

TEST_P(RecoveryTest, ACutAtAnyByteGivesAnEarlierStateAndSaysSo) {
  std::string bytes;
  Session session(bytes, GetParam());
  session.type(L"本文ですX");
  session.enterHandwriting();
  session.stroke({{5, 5}, {40, 30}}, 4);
  session.stroke({{10, 60}, {50, 40}}, 2);
  session.stroke({{0, 50}, {89, 50}}, 0, ChosenTool::Eraser, EraserKind::Stroke);
  session.undo();
  session.drain();

  const std::vector<std::size_t> ends = readJournal(bytes).ends;
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    const RecoveredWork work = recoverWork(std::string_view(bytes).substr(0, cut));
    std::size_t whole = 0;
    while (whole < ends.size() && ends[whole] <= cut) ++whole;
    EXPECT_EQ(work.droppedSomething, cut > 0 && (whole == 0 || ends[whole - 1] != cut)) << cut;
    if (whole == 0) {
      EXPECT_NE(work.kind, RecoveredWork::Kind::Usable) << cut;
      continue;
    }
    // The state after the whole records: the same as the journal written only that far.
    const RecoveredWork prefix = recoverWork(std::string_view(bytes).substr(0, ends[whole - 1]));
    EXPECT_EQ(work.replayedBytes, ends[whole - 1]);
    EXPECT_TRUE(std::ranges::equal(work.strokes.strokes(), prefix.strokes.strokes())) << cut;
    EXPECT_EQ(work.text.text(), prefix.text.text());
  }
  EXPECT_TRUE(
      std::ranges::equal(recoverWork(bytes).strokes.strokes(), session.surface().strokes()));
}

INSTANTIATE_TEST_SUITE_P(BothInks, RecoveryTest, testing::Bool());

TEST(Recovery, EmptyForeignOlderOrInconsistentJournalsOfferNothingOrTheWholePart) {
  EXPECT_EQ(recoverWork("").kind, RecoveredWork::Kind::Empty);
  EXPECT_FALSE(recoverWork("").droppedSomething);
  const RecoveredWork foreign = recoverWork("not a journal at all");
  EXPECT_EQ(foreign.kind, RecoveredWork::Kind::Unreadable);
  EXPECT_TRUE(foreign.droppedSomething);
  EXPECT_EQ(recoverWork(encodeJournalRecord(WindowSize{})).kind, RecoveredWork::Kind::Unreadable);
  EXPECT_EQ(recoverWork(encodeJournalRecord(JournalFormat{kJournalMagic, 1})).kind,
            RecoveredWork::Kind::OlderFormat);

  // Records that pass their checksum but do not fit the work before them: the work up
  // to them is offered, and the loss is said.
  const Stroke stroke{{}, {{1, 1, 1, 0}}, {0, 0, 3, 3}, {}};
  std::string bytes = encodeJournalRecord(JournalFormat{}) + encodeJournalRecord(TextReset{L"ab"}) +
                      encodeJournalRecord(stroke);
  const std::size_t whole = bytes.size();
  for (const JournalRecord& misfit :
       {JournalRecord{TextEdit{5, L"zz", L""}}, JournalRecord{StrokesRemoved{{1}}},
        JournalRecord{RedoStep{HistoryOf::Strokes}}, JournalRecord{UndoStep{HistoryOf::Text}},
        JournalRecord{TextPicture{}}, JournalRecord{JournalFormat{}},
        JournalRecord{StrokeReplaced{1, stroke}}}) {
    const RecoveredWork work =
        recoverWork(bytes + encodeJournalRecord(misfit) + encodeJournalRecord(stroke));
    EXPECT_TRUE(work.droppedSomething);
    EXPECT_EQ(work.replayedBytes, whole);
    EXPECT_EQ(work.strokes.strokes().size(), 1u);
    EXPECT_EQ(work.text.text(), L"ab");
  }
}

TEST(Recovery, WindowSizesCountFromTheLastEntryIntoHandwritingUntilItIsLeft) {
  std::string bytes =
      encodeJournalRecord(JournalFormat{}) + encodeJournalRecord(ModeChange{true, 300, 200}) +
      encodeJournalRecord(WindowSize{200, 200}) + encodeJournalRecord(ModeChange{true, 280, 190}) +
      encodeJournalRecord(TextPicture{1, 1, std::string(4, '\0')}) +
      encodeJournalRecord(WindowSize{250, 150}) + encodeJournalRecord(WindowSize{280, 190});
  RecoveredWork work = recoverWork(bytes);
  EXPECT_EQ(work.entered, (ModeChange{true, 280, 190}));
  EXPECT_EQ(work.sizesSinceEntry, (std::vector<WindowSize>{{250, 150}, {280, 190}}));
  ASSERT_TRUE(work.textPicture);
  work = recoverWork(bytes + encodeJournalRecord(ModeChange{false, 280, 190}));
  EXPECT_FALSE(work.handwriting);
  EXPECT_TRUE(work.sizesSinceEntry.empty());
}

TEST(Recovery, TheTextPictureComesBackOnAnySizeWithWhiteBeyondIt) {
  Picture picture(PixelFormat::Device, 3, 2);
  picture.setPixel(2, 1, 0x123456);
  const TextPicture record = textPictureOf(picture);
  Picture larger(PixelFormat::Device, 4, 3), smaller(PixelFormat::Device, 2, 1);
  paintTextPicture(record, larger);
  paintTextPicture(record, smaller);
  EXPECT_EQ(larger.pixel(2, 1), 0x123456u);
  EXPECT_EQ(larger.pixel(0, 0), 0u);
  EXPECT_EQ(larger.pixel(3, 0), kWhite);
  EXPECT_EQ(larger.pixel(0, 2), kWhite);
  EXPECT_EQ(smaller.pixel(1, 0), 0u);
}

}  // namespace
}  // namespace fudekko

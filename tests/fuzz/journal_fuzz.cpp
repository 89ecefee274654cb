// The recovery journal's reader, fed with any bytes: a file torn, damaged, huge or of
// another format. It never fails; what it returns is a run of whole records that writes
// back to exactly the bytes it was read from, and any cut of those bytes reads as a
// prefix of the same records. What recovery makes of them replays onto a surface and
// renders without error, and a cut recovers the strokes of an earlier state. A journal
// is kept aside only when it cannot be matched to its draft, and then offered to none.

#include "fuzz/fuzz_check.h"
#include "journal/journal_records.h"
#include "journal/journal_recovery.h"
#include "journal/recovery_offer.h"

using namespace fudekko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const JournalContents read = readJournal(bytes);
  std::string written;
  std::vector<std::size_t> ends;
  for (const JournalRecord& record : read.records) {
    written += encodeJournalRecord(record);
    ends.push_back(written.size());
  }
  FUZZ_CHECK(bytes.substr(0, written.size()) == written, "the records write back as read");
  FUZZ_CHECK(read.droppedTail == (written.size() < size), "a dropped tail is reported");

  const std::size_t cut = size == 0 ? 0 : data[0] % (written.size() + 1);
  const JournalContents prefix = readJournal(std::string_view(written).substr(0, cut));
  std::size_t whole = 0;
  while (whole < ends.size() && ends[whole] <= cut) ++whole;
  FUZZ_CHECK(prefix.records.size() == whole, "a cut keeps every whole record before it");
  FUZZ_CHECK(std::equal(prefix.records.begin(), prefix.records.end(), read.records.begin()),
             "a cut yields a prefix");

  RecoveredWork work = recoverWork(bytes);
  FUZZ_CHECK(work.replayedBytes <= written.size(), "only whole records are replayed");
  FUZZ_CHECK(work.droppedSomething == (work.replayedBytes < size), "a loss is reported");
  const RecoveredWork earlier = recoverWork(std::string_view(written).substr(0, cut));
  FUZZ_CHECK(earlier.replayedBytes <= work.replayedBytes, "a cut replays no more");

  using Action = JournalVerdict::Action;
  const Action own = judgeJournal(work, work.draft).action;
  const Action other = judgeJournal(work, {work.draft.path + "x", work.draft.size, 0}).action;
  FUZZ_CHECK(other != Action::Offer, "offered only to its own draft");
  FUZZ_CHECK((own == Action::KeepAside) == (other == Action::KeepAside),
             "kept aside whatever the draft");
  FUZZ_CHECK(own != Action::KeepAside || (!work.draftKnown && size > 0),
             "a journal that names its draft is never kept aside");
  FUZZ_CHECK(own != Action::Offer || work.draftKnown, "offered only when it names its draft");
  HandwritingSurface surface;
  surface.createLayers(64, 48);
  if (work.textPicture) {
    JournaledTextPicture picture(*work.textPicture);
    surface.enterHandwriting(picture, 64, 48);
  }
  const std::size_t strokes = work.strokes.strokes().size();
  surface.restoreStrokes(std::move(work.strokes));
  FUZZ_CHECK(surface.strokes().size() == strokes && surface.composite()->width() == 64,
             "the recovered strokes render");
  while (surface.canUndo()) surface.undo();
  return 0;
}

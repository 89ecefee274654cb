#pragma once
// Appends the recovery journal's records off the user-interface thread: the window hands
// each encoded record over and goes on at once; a thread of the writer's own appends it
// to the file as soon as it arrives, so a killed process loses at most what it was
// still drawing.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "journal/journal_records.h"

namespace fudekko {

// Where the records go: the journal file, or a test's memory.
class JournalSink {
 public:
  virtual ~JournalSink() = default;
  // Appends `bytes` whole; throws when they cannot be written.
  virtual void append(std::string_view bytes) = 0;
};

class JournalWriter {
 public:
  explicit JournalWriter(std::unique_ptr<JournalSink> sink);
  // Writes what is still queued, then stops the thread.
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Queues `record`; the writer's thread encodes (compresses) and writes it, so the
  // caller never waits for either.
  void append(JournalRecord record);
  // Waits until everything queued so far is in the sink (the session is ending).
  void drain();
  // A write failed: the journal is incomplete from there on and nothing more is written.
  bool failed() const;

 private:
  void run();

  std::unique_ptr<JournalSink> sink_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<JournalRecord> queue_;
  bool writing_ = false;
  bool stopping_ = false;
  bool failed_ = false;
  std::thread thread_;
};

}  // namespace fudekko

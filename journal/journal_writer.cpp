#include "journal/journal_writer.h"

namespace fudekko {

JournalWriter::JournalWriter(std::unique_ptr<JournalSink> sink)
    : sink_(std::move(sink)), thread_([this] { run(); }) {}

JournalWriter::~JournalWriter() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void JournalWriter::append(JournalRecord record) {
  {
    const std::lock_guard lock(mutex_);
    if (failed_) return;
    queue_.push_back(std::move(record));
  }
  changed_.notify_all();
}

void JournalWriter::drain() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return (queue_.empty() && !writing_) || failed_; });
}

bool JournalWriter::failed() const {
  const std::lock_guard lock(mutex_);
  return failed_;
}

void JournalWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;  // stopping, with everything written
    const JournalRecord record = std::move(queue_.front());
    queue_.pop_front();
    writing_ = true;
    lock.unlock();
    bool written = true;
    try {
      sink_->append(encodeJournalRecord(record));
    } catch (...) {
      // A journal that cannot be written costs the recovery, never the user's work.
      written = false;
    }
    lock.lock();
    writing_ = false;
    if (!written) {
      failed_ = true;
      queue_.clear();
    }
    changed_.notify_all();
  }
}

}  // namespace fudekko

#pragma once
// Work that must run when a scope is left, however it is left: a flag lowered, a
// window shown again, a resource given back. dismiss() cancels it.

#include <utility>

namespace fudekko {

template <typename Action>
class ScopeGuard {
 public:
  explicit ScopeGuard(Action action) : action_(std::move(action)) {}
  ~ScopeGuard() {
    if (armed_) action_();
  }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

  void dismiss() noexcept { armed_ = false; }

 private:
  Action action_;
  bool armed_ = true;
};

}  // namespace fudekko

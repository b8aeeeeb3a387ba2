#pragma once
// A request to stop converting, handed to whatever should heed it.

#include <atomic>

namespace qm {

/// Set once someone asks the work that holds it to stop; the work checks it
/// before each slide and before writing a joined picture. Request() is safe
/// in a signal handler. A token belongs to whoever made it (a program's
/// stop signals, a test): nothing process-wide, and it can be reset.
class CancelToken {
 public:
  void Request() noexcept { requested_.store(true, std::memory_order_relaxed); }
  bool Requested() const noexcept { return requested_.load(std::memory_order_relaxed); }
  void Reset() noexcept { requested_.store(false, std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free, "set in signal handlers");
  std::atomic<bool> requested_{false};
};

}  // namespace qm

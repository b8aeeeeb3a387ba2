#pragma once
// The service's conversions: a few at once, on long-lived threads, the rest
// waiting in a queue of bounded length.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "base/CancelToken.h"
#include "serve/ServiceAnswer.h"

namespace qm {

/// Runs conversions on `threads` threads of its own, each in the order
/// submitted. The threads live as long as the queue: the job processes they
/// start (whose end follows their starting thread's, PR_SET_PDEATHSIG) stay
/// warm from one request to the next. At most `waiting` conversions wait;
/// one more is refused, so the client can be told to come back.
class ConversionQueue {
 public:
  /// What a conversion is given: the token that stops it at its next slide.
  using Work = std::function<ServiceAnswer(const CancelToken& cancel)>;

  ConversionQueue(std::size_t threads, std::size_t waiting);
  /// Cancels what waits and what runs, and waits for the threads.
  ~ConversionQueue();
  ConversionQueue(const ConversionQueue&) = delete;
  ConversionQueue& operator=(const ConversionQueue&) = delete;

  /// One conversion submitted: its answer to come, and its token (a deadline
  /// passed or a client gone: Request() it and wait for the answer).
  struct Ticket {
    std::future<ServiceAnswer> answer;
    std::shared_ptr<CancelToken> cancel;
  };
  /// Queues `work`; nullopt when `waiting` conversions already wait or the
  /// queue is stopping.
  std::optional<Ticket> Submit(Work work);

  /// Conversions waiting now, not yet started.
  std::size_t Waiting() const;
  /// Conversions under way now.
  std::size_t Running() const;
  /// Refuses new work and cancels what waits and what runs; idempotent.
  void Stop();
  /// Refuses new work and answers what waits 503, lets what runs finish
  /// for up to `grace`, then cancels the rest (Stop).
  void Drain(std::chrono::seconds grace);
  /// True once Stop or Drain was called.
  bool Stopping() const;

 private:
  struct Entry {
    Work work;
    std::shared_ptr<CancelToken> cancel;
    std::promise<ServiceAnswer> answer;
  };
  void Serve();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Entry> queue_;
  std::vector<std::shared_ptr<CancelToken>> running_;
  std::size_t waiting_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace qm

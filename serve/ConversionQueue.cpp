#include "serve/ConversionQueue.h"

#include <algorithm>

namespace qm {

ConversionQueue::ConversionQueue(std::size_t threads, std::size_t waiting) : waiting_(waiting) {
  for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) threads_.emplace_back([this] { Serve(); });
}

ConversionQueue::~ConversionQueue() {
  Stop();
  for (std::thread& thread : threads_) thread.join();
}

std::optional<ConversionQueue::Ticket> ConversionQueue::Submit(Work work) {
  Entry entry{std::move(work), std::make_shared<CancelToken>(), {}};
  Ticket ticket{entry.answer.get_future(), entry.cancel};
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    // Free threads take work at once; past them, `waiting_` may wait.
    if (stopping_ || queue_.size() + running_.size() >= threads_.size() + waiting_) return std::nullopt;
    queue_.push_back(std::move(entry));
  }
  wake_.notify_one();
  return ticket;
}

std::size_t ConversionQueue::Waiting() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

std::size_t ConversionQueue::Running() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return running_.size();
}

bool ConversionQueue::Stopping() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

void ConversionQueue::Drain(std::chrono::seconds grace) {
  std::deque<Entry> dropped;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    dropped.swap(queue_);
  }
  wake_.notify_all();
  for (Entry& entry : dropped) entry.answer.set_value(ServiceAnswer::Error(503, "The service is stopping."));
  {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, grace, [this] { return running_.empty(); });
  }
  Stop();
}

void ConversionQueue::Stop() {
  std::deque<Entry> dropped;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    dropped.swap(queue_);
    for (const auto& cancel : running_) cancel->Request();
  }
  wake_.notify_all();
  for (Entry& entry : dropped) entry.answer.set_value(ServiceAnswer::Error(503, "The service is stopping."));
}

void ConversionQueue::Serve() {
  for (;;) {
    Entry entry;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, nothing left
      entry = std::move(queue_.front());
      queue_.pop_front();
      running_.push_back(entry.cancel);
    }
    ServiceAnswer answer;
    try {
      answer = entry.cancel->Requested() ? ServiceAnswer::Error(503, "The request's time ran out before it started.")
                                         : entry.work(*entry.cancel);
    } catch (const std::exception& error) {
      answer = ServiceAnswer::Error(500, std::string("The conversion failed: ") + error.what());
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      running_.erase(std::find(running_.begin(), running_.end(), entry.cancel));
    }
    wake_.notify_all();  // a drain waits for the running to end
    entry.answer.set_value(std::move(answer));
  }
}

}  // namespace qm

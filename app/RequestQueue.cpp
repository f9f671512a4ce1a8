#include "app/RequestQueue.h"

#include <utility>

RequestQueue::~RequestQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    waiting_.clear();
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void RequestQueue::Push(std::function<void()> request) {
  if (mode_ == Mode::kInline) {
    request();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(std::move(request));
    if (!worker_.joinable()) worker_ = std::thread([this] { Serve(); });
  }
  changed_.notify_all();
}

std::size_t RequestQueue::DropWaiting() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t dropped = waiting_.size();
  waiting_.clear();
  return dropped;
}

bool RequestQueue::Busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_ || !waiting_.empty();
}

void RequestQueue::WaitIdle(const std::function<void()>& nudge, std::chrono::milliseconds period) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_ || !waiting_.empty()) {
    lock.unlock();
    if (nudge) nudge();
    lock.lock();
    changed_.wait_for(lock, period, [this] { return !running_ && waiting_.empty(); });
  }
}

void RequestQueue::Serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
    if (closing_) return;
    std::function<void()> request = std::move(waiting_.front());
    waiting_.pop_front();
    running_ = true;
    lock.unlock();
    request();
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

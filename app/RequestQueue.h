// The one worker that serves the dialog's engine requests, in their order.
// A request that waits for running speech (the engine lets one request run
// at a time) waits there, never on the GUI thread, and the requests behind
// it wait in the queue, where they can be dropped.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class RequestQueue {
 public:
  // kInline runs each request inside Push, on the caller's thread (for
  // tests that want one thread).
  enum class Mode { kOwnThread, kInline };

  explicit RequestQueue(Mode mode = Mode::kOwnThread) : mode_(mode) {}
  // Drops the waiting requests and waits for the running one.
  ~RequestQueue();
  RequestQueue(const RequestQueue&) = delete;
  RequestQueue& operator=(const RequestQueue&) = delete;

  // Appends a request; the worker (started on the first request) runs it
  // after those before it.
  void Push(std::function<void()> request);
  // Drops the requests that have not started; returns their number.
  std::size_t DropWaiting();
  // Whether a request runs or waits.
  bool Busy() const;
  // Waits until no request runs or waits, calling nudge (on this thread;
  // may be empty) every period meanwhile, the first time at once.
  void WaitIdle(const std::function<void()>& nudge, std::chrono::milliseconds period);

 private:
  void Serve();

  const Mode mode_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> waiting_;
  bool running_ = false;
  bool closing_ = false;
  std::thread worker_;
};

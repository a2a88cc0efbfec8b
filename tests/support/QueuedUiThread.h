#pragma once
// A UI thread for tests without a window: tasks posted from any thread queue
// up, and the test's own thread runs them in RunUntil, as the window's event
// loop would.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/UiPorts.h"

namespace quarlen::test {

class QueuedUiThread : public IUiThread {
 public:
  void Post(std::function<void()> task) override {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    posted_.notify_all();
  }

  // Runs posted tasks until done() holds, looking at it again at least every
  // 10 ms (it may watch another thread); false when it still does not after
  // limit (a guard against a hung suite, far beyond any expected wait).
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      std::unique_lock lock(mutex_);
      if (!posted_.wait_for(lock, std::chrono::milliseconds(10), [this] { return !tasks_.empty(); })) continue;
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace quarlen::test

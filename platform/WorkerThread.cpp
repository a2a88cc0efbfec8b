#include "platform/WorkerThread.h"

#include <utility>

namespace quarlen {

WorkerThread::WorkerThread() : thread_([this] { Run(); }) {}

WorkerThread::~WorkerThread() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    tasks_.clear();
  }
  posted_.notify_all();
  thread_.join();
}

void WorkerThread::Post(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    tasks_.push_back(std::move(task));
  }
  posted_.notify_one();
}

void WorkerThread::Run() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      posted_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      if (stopping_) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    // A task that throws would end the program from here; it is the task's
    // own business to catch, and the thread goes on with the next one.
    try {
      task();
    } catch (...) {
    }
  }
}

}  // namespace quarlen

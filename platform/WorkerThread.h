#pragma once
// One thread for the work that would hold the window up (reading a large
// feed, merging it): tasks run there one at a time, in the order posted.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quarlen {

class WorkerThread {
 public:
  WorkerThread();   // starts the thread
  ~WorkerThread();  // lets the running task end, drops the queued ones, joins
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Queues task; may be called from any thread. A task hands its result back
  // by posting to the UI thread; what it throws is lost, so it catches.
  void Post(std::function<void()> task);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quarlen

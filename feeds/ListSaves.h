#pragma once
// The article store's list files written on the worker thread, one save after
// another in the order asked, so the window never waits on the disk.
#include <deque>
#include <exception>
#include <functional>
#include <memory>

#include "platform/UiPorts.h"
#include "platform/WorkerThread.h"

namespace quarlen {

class ArticleStore;

class ListSaves {
 public:
  // Runs on the UI thread once a save is over, with its failure
  // (FileWriteError) or nullptr when every file was written.
  using Written = std::function<void(const std::exception_ptr& failure)>;

  // store, worker and ui are borrowed and must outlive this.
  ListSaves(ArticleStore& store, WorkerThread& worker, IUiThread& ui);
  ListSaves(const ListSaves&) = delete;
  ListSaves& operator=(const ListSaves&) = delete;

  // Copies the lists as they are now (the folder is checked here) and writes
  // the copy on the worker; then written runs on the UI thread.
  void Save(Written written);
  // Runs next at once when nothing is pending, else on the UI thread after
  // every save asked so far is over and the steps queued before it have run;
  // a save that one of those steps asks for is waited for too.
  void WhenWritten(std::function<void()> next);
  // True from Save until its written has begun, and while steps wait.
  bool Pending() const { return pending_ > 0 || !waiting_.empty(); }

 private:
  // Gives the first waiting step a turn of its own on the UI thread.
  void PostNextWaiting();
  void RunNextWaiting();

  ArticleStore& store_;
  WorkerThread& worker_;
  IUiThread& ui_;
  int pending_ = 0;
  std::deque<std::function<void()>> waiting_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen

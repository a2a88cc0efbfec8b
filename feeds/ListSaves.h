#pragma once
// The article store's list files written on the worker thread, one save after
// another in the order asked, so the window never waits on the disk.
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/UiPorts.h"
#include "platform/WorkerThread.h"

namespace quarlen {

class ArticleStore;

// Hears when the list files could not be written and when they are again,
// so a full disk shows one box rather than one per save.
class ISaveAlarm {
 public:
  virtual ~ISaveAlarm() = default;
  // A save failed with the text of why; first is true for the first failure
  // since start or since a save succeeded.
  virtual void ListsNotSaved(const std::string& why, bool first) = 0;
  // A save succeeded after one or more failed.
  virtual void ListsSavedAgain() = 0;
};

// The status text of a failed save: "Articles not saved: " and the failure's text.
std::string NotSavedText(const std::exception_ptr& failure);

class ListSaves {
 public:
  // Runs on the UI thread once a save is over, with its failure
  // (FileWriteError) or nullptr when every file was written. A failure
  // leaves the store Unsaved, so the rows are filled from memory until a
  // later save writes the lists.
  using Written = std::function<void(const std::exception_ptr& failure)>;

  // store, worker, ui and alarm are borrowed and must outlive this. Every
  // failure is told to alarm (nullptr: to written only).
  ListSaves(ArticleStore& store, WorkerThread& worker, IUiThread& ui, ISaveAlarm* alarm = nullptr);
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
  // Notes how a save ended on the store and tells the alarm.
  void Settle(const std::exception_ptr& failure);

  ArticleStore& store_;
  WorkerThread& worker_;
  IUiThread& ui_;
  ISaveAlarm* alarm_;
  int pending_ = 0;
  std::deque<std::function<void()>> waiting_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen

#include "feeds/ListSaves.h"

#include <utility>

#include "feeds/ArticleStore.h"

namespace quarlen {

std::string NotSavedText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return std::string("Articles not saved: ") + e.what();
  } catch (...) {
    return "Articles not saved";
  }
}

ListSaves::ListSaves(ArticleStore& store, WorkerThread& worker, IUiThread& ui, ISaveAlarm* alarm)
    : store_(store), worker_(worker), ui_(ui), alarm_(alarm) {}

void ListSaves::Save(Written written) {
  std::function<void()> save = store_.SaveListsTask();
  ++pending_;
  // Ten files written and flushed take up to a second on a busy disk. The
  // worker runs its tasks in order, so saves land in the order asked.
  worker_.Post([save = std::move(save), ui = &ui_, alive = std::weak_ptr<bool>(alive_), this,
                written = std::move(written)]() mutable {
    std::exception_ptr failure;
    try {
      save();
    } catch (...) {
      failure = std::current_exception();
    }
    ui->Post([this, alive, failure, written = std::move(written)] {
      if (alive.expired()) return;
      --pending_;
      // The waiting steps get turns of their own, after written has rebuilt
      // the grid: a failure thrown by written must not keep them from running.
      if (pending_ == 0) PostNextWaiting();
      Settle(failure);
      if (written) written(failure);
    });
  });
}

void ListSaves::Settle(const std::exception_ptr& failure) {
  // Saves end in the order asked and nothing changes the lists while one is
  // pending, so the last one to end says whether the files hold what memory does.
  // A full disk fails every cycle and every mark until space is freed: the
  // alarm learns which failure begins a run, so it can show one box for it.
  const bool wasFailing = store_.Unsaved();
  store_.SetUnsaved(failure != nullptr);
  if (!alarm_) return;
  if (failure) alarm_->ListsNotSaved(NotSavedText(failure), !wasFailing);
  if (!failure && wasFailing) alarm_->ListsSavedAgain();
}

void ListSaves::WhenWritten(std::function<void()> next) {
  if (!Pending()) return next();
  waiting_.push_back(std::move(next));
}

void ListSaves::PostNextWaiting() {
  if (waiting_.empty()) return;
  ui_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
    if (!alive.expired()) RunNextWaiting();
  });
}

void ListSaves::RunNextWaiting() {
  // A step that asked for a save of its own (a deferred delete) holds the
  // rest back until that save is written too: a cycle queued behind it
  // loads the lists from the files.
  if (pending_ > 0 || waiting_.empty()) return;
  std::function<void()> next = std::move(waiting_.front());
  waiting_.pop_front();
  PostNextWaiting();
  next();
}

}  // namespace quarlen

#include "feeds/ListSaves.h"

#include <utility>

#include "feeds/ArticleStore.h"

namespace quarlen {

ListSaves::ListSaves(ArticleStore& store, WorkerThread& worker, IUiThread& ui)
    : store_(store), worker_(worker), ui_(ui) {}

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
      // The waiting steps get turns of their own: a failure thrown by
      // written below must not keep them from running.
      if (pending_ == 0) {
        for (auto& next : std::exchange(waiting_, {})) ui_.Post(std::move(next));
      }
      if (written) written(failure);
    });
  });
}

void ListSaves::WhenWritten(std::function<void()> next) {
  if (pending_ == 0) return next();
  waiting_.push_back(std::move(next));
}

}  // namespace quarlen

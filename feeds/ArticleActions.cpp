#include "feeds/ArticleActions.h"

#include <algorithm>

#include "feeds/ArticleLink.h"
#include "feeds/ArticleStore.h"
#include "feeds/ListSaves.h"

namespace quarlen {

ArticleActions::ArticleActions(ArticleStore& store, BusyTest busy, IUrlOpener& browser, ServerEndpoints endpoints,
                               GridRebuild fillArticleGrid, ListSaves* saves)
    : store_(store),
      busy_(std::move(busy)),
      browser_(browser),
      endpoints_(std::move(endpoints)),
      fillArticleGrid_(std::move(fillArticleGrid)),
      saves_(saves) {}

bool ArticleActions::HasArticles() const { return !store_.url_view.empty(); }

bool ArticleActions::ShowsArticle(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < store_.url_view.size();
}

bool ArticleActions::InStepWithGrid(int index) {
  // The row the user picked names the article url_view holds there. A refresh
  // that failed after its merge (an error before its save) leaves the working
  // lists shifted against it; acting on them would mark or delete another article,
  // so the saved lists are loaded again first.
  const std::string seen = store_.url_view[static_cast<std::size_t>(index)];
  const auto matches = [&] {
    return static_cast<std::size_t>(index) < store_.url.size() && store_.url[static_cast<std::size_t>(index)] == seen &&
           store_.url.size() == store_.url_view.size();
  };
  if (matches()) return true;
  store_.LoadLists();
  if (matches()) return true;
  // The saved lists differ from the rows shown: show them and drop the request.
  if (fillArticleGrid_) fillArticleGrid_();
  return false;
}

void ArticleActions::SaveAndRebuild() {
  if (saves_ == nullptr) {
    store_.SaveLists();
    if (fillArticleGrid_) fillArticleGrid_();
    return;
  }
  // The rows stay as they are until the files are written: the grid is
  // rebuilt from them, or from memory when the save failed (ListSaves tells
  // of the failure once).
  saves_->Save([this, alive = std::weak_ptr<bool>(alive_)](const std::exception_ptr&) {
    if (!alive.expired() && fillArticleGrid_) fillArticleGrid_();
  });
}

void ArticleActions::Change(int index, const std::function<void(std::size_t)>& change) {
  if (busy_ && busy_()) return;
  if (!ShowsArticle(index)) return;
  if (saves_ == nullptr || !saves_->Pending()) return ChangeNow(index, change);
  // The rows still show the lists from before the last change until its
  // files are written; a Delete pressed right after Return must not be lost,
  // so it waits and then finds its article again by link.
  saves_->WhenWritten(
      [this, alive = std::weak_ptr<bool>(alive_), seen = store_.url_view[static_cast<std::size_t>(index)], change] {
        if (alive.expired()) return;
        const auto at = std::find(store_.url_view.begin(), store_.url_view.end(), seen);
        if (at != store_.url_view.end()) ChangeNow(static_cast<int>(at - store_.url_view.begin()), change);
      });
}

void ArticleActions::ChangeNow(int index, const std::function<void(std::size_t)>& change) {
  if (!InStepWithGrid(index)) return;
  change(static_cast<std::size_t>(index));
  SaveAndRebuild();
}

void ArticleActions::MarkArticleRead(int index) {
  Change(index, [this](std::size_t at) { store_.SetRead(at, true); });
}

void ArticleActions::MarkArticleUnread(int index) {
  Change(index, [this](std::size_t at) { store_.SetRead(at, false); });
}

void ArticleActions::DeleteArticle(int index) {
  Change(index, [this](std::size_t at) { store_.DeleteArticle(at); });
}

void ArticleActions::OpenArticleLink(int index) {
  if (!ShowsArticle(index)) return;
  // Encoding first: a link that cannot be encoded opens nothing.
  browser_.OpenUrl(endpoints_.RedirectUrl(EncodeArticleLink(store_.url_view[static_cast<std::size_t>(index)])));
}

}  // namespace quarlen

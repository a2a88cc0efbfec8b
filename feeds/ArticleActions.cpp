#include "feeds/ArticleActions.h"

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
  // that failed after its merge (a full disk) leaves the working lists
  // shifted against it; acting on them would mark or delete another article,
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
  // rebuilt from them, and Busy drops further marks meanwhile.
  saves_->Save([this, alive = std::weak_ptr<bool>(alive_)](const std::exception_ptr& failure) {
    if (alive.expired()) return;
    if (failure) std::rethrow_exception(failure);
    if (fillArticleGrid_) fillArticleGrid_();
  });
}

void ArticleActions::SetRead(int index, bool isRead) {
  if (busy_ && busy_()) return;
  if (!ShowsArticle(index) || !InStepWithGrid(index)) return;
  store_.SetRead(static_cast<std::size_t>(index), isRead);
  SaveAndRebuild();
}

void ArticleActions::MarkArticleRead(int index) { SetRead(index, true); }

void ArticleActions::MarkArticleUnread(int index) { SetRead(index, false); }

void ArticleActions::DeleteArticle(int index) {
  if (busy_ && busy_()) return;
  if (!ShowsArticle(index) || !InStepWithGrid(index)) return;
  store_.DeleteArticle(static_cast<std::size_t>(index));
  SaveAndRebuild();
}

void ArticleActions::OpenArticleLink(int index) {
  if (!ShowsArticle(index)) return;
  // Encoding first: a link that cannot be encoded opens nothing.
  browser_.OpenUrl(endpoints_.RedirectUrl(EncodeArticleLink(store_.url_view[static_cast<std::size_t>(index)])));
}

}  // namespace quarlen

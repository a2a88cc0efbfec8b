#pragma once
// The article actions of the grid and the tray balloon: open an article
// through the feed server's redirect page, mark it read or unread, delete it.
// Every change is saved to the list files, then the grid is rebuilt from them.
#include <functional>
#include <memory>
#include <string>

#include "platform/UiPorts.h"
#include "service/ServerEndpoints.h"

namespace quarlen {

class ArticleStore;
class ListSaves;

class ArticleActions {
 public:
  // True while a refresh cycle runs: marks and deletes are dropped then.
  using BusyTest = std::function<bool()>;
  // `FillArticleGrid`: reloads the store from the list files and rebuilds the rows.
  using GridRebuild = std::function<void()>;

  // store and browser are borrowed and must outlive the actions. endpoints
  // give the feed server's redirect page that articles are opened through.
  // saves (borrowed; nullptr: saved at once on the caller's thread) write
  // the files on the worker, and the grid is rebuilt once they are written;
  // a mark or delete asked for meanwhile follows, on the same article.
  ArticleActions(ArticleStore& store, BusyTest busy, IUrlOpener& browser, ServerEndpoints endpoints,
                 GridRebuild fillArticleGrid, ListSaves* saves = nullptr);

  // True when the grid shows articles (url_view has entries).
  bool HasArticles() const;

  // Sets read[index] to "read" / "unread", then SaveLists and FillArticleGrid.
  // Nothing while Busy, on an empty store or for an index past the end. A
  // failed save still rebuilds the grid, from memory (the store is Unsaved),
  // and is told by saves; without saves it propagates instead of the rebuild.
  void MarkArticleRead(int index);
  void MarkArticleUnread(int index);
  // Removes the article at index from every per-article list and both image
  // lists (latest and latest subject stay), then SaveLists and FillArticleGrid.
  // Nothing while Busy or for an index past the end.
  void DeleteArticle(int index);
  // Opens url_view[index] through the redirect page, also while Busy. Throws
  // ArticleLinkError for a link that cannot be encoded; nothing is opened then.
  void OpenArticleLink(int index);

 private:
  bool ShowsArticle(int index) const;
  bool InStepWithGrid(int index);
  // Runs change on the article at index now, or once the pending saves are
  // written, on the row that shows the same link then; nothing while Busy.
  void Change(int index, const std::function<void(std::size_t)>& change);
  void ChangeNow(int index, const std::function<void(std::size_t)>& change);
  void SaveAndRebuild();

  ArticleStore& store_;
  BusyTest busy_;
  IUrlOpener& browser_;
  ServerEndpoints endpoints_;
  GridRebuild fillArticleGrid_;
  ListSaves* saves_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen

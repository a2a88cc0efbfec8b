#include "feeds/ArticleActions.h"

#include <gtest/gtest.h>

#include "feeds/ArticleStore.h"
#include "feeds/ChartsFile.h"
#include "feeds/ListFile.h"
#include "tests/support/FakePorts.h"
#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

using Entries = std::vector<std::string>;

// Three articles on disk (a0 unread, a1 read, a2 unread, a0 latest) and the
// actions over them; the grid rebuild reloads the store as the grid does.
struct Fixture {
  test::TempFolder dir;
  ArticleStore store{dir.Slash(), [](const std::string&) {}, [] {}, nullptr,
                     [] { return std::chrono::sys_days(std::chrono::year(2026) / 12 / 10); }};
  test::FakeUrlOpener browser;
  bool busy = false;
  int rebuilds = 0;
  ArticleActions actions{store, [this] { return busy; }, browser, ServerEndpoints("http://feeds.test"),
                         [this] { ++rebuilds, store.LoadLists(); }};

  Fixture() {
    for (const std::string n : {"a0", "a1", "a2"}) {
      for (auto* list : {&store.ticker, &store.subject, &store.description, &store.date}) list->push_back(n);
      store.url.push_back("http://news.test/" + n);
      store.read.push_back(n == "a1" ? "read" : "unread");
      store.jvilRefreshCharts.emplace_back(ChartThumbnailWidth, ChartThumbnailHeight);
    }
    store.latest = {"http://news.test/a0"};
    store.latest_subject = {"a0"};
    store.SaveLists();
    store.LoadLists();
  }
  Entries OnDisk(const char* file) const { return ReadListFile(dir / file).value_or(Entries{"<missing>"}); }
};

TEST(ArticleActionsTest, MarkAndDeleteChangeTheListFilesAndRebuildTheGrid) {
  struct Case {
    const char* name;
    std::function<void(ArticleActions&)> act;
    bool busy;
    Entries urls;
    Entries read;
    int rebuilds;
  };
  const Entries all = {"http://news.test/a0", "http://news.test/a1", "http://news.test/a2"};
  const std::vector<Case> cases = {
      {"mark read", [](auto& a) { a.MarkArticleRead(2); }, false, all, {"unread", "read", "read"}, 1},
      {"mark read again", [](auto& a) { a.MarkArticleRead(1); }, false, all, {"unread", "read", "unread"}, 1},
      {"mark unread", [](auto& a) { a.MarkArticleUnread(1); }, false, all, {"unread", "unread", "unread"}, 1},
      {"delete", [](auto& a) { a.DeleteArticle(0); }, false, {all[1], all[2]}, {"read", "unread"}, 1},
      {"mark while busy", [](auto& a) { a.MarkArticleRead(0); }, true, all, {"unread", "read", "unread"}, 0},
      {"delete while busy", [](auto& a) { a.DeleteArticle(0); }, true, all, {"unread", "read", "unread"}, 0},
      {"past the end",
       [](auto& a) { a.DeleteArticle(3), a.MarkArticleRead(-1); },
       false,
       all,
       {"unread", "read", "unread"},
       0},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.busy = c.busy;
    c.act(f.actions);
    EXPECT_EQ(f.OnDisk(ArticleStore::UrlFile), c.urls) << c.name;
    EXPECT_EQ(f.OnDisk(ArticleStore::ReadFile), c.read) << c.name;
    EXPECT_EQ(f.OnDisk(ArticleStore::LatestFile), Entries{all[0]}) << c.name;
    EXPECT_EQ(f.store.jvilCharts.size(), c.urls.size()) << c.name;
    EXPECT_EQ(f.rebuilds, c.rebuilds) << c.name;
  }
}

TEST(ArticleActionsTest, DeletingEveryArticleLeavesAnEmptyStore) {
  Fixture f;
  for (int i = 0; i < 3; ++i) f.actions.DeleteArticle(0);
  EXPECT_FALSE(f.actions.HasArticles());
  EXPECT_EQ(test::ReadBytes(f.dir / ArticleStore::UrlFile), "");
  EXPECT_EQ(f.OnDisk(ArticleStore::LatestSubjectFile), Entries{"a0"});
  EXPECT_EQ(f.OnDisk(ArticleStore::GoneFile),
            (Entries{"2026-12-10 deleted http://news.test/a0", "2026-12-10 deleted http://news.test/a1",
                     "2026-12-10 deleted http://news.test/a2"}));
}

TEST(ArticleActionsTest, ActsOnTheArticleTheGridShowsAfterARefreshLeftTheListsShifted) {
  Fixture f;
  // A refresh merged a new article at the top, then failed to save.
  f.store.url.insert(f.store.url.begin(), "http://news.test/new");
  f.store.read.insert(f.store.read.begin(), "unread");
  f.actions.DeleteArticle(1);
  EXPECT_EQ(f.OnDisk(ArticleStore::UrlFile), (Entries{"http://news.test/a0", "http://news.test/a2"}));
}

}  // namespace
}  // namespace quarlen

#include "feeds/ArticleStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "feeds/AtomicFileGroup.h"
#include "feeds/ChartsFile.h"
#include "feeds/ListFile.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

const char* const TextFiles[] = {
    ArticleStore::UrlFile,         ArticleStore::TickerFile,        ArticleStore::SubjectFile,
    ArticleStore::DescriptionFile, ArticleStore::DateFile,          ArticleStore::ReadFile,
    ArticleStore::LatestFile,      ArticleStore::LatestSubjectFile, ArticleStore::GoneFile,
};

RgbImage Solid(std::uint8_t shade) {
  return RgbImage(ChartThumbnailWidth, ChartThumbnailHeight, shade, 0, 255 - shade);
}

// A store over a temporary configuration folder that records what it shows.
struct Fixture {
  test::TempFolder dir;
  std::vector<std::string> messages;
  int terminations = 0;

  ArticleStore Make(FileOps* ops = nullptr) { return Make(dir.Slash(), ops); }
  ArticleStore Make(const std::string& folder, FileOps* ops = nullptr) {
    return ArticleStore(
        folder, [this](const std::string& m) { messages.push_back(m); }, [this] { ++terminations; }, ops,
        [] { return std::chrono::sys_days(std::chrono::year(2026) / 12 / 10); });
  }
  std::string Path(const char* name) const { return dir / name; }
  void Write(const char* name, const std::string& bytes) const { test::WriteBytes(Path(name), bytes); }
  std::string Read(const char* name) const { return test::ReadBytes(Path(name)).value_or("<missing>"); }

  // Three articles on disk, 1 latest, as a save writes them.
  void WriteThreeArticles() {
    ArticleStore s = Make();
    Fill(s, 3, "a");
    s.SaveLists();
  }
  static void Fill(ArticleStore& s, int count, const std::string& tag) {
    for (int i = 0; i < count; ++i) {
      const std::string n = tag + std::to_string(i);
      s.url.push_back("http://news.test/" + n);
      s.ticker.push_back("http%3A%2F%2Fcharts.test%2F" + n + ".png");
      s.subject.push_back("Subject " + n);
      s.description.push_back("Description " + n);
      s.date.push_back("Desk - 01 Mar 2007 " + n);
      s.read.push_back(i % 2 ? "read" : "unread");
      s.jvilRefreshCharts.push_back(Solid(static_cast<std::uint8_t>(40 * i)));
    }
    s.jvilCharts = s.jvilRefreshCharts;
    s.url_view = s.url;
    s.read_view = s.read;
    s.latest = {s.url.front()};
    s.latest_subject = {"Subject " + tag + "0"};
  }
};

void ExpectEmpty(const ArticleStore& s) {
  for (const auto* list : {&s.url, &s.ticker, &s.subject, &s.description, &s.date, &s.read, &s.url_view, &s.read_view,
                           &s.latest, &s.latest_subject})
    EXPECT_TRUE(list->empty());
  EXPECT_TRUE(s.jvilCharts.empty());
  EXPECT_TRUE(s.jvilRefreshCharts.empty());
}

void ExpectConsistent(const ArticleStore& s) {
  const std::size_t n = s.url.size();
  EXPECT_EQ(s.ticker.size(), n);
  EXPECT_EQ(s.subject.size(), n);
  EXPECT_EQ(s.description.size(), n);
  EXPECT_EQ(s.date.size(), n);
  EXPECT_EQ(s.read.size(), n);
  EXPECT_EQ(s.jvilCharts.size(), n);
  EXPECT_EQ(s.jvilRefreshCharts.size(), n);
  EXPECT_EQ(s.latest.size(), s.latest_subject.size());
  EXPECT_EQ(s.url_view, s.url);
  EXPECT_EQ(s.read_view, s.read);
}

TEST(ArticleStore, NoFilesGiveAnEmptyStoreAndCreateTheFolder) {
  Fixture f;
  const std::string folder = f.dir / "QuarlenMessenger/";
  ArticleStore s = f.Make(folder);
  s.LoadLists();
  ExpectEmpty(s);
  EXPECT_TRUE(fs::is_directory(folder));
  // Nothing disagreed, so nothing was written.
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_TRUE(f.messages.empty());
}

TEST(ArticleStore, SaveThenLoadGivesTheSameStore) {
  Fixture f;
  ArticleStore saved = f.Make();
  Fixture::Fill(saved, 3, "a");
  saved.subject[1] = "AT&&T";
  saved.SaveLists();
  EXPECT_EQ(f.Read(ArticleStore::UrlFile), "http://news.test/a0\r\nhttp://news.test/a1\r\nhttp://news.test/a2\r\n");
  EXPECT_EQ(f.Read(ArticleStore::ReadFile), "unread\r\nread\r\nunread\r\n");

  ArticleStore loaded = f.Make();
  for (int round = 0; round < 2; ++round) {
    loaded.LoadLists();
    EXPECT_EQ(loaded.url, saved.url);
    EXPECT_EQ(loaded.ticker, saved.ticker);
    EXPECT_EQ(loaded.subject, saved.subject);
    EXPECT_EQ(loaded.description, saved.description);
    EXPECT_EQ(loaded.date, saved.date);
    EXPECT_EQ(loaded.read, saved.read);
    EXPECT_EQ(loaded.latest, saved.latest);
    EXPECT_EQ(loaded.latest_subject, saved.latest_subject);
    EXPECT_EQ(loaded.jvilCharts, saved.jvilRefreshCharts);
    EXPECT_EQ(loaded.jvilRefreshCharts, saved.jvilRefreshCharts);
    ExpectConsistent(loaded);
  }
  // Only the ten files, no temporary and no journal.
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(f.dir.Slash())) ++files;
  EXPECT_EQ(files, 10);
}

TEST(ArticleStore, LineFeedFilesLoadLikeCrLfAndAreWrittenBackWithCrLf) {
  Fixture f;
  f.WriteThreeArticles();
  for (const char* name : TextFiles) {
    std::string text = f.Read(name);
    std::string lf;
    for (char c : text)
      if (c != '\r') lf.push_back(c);
    f.Write(name, lf);
  }
  ArticleStore s = f.Make();
  s.LoadLists();
  ASSERT_EQ(s.Count(), 3u);
  EXPECT_EQ(s.subject[2], "Subject a2");
  s.SaveLists();
  EXPECT_EQ(f.Read(ArticleStore::SubjectFile), "Subject a0\r\nSubject a1\r\nSubject a2\r\n");
}

TEST(ArticleStore, EntryWithLineBreaksStaysOneEntry) {
  Fixture f;
  ArticleStore s = f.Make();
  Fixture::Fill(s, 2, "a");
  s.latest_subject[0] = "Title\nover two lines";
  s.url[1] = "http://news.test/a1\r\n";
  s.SaveLists();
  ArticleStore back = f.Make();
  back.LoadLists();
  ASSERT_EQ(back.Count(), 2u);
  EXPECT_EQ(back.latest_subject, Entries{"Title over two lines"});
  EXPECT_EQ(back.url[1], "http://news.test/a1  ");
}

struct MismatchCase {
  const char* name;
  const char* file;
  std::string bytes;
};

class CheckListsTest : public ::testing::TestWithParam<MismatchCase> {};

TEST_P(CheckListsTest, UnequalLengthsEmptyTheStoreAndRewriteAllTenFiles) {
  Fixture f;
  f.WriteThreeArticles();
  if (std::string(GetParam().file) == ArticleStore::ChartsFile) {
    f.Write(ArticleStore::ChartsFile, EncodeChartsFile({Solid(1), Solid(2)}));
  } else {
    f.Write(GetParam().file, GetParam().bytes);
  }
  ArticleStore s = f.Make();
  s.LoadLists();
  ExpectEmpty(s);
  for (const char* name : TextFiles) EXPECT_EQ(f.Read(name), "") << name;
  EXPECT_TRUE(DecodeChartsFile(f.Read(ArticleStore::ChartsFile)).empty());
  EXPECT_TRUE(f.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(LengthInvariants, CheckListsTest,
                         ::testing::Values(MismatchCase{"TickerShorter", ArticleStore::TickerFile, "t0\r\nt1\r\n"},
                                           MismatchCase{"SubjectLonger", ArticleStore::SubjectFile,
                                                        "a\r\nb\r\nc\r\nd\r\n"},
                                           MismatchCase{"DescriptionEmpty", ArticleStore::DescriptionFile, ""},
                                           MismatchCase{"DateShorter", ArticleStore::DateFile, "d\r\n"},
                                           MismatchCase{"ReadShorter", ArticleStore::ReadFile, "read\r\nread\r\n"},
                                           MismatchCase{"TwoChartsForThreeArticles", ArticleStore::ChartsFile, ""},
                                           MismatchCase{"LatestLongerThanLatestSubject", ArticleStore::LatestFile,
                                                        "http://news.test/a0\r\nhttp://news.test/a1\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArticleStore, CheckListsKeepsAnAgreeingStore) {
  Fixture f;
  ArticleStore s = f.Make();
  Fixture::Fill(s, 2, "a");
  s.latest = {"x", "y", "z"};
  s.latest_subject = {"X", "Y", "Z"};
  s.CheckLists();
  EXPECT_EQ(s.Count(), 2u);
  EXPECT_FALSE(fs::exists(f.Path(ArticleStore::UrlFile)));
}

TEST(ArticleStore, DamagedChartsFileGivesBlankThumbnailsAndKeepsTheArticles) {
  const struct {
    const char* name;
    std::string bytes;
  } damages[] = {
      {"Garbage", "this is no image list"},
      {"Cut", EncodeChartsFile({Solid(1), Solid(2), Solid(3)}).substr(0, 500)},
      {"Empty", ""},
      {"OtherThumbnailSize", EncodeChartsFile({Solid(1), Solid(2), Solid(3)}, 16, 16)},
  };
  for (const auto& d : damages) {
    SCOPED_TRACE(d.name);
    Fixture f;
    f.WriteThreeArticles();
    f.Write(ArticleStore::ChartsFile, d.bytes);
    ArticleStore s = f.Make();
    s.LoadLists();
    ASSERT_EQ(s.Count(), 3u);
    ExpectConsistent(s);
    for (const auto& img : s.jvilCharts) EXPECT_EQ(img, RgbImage(ChartThumbnailWidth, ChartThumbnailHeight));
    EXPECT_TRUE(f.messages.empty());
    // The next save writes a good file.
    s.SaveLists();
    EXPECT_EQ(DecodeChartsFile(f.Read(ArticleStore::ChartsFile)).size(), 3u);
  }
}

TEST(ArticleStore, MissingChartsFileGivesBlankThumbnailsAndKeepsTheArticles) {
  Fixture f;
  f.WriteThreeArticles();
  fs::remove(f.Path(ArticleStore::ChartsFile));
  ArticleStore s = f.Make();
  s.LoadLists();
  ASSERT_EQ(s.Count(), 3u);
  ExpectConsistent(s);
  for (const auto& img : s.jvilCharts) EXPECT_EQ(img, RgbImage(ChartThumbnailWidth, ChartThumbnailHeight));
  EXPECT_EQ(s.jvilRefreshCharts.size(), 3u);
}

TEST(ArticleStore, MissingFileKeepsItsList) {
  Fixture f;
  f.WriteThreeArticles();
  ArticleStore s = f.Make();
  s.LoadLists();
  s.subject[0] = "held in memory";
  fs::remove(f.Path(ArticleStore::SubjectFile));
  s.LoadLists();
  EXPECT_EQ(s.subject[0], "held in memory");
  EXPECT_EQ(s.Count(), 3u);
}

TEST(ArticleStore, UnreadableListFileThrowsAndKeepsTheStore) {
  Fixture f;
  f.WriteThreeArticles();
  ArticleStore s = f.Make();
  s.LoadLists();
  fs::remove(f.Path(ArticleStore::DateFile));
  fs::create_directory(f.Path(ArticleStore::DateFile));
  f.Write(ArticleStore::UrlFile, "only\r\n");
  EXPECT_THROW(s.LoadLists(), ListFileError);
  EXPECT_EQ(s.Count(), 3u);
  ExpectConsistent(s);
}

TEST(ArticleStore, FailedWriteAtAnyFileKeepsTheOldFilesWhole) {
  for (int failAt = 0; failAt < 9; ++failAt) {
    SCOPED_TRACE("write " + std::to_string(failAt) + " fails");
    Fixture f;
    f.WriteThreeArticles();

    test::FaultyFileOps ops;
    ops.writesBeforeFailure = failAt;
    ArticleStore s = f.Make(&ops);
    s.LoadLists();
    Fixture::Fill(s, 2, "b");  // now five articles, two latest
    EXPECT_THROW(s.SaveLists(), FileWriteError);

    ArticleStore after = f.Make();
    after.LoadLists();
    EXPECT_EQ(after.Count(), 3u);
    EXPECT_EQ(after.url[0], "http://news.test/a0");
    ExpectConsistent(after);

    // The store that failed shows its five from memory until a save succeeds.
    EXPECT_TRUE(s.Unsaved());
    s.LoadLists();
    EXPECT_EQ(s.url_view.size(), 5u);
    EXPECT_EQ(s.jvilCharts.size(), 5u);
    ops.writesBeforeFailure = -1;
    s.SaveLists();
    EXPECT_FALSE(s.Unsaved());
    after.LoadLists();
    EXPECT_EQ(after.Count(), 5u);
  }
}

TEST(ArticleStore, SaveCutOffAtAnyRenameLoadsOneWholeStore) {
  // Rename 0 puts the journal in place: cut there, the old store stays; cut
  // later, the next load finishes the save.
  for (int cutAt = 0; cutAt <= 10; ++cutAt) {
    SCOPED_TRACE("rename " + std::to_string(cutAt) + " fails");
    Fixture f;
    f.WriteThreeArticles();

    test::FaultyFileOps ops;
    ops.renamesBeforeFailure = cutAt;
    ArticleStore s = f.Make(&ops);
    s.LoadLists();
    Fixture::Fill(s, 2, "b");
    EXPECT_THROW(s.SaveLists(), FileWriteError);

    ArticleStore after = f.Make();
    after.LoadLists();
    EXPECT_EQ(after.Count(), cutAt == 0 ? 3u : 5u);
    EXPECT_EQ(after.url.back(), cutAt == 0 ? "http://news.test/a2" : "http://news.test/b1");
    ExpectConsistent(after);
    EXPECT_FALSE(fs::exists(f.Path(ArticleStore::SaveJournalFile)));
  }
}

TEST(ArticleStore, FolderThatCannotBeCreatedIsReportedAndEndsTheProgram) {
  Fixture f;
  const std::string folder = f.dir / "missing-parent/QuarlenMessenger/";
  ArticleStore s = f.Make(folder);
  s.LoadLists();
  EXPECT_EQ(f.messages, Entries{"Error creating config folder: " + folder});
  EXPECT_EQ(f.terminations, 1);
  // The save checks again, then fails to write into the missing folder.
  EXPECT_THROW(s.SaveLists(), FileWriteError);
  EXPECT_EQ(f.messages.size(), 2u);
  EXPECT_EQ(f.terminations, 2);
}

TEST(ArticleStore, MakesAMissingFolderForItsOwnerOnly) {
  Fixture f;
  const fs::path folder = f.dir / "QuarlenMessenger";
  const mode_t previous = ::umask(0);  // whatever the umask, the folder is private
  f.Make(folder.string() + "/").LoadLists();
  ::umask(previous);
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
}

TEST(ArticleStore, ClearListsEmptiesEverythingOnDisk) {
  Fixture f;
  f.WriteThreeArticles();
  ArticleStore s = f.Make();
  s.LoadLists();
  s.ClearLists();
  ExpectEmpty(s);
  for (const char* name : TextFiles) EXPECT_EQ(f.Read(name), "") << name;
  EXPECT_EQ(DecodeChartsFile(f.Read(ArticleStore::ChartsFile)).size(), 0u);
}

TEST(ArticleStore, DeleteArticleRemovesOneIndexButNotTheLatestLists) {
  Fixture f;
  ArticleStore s = f.Make();
  Fixture::Fill(s, 3, "a");
  s.DeleteArticle(1);
  EXPECT_EQ(s.url, (Entries{"http://news.test/a0", "http://news.test/a2"}));
  EXPECT_EQ(s.subject, (Entries{"Subject a0", "Subject a2"}));
  EXPECT_EQ(s.jvilCharts[1], Solid(80));
  EXPECT_EQ(s.latest.size(), 1u);
  ExpectConsistent(s);
  s.DeleteArticle(7);  // past the end: nothing
  EXPECT_EQ(s.Count(), 2u);
}

TEST(ArticleStore, GoneListKeepsDayStateAndLinkPerLineAndDropsOtherLines) {
  Fixture f;
  // Lines saved before the days were kept count as carried on the store's
  // today; a line with no such day, or without a state, is dropped.
  f.Write(ArticleStore::GoneFile,
          "read http://News.test/x\r\ndeleted http://news.test/a b\r\nbogus http://news.test/c\r\n"
          "unread\r\nunread http://news.test/X\r\nread \r\n2026-12-01 deleted http://news.test/d\r\n"
          "2026-02-30 read http://news.test/e\r\n2026-12-01 http://news.test/f\r\n");
  ArticleStore s = f.Make();
  s.LoadLists();
  ASSERT_NE(s.gone.Find("HTTP://NEWS.TEST/a b"), nullptr);
  EXPECT_EQ(s.gone.Find("http://news.test/c"), nullptr);
  s.SaveLists();
  EXPECT_EQ(f.Read(ArticleStore::GoneFile),
            "2026-12-10 unread http://news.test/X\r\n2026-12-10 deleted http://news.test/a b\r\n"
            "2026-12-10 read \r\n2026-12-01 deleted http://news.test/d\r\n");
}

TEST(ArticleStore, SetReadChangesOnlyTheReadList) {
  Fixture f;
  ArticleStore s = f.Make();
  Fixture::Fill(s, 2, "a");
  s.SetRead(0, true);
  s.SetRead(1, false);
  s.SetRead(5, true);
  EXPECT_EQ(s.read, (Entries{"read", "unread"}));
  EXPECT_EQ(s.read_view, (Entries{"unread", "read"}));
}

}  // namespace
}  // namespace quarlen

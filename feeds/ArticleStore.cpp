#include "feeds/ArticleStore.h"

#include <optional>
#include <utility>

#include "feeds/AtomicFileGroup.h"
#include "feeds/ChartsFile.h"
#include "feeds/ListFile.h"
#include "platform/ConfigFolder.h"
#include "platform/FileSystem.h"
#include "platform/UiPorts.h"

namespace quarlen {
namespace {

std::vector<RgbImage> BlankCharts(std::size_t count) {
  return std::vector<RgbImage>(count, RgbImage(ChartThumbnailWidth, ChartThumbnailHeight));
}

// The thumbnails of the charts file. A file that cannot be read or decoded,
// holds images of another size, or is missing while there are articles costs
// the thumbnails only: every article gets a blank one and is kept, so a lost
// charts file never empties the store. nullopt: no file and no articles.
std::optional<std::vector<RgbImage>> LoadCharts(const std::string& path, std::size_t articles) {
  std::optional<std::string> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const ListFileError&) {
    return BlankCharts(articles);
  }
  if (!bytes) return articles == 0 ? std::nullopt : std::optional(BlankCharts(articles));
  try {
    auto images = DecodeChartsFile(*bytes);
    for (const auto& img : images)
      if (img.width != ChartThumbnailWidth || img.height != ChartThumbnailHeight) return BlankCharts(articles);
    return images;
  } catch (const ChartsFileError&) {
    return BlankCharts(articles);
  }
}

template <typename T>
void EraseAt(std::vector<T>& list, std::size_t index) {
  if (index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace

ArticleStore::ArticleStore(std::string configFolder, ErrorCallback showError, NoConfigFolderCallback onNoConfigFolder,
                           FileOps* fileOps, DayClock today)
    : configFolder_(std::move(configFolder)),
      showError_(std::move(showError)),
      onNoConfigFolder_(std::move(onNoConfigFolder)),
      fileOps_(fileOps),
      today_(std::move(today)) {}

ArticleStore::ArticleStore(std::string configFolder, IMessageBoxes& boxes, NoConfigFolderCallback onNoConfigFolder,
                           FileOps* fileOps, DayClock today)
    : ArticleStore(
          std::move(configFolder), [&boxes](const std::string& text) { boxes.ShowMessage(text); },
          std::move(onNoConfigFolder), fileOps, std::move(today)) {}

std::chrono::sys_days ArticleStore::Today() const {
  if (today_) return today_();
  return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
}

void ArticleStore::CheckConfigFolder() {
  if (IsFolder(configFolder_)) return;
  std::string folder = configFolder_;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  // One level only, and made the same way as at start-up (owner only).
  if (EnsureFolderExists(folder)) return;
  if (showError_) showError_("Error creating config folder: " + configFolder_);
  if (onNoConfigFolder_) onNoConfigFolder_();
}

void ArticleStore::LoadLists() {
  CheckConfigFolder();
  if (unsaved_) {
    // The save of these lists failed (a full disk): the files hold older
    // news, so the rows are filled from memory and the next save that
    // succeeds writes them.
    url_view = url;
    read_view = read;
    jvilCharts = jvilRefreshCharts;
    CheckLists();
    return;
  }
  // A save cut off between its renames is finished first, so the files agree.
  try {
    AtomicFileGroup::Recover(PathOf(SaveJournalFile), fileOps_);
  } catch (const FileWriteError&) {
    // Whatever is on disk is loaded; CheckLists empties a store that disagrees.
  }

  // Everything is read before anything is replaced: a file that cannot be
  // read leaves the whole store as it was.
  auto newUrl = ReadListFile(PathOf(UrlFile));
  auto newTicker = ReadListFile(PathOf(TickerFile));
  auto newSubject = ReadListFile(PathOf(SubjectFile));
  auto newDescription = ReadListFile(PathOf(DescriptionFile));
  auto newDate = ReadListFile(PathOf(DateFile));
  auto newRead = ReadListFile(PathOf(ReadFile));
  auto newLatest = ReadListFile(PathOf(LatestFile));
  auto newLatestSubject = ReadListFile(PathOf(LatestSubjectFile));
  auto newGone = ReadListFile(PathOf(GoneFile));
  auto newCharts = LoadCharts(PathOf(ChartsFile), newUrl ? newUrl->size() : url.size());

  if (newUrl) {
    url = *newUrl;
    url_view = std::move(*newUrl);
  }
  if (newTicker) ticker = std::move(*newTicker);
  if (newSubject) subject = std::move(*newSubject);
  if (newDescription) description = std::move(*newDescription);
  if (newDate) date = std::move(*newDate);
  if (newRead) {
    read = *newRead;
    read_view = std::move(*newRead);
  }
  if (newCharts) {
    jvilCharts = *newCharts;
    jvilRefreshCharts = std::move(*newCharts);
  }
  if (newLatest) latest = std::move(*newLatest);
  if (newLatestSubject) latest_subject = std::move(*newLatestSubject);
  // A store saved before the gone list existed has no such file and starts
  // with an empty one.
  if (newGone) gone = GoneList::FromLines(*newGone, Today());
  CheckLists();
}

void ArticleStore::SaveLists() {
  try {
    SaveListsTask()();
  } catch (const FileWriteError&) {
    unsaved_ = true;
    throw;
  }
  unsaved_ = false;
}

std::function<void()> ArticleStore::SaveListsTask() {
  CheckConfigFolder();
  // The files are formatted in the task too: the charts file is 50 images encoded.
  using NamedList = std::pair<const char*, std::vector<std::string>>;
  std::vector<NamedList> lists = {
      {UrlFile, url},          {TickerFile, ticker}, {SubjectFile, subject}, {DescriptionFile, description},
      {DateFile, date},        {ReadFile, read},     {LatestFile, latest},   {LatestSubjectFile, latest_subject},
      {GoneFile, gone.Lines()}};
  return [folder = configFolder_, fileOps = fileOps_, lists = std::move(lists), charts = jvilRefreshCharts] {
    AtomicFileGroup group(folder + SaveJournalFile, fileOps);
    for (const auto& [name, lines] : lists) group.Add(folder + name, FormatListText(lines));
    group.Add(folder + ChartsFile, EncodeChartsFile(charts));
    group.Commit();
  };
}

void ArticleStore::CheckLists() {
  const bool articlesAgree = url.size() == ticker.size() && ticker.size() == subject.size() &&
                             subject.size() == description.size() && description.size() == date.size() &&
                             date.size() == read.size() && read.size() == jvilCharts.size();
  if (!articlesAgree) ClearLists();
  if (latest.size() != latest_subject.size()) ClearLists();
}

void ArticleStore::ClearLists() {
  url.clear();
  ticker.clear();
  subject.clear();
  description.clear();
  date.clear();
  read.clear();
  latest.clear();
  latest_subject.clear();
  read_view.clear();
  url_view.clear();
  jvilCharts.clear();
  jvilRefreshCharts.clear();
  SaveLists();
}

void ArticleStore::DeleteArticle(std::size_t index) {
  // Remembered so the next refresh does not bring it back as a new article
  // while the feed still carries it.
  if (index < url.size()) gone.Add(url[index], GoneList::Deleted, Today());
  EraseAt(url, index);
  EraseAt(subject, index);
  EraseAt(description, index);
  EraseAt(date, index);
  EraseAt(read, index);
  EraseAt(read_view, index);
  EraseAt(url_view, index);
  EraseAt(ticker, index);
  EraseAt(jvilCharts, index);
  EraseAt(jvilRefreshCharts, index);
}

void ArticleStore::SetRead(std::size_t index, bool isRead) {
  if (index < read.size()) read[index] = isRead ? "read" : "unread";
}

}  // namespace quarlen

#pragma once
// The article store: parallel lists, one entry per article at the same index
// (0 newest), kept in list files in the configuration folder, plus the lists
// of the articles new in the last refresh and two thumbnail image lists.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "feeds/GoneList.h"
#include "platform/RgbImage.h"

namespace quarlen {

class FileOps;
class IMessageBoxes;

class ArticleStore {
 public:
  using ErrorCallback = std::function<void(const std::string& text)>;
  using NoConfigFolderCallback = std::function<void()>;
  // Today's date; the gone list dates its links by it.
  using DayClock = std::function<std::chrono::sys_days()>;

  static constexpr const char* UrlFile = "kvt_url_list.dat";
  static constexpr const char* TickerFile = "kvt_ticker_list.dat";
  static constexpr const char* SubjectFile = "kvt_subject_list.dat";
  static constexpr const char* DescriptionFile = "kvt_description_list.dat";
  static constexpr const char* DateFile = "kvt_date_list.dat";
  static constexpr const char* ReadFile = "kvt_read_list.dat";
  static constexpr const char* LatestFile = "kvt_latest_list.dat";
  static constexpr const char* LatestSubjectFile = "kvt_latest_subject_list.dat";
  static constexpr const char* ChartsFile = "kvt_charts_list.dat";
  // The links trimmed or deleted while the feed still carries them (GoneList).
  static constexpr const char* GoneFile = "kvt_gone_list.dat";
  // Names the files of a save while their renames run (see AtomicFileGroup).
  static constexpr const char* SaveJournalFile = "kvt_save_journal.dat";

  // configFolder ends in "/". showError shows a message box;
  // onNoConfigFolder runs after the message when the folder cannot be made
  // (the window ends the program). fileOps
  // (nullptr: the real file system) lets tests make writes fail; today
  // (nullptr: the system clock's UTC date) lets them pick the day.
  ArticleStore(std::string configFolder, ErrorCallback showError, NoConfigFolderCallback onNoConfigFolder,
               FileOps* fileOps = nullptr, DayClock today = nullptr);
  ArticleStore(std::string configFolder, IMessageBoxes& boxes, NoConfigFolderCallback onNoConfigFolder,
               FileOps* fileOps = nullptr, DayClock today = nullptr);

  // Replaces the store with the list files (a missing file keeps its list),
  // then CheckLists. While Unsaved, the lists in memory are newer than the
  // files and stay: only the painted copies take their values. A charts file that cannot be read gives one blank
  // thumbnail per article. A list file that exists but cannot be read throws
  // ListFileError and leaves the store as it was.
  void LoadLists();
  // Writes every list and jvilRefreshCharts: all files or, on a failure
  // (FileWriteError), none of them; sets Unsaved to match.
  void SaveLists();
  // The same save of the lists as they are now, made to run later on any
  // thread: the task holds copies and throws FileWriteError as SaveLists does.
  // The folder is checked here, on the caller's thread.
  std::function<void()> SaveListsTask();
  // Clears the whole store when a length invariant is broken.
  void CheckLists();
  // Empties every list and both image lists, then SaveLists. The gone list
  // stays: it records what the user has already seen.
  void ClearLists();

  // Removes entry index from url, subject, description, date, read,
  // read_view, url_view and ticker and image index from both image lists
  // (each list only when it is that long), and records its link in gone as
  // deleted. Saves nothing.
  void DeleteArticle(std::size_t index);
  // Sets read[index] to "read" or "unread"; nothing when index is past the end.
  void SetRead(std::size_t index, bool isRead);

  // Whether the last save of the lists failed: set by whoever ran the save's task.
  void SetUnsaved(bool unsaved) { unsaved_ = unsaved; }
  bool Unsaved() const { return unsaved_; }
  // Today's date by the store's clock.
  std::chrono::sys_days Today() const;

  std::size_t Count() const { return url.size(); }
  const std::string& ConfigFolder() const { return configFolder_; }
  std::string PathOf(const char* fileName) const { return configFolder_ + fileName; }

  // The lists, UTF-8 text.
  std::vector<std::string> url;
  std::vector<std::string> ticker;
  std::vector<std::string> subject;
  std::vector<std::string> description;
  std::vector<std::string> date;
  std::vector<std::string> read;  // "unread" or "read"
  std::vector<std::string> url_view;
  std::vector<std::string> read_view;
  std::vector<std::string> latest;
  std::vector<std::string> latest_subject;
  // Links that left the store and must not come back as new.
  GoneList gone;
  // Thumbnails, 86 x 60: jvilCharts is painted, jvilRefreshCharts is saved.
  std::vector<RgbImage> jvilCharts;
  std::vector<RgbImage> jvilRefreshCharts;

 private:
  void CheckConfigFolder();

  std::string configFolder_;
  ErrorCallback showError_;
  NoConfigFolderCallback onNoConfigFolder_;
  FileOps* fileOps_;
  DayClock today_;
  bool unsaved_ = false;
};

}  // namespace quarlen

#pragma once
// The main window: layout, timers, tray icon, menus, closing to the tray and exit.
#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "feeds/ThumbnailProgress.h"
#include "platform/UiPorts.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace quarlen {

class ArticleGrid;
class ArticleStore;
class BannerBrowser;
class IBannerBrowser;
class PageViews;
class ArticleActions;
class ArticleGridActions;
class CommandRunner;
class TimerInterval;

// Where the program finds the user's files and browser, and how it ends; the
// real program takes them from the environment, tests from a temporary folder.
struct MainFormEnvironment {
  std::string applicationDataFolder;    // settings files lie here (no trailing slash)
  std::string configFolder;             // the list files lie here (trailing slash)
  std::string browserPath;              // the program that opens URLs
  std::function<void(int)> endProcess;  // ends the process with a code; null: nothing ends it
  std::function<bool()> hasTray;        // whether a notification area shows the icon; null: ask the platform
};

// What the window is made with; everything referred to outlives it.
struct MainFormSetup {
  ArticleStore& store;                  // shown by the grid
  PageViews& pages;                     // the banner's and the channel tabs'
  CommandRunner& run;                   // every control's work runs through it; Exit stops it
  IUrlOpener& browser;                  // the chart box and the site links open their pages here
  std::string programVersion;           // shown in the title
  std::function<void(int)> endProcess;  // Exit's last step; null: nothing ends the process
  std::function<bool()> hasTray;        // whether a notification area shows the icon; null: ask the platform
};

class TfrmMainForm : public QMainWindow,
                     public IStatusBar,
                     public IMessageBoxes,
                     public ITrayIcon,
                     public IMainWindow,
                     public IFeedAge,
                     public IThumbnailProgress {
  Q_OBJECT

 public:
  explicit TfrmMainForm(MainFormSetup setup, QWidget* parent = nullptr);
  ~TfrmMainForm() override;

  // The last step of the window's creation: FillArticleGrid; a failure is shown
  // in a message box at once (no event loop runs yet) and the grid stays empty.
  void FillArticleGridAtStart();

  // Tray icon on, then timerFetchRSS, timerRefreshBanners, timerStartup and
  // timerCheckForUpdates, in this order.
  void CompleteStartup();

  // The one way out (the menus' Exit, the termination signals, the session's
  // quit, the update's "Yes"): Exiting := true, no command runs any more, the
  // timers stop and the window and icon go; once the exit wait is over the
  // registered exit work runs (settings files are written once more) and the
  // process ends with code 0. A second call does nothing.
  void Exit2Click();
  // What the exit waits for before its exit work: called once with the step
  // that ends the program, which it runs at once or later from the event
  // loop. Null: nothing to wait for.
  using ExitWait = std::function<void(std::function<void()> finish)>;
  void SetExitWait(ExitWait wait) { exitWait_ = std::move(wait); }

  // What shows the tray icon at start-up instead of Qt's show (the desktop
  // integration, which knows whether Qt's icon can show).
  void SetTrayIconShower(std::function<void()> shower) { trayIconShower_ = std::move(shower); }
  // Work that runs once when the program ends (settings stores flushing).
  void AddExitHook(std::function<void()> hook);
  // Called with every status text, after the status bar shows it.
  void AddStatusObserver(std::function<void(const std::string&)> observer);
  // The work of the menu commands and timers that lives elsewhere; an empty
  // handler does nothing.
  struct CommandHandlers {
    std::function<void()> fetchRSS = nullptr;
    std::function<void()> checkForUpdates = nullptr;
    std::function<void()> refreshBanner = nullptr;
    std::function<void()> notificationSettings = nullptr;
    std::function<void()> networkSettings = nullptr;
  };
  void SetCommandHandlers(CommandHandlers handlers) { handlers_ = std::move(handlers); }

  // Hiding into the tray and showing from it.
  void HideToTray();
  void ShowFromTray() override;

  // The article actions: the grid's double click, context menu and keys, and
  // the balloon click, which opens the newest article, selects it and marks it
  // read. Qt's balloon click counts only for a balloon Qt showed (ShowBalloon).
  void AttachArticleActions(ArticleActions& actions);
  void JvTrayIcon1BalloonClick();
  // The tray menu's "Open Message Browser".
  void OpenMessageBrowser2Click();

  // IStatusBar
  void SetStatusText(const std::string& text) override;
  // IMessageBoxes
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& title, const std::string& question) override;
  // ITrayIcon
  void SetIconIndex(int index) override;
  void ShowBalloon(const std::string& title, const std::string& text) override;
  // IMainWindow
  void Beep() override;
  void BringToFront() override;
  void SetTickerText(const std::string& text) override;
  void EndProgramNow() override;
  // Ends the program as Exit does (settings files written, exit code 0) at
  // the next turn of whatever event loop runs, also one that starts later,
  // once no message box is open.
  void QuitAtNextTurn();
  // IFeedAge: the status bar's second field and the tray icon's tooltip say
  // how old the news on screen is.
  void FeedRead(std::chrono::system_clock::time_point when) override;
  void RefreshFailed() override;
  // IThumbnailProgress: a small bar beside the status text while charts download.
  void ShowThumbnailProgress(int done, int total) override;
  void HideThumbnailProgress() override;

  // Reloads the store from the list files and rebuilds the grid's rows.
  void FillArticleGrid();
  // Paints the rows again from the store as it is, for charts that came after the rows were built.
  void RepaintArticleGrid();
  // The banner's browser (`wbMidnight`).
  IBannerBrowser& BannerBrowser();

  // The window's state: the user chose Exit.
  bool Exiting() const { return Exiting_; }
  int TrayIconIndex() const { return trayIconIndex_; }
  // The tray icon, which the desktop integration keeps on StatusNotifierItem panels.
  QSystemTrayIcon& JvTrayIcon1() { return *JvTrayIcon1_; }

  // The controls the channel tabs and the notification settings drive.
  QTimer& timerFetchRSS() { return *timerFetchRSS_; }
  IRefreshInterval& RefreshInterval();
  QTimer& timerRefreshChannel() { return *timerRefreshChannel_; }
  QTabWidget& tabsChannels() { return *tabsChannels_; }

  // The chart request box and the site links; each opens its page in the browser.
  void btnCreateChartClick();  // the chart page for txtTicker and cbChartType
  void Image1Click();          // WebSite + "/"
  void btnContactClick();      // SupportSite + "/"

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;  // clicks on the logo

 private:
  void FormCreate();
  void BuildLayout();
  void BuildMenus();
  void BuildTimers();
  void BuildTrayIcon();
  // The handler's work as a command (nothing while it is empty).
  std::function<void()> Command(std::function<void()> CommandHandlers::*handler);
  void timerStartupTimer();
  void ConnectChartBoxAndSiteLinks();
  void EndWhenNoMessageShows();
  void FinishExit();
  // The age field and the tooltip from the last read and failure, against today's date.
  void ShowFeedAge();
  bool TrayShowsIcon() const;

  // The control's work through the runner.
  void Run(const std::function<void()>& work);

  ArticleStore& store_;
  PageViews& pages_;
  CommandRunner& run_;
  IUrlOpener& browser_;
  std::string programVersion_;
  std::function<void(int)> endProcess_;
  std::function<bool()> hasTray_;
  bool Exiting_ = false;
  std::vector<std::function<void()>> exitHooks_;
  ExitWait exitWait_;
  bool exitFinished_ = false;
  std::optional<std::chrono::system_clock::time_point> lastFeedRead_;
  bool refreshFailedSince_ = false;
  std::vector<std::function<void(const std::string&)>> statusObservers_;
  CommandHandlers handlers_;
  std::unique_ptr<quarlen::BannerBrowser> bannerBrowser_;
  int trayIconIndex_ = 0;
  ArticleActions* articleActions_ = nullptr;
  ArticleGridActions* gridActions_ = nullptr;
  bool terminateRequested_ = false;
  bool qtBalloonOut_ = false;
  std::function<void()> trayIconShower_;  // Qt's balloon shows and its click has not come

  // The timers and controls, children of the window under their own names.
  QTimer* timerFetchRSS_ = nullptr;
  QTimer* timerStartup_ = nullptr;
  QTimer* timerCheckForUpdates_ = nullptr;
  QTimer* timerRefreshBanners_ = nullptr;
  QTimer* timerRefreshChannel_ = nullptr;
  QTimer* timerFeedAge_ = nullptr;                  // turns "Updated 23:50" into one with its date after midnight
  std::unique_ptr<TimerInterval> refreshInterval_;  // timerFetchRSS_'s
  QSystemTrayIcon* JvTrayIcon1_ = nullptr;
  QMenu* PopupMenu1_ = nullptr;
  QWidget* clientArea_ = nullptr;  // absolute layout of the 768 x 510 area above the status bar
  QGroupBox* sGroupBox4_ = nullptr;
  QLineEdit* txtTicker_ = nullptr;
  QComboBox* cbChartType_ = nullptr;
  QPushButton* btnCreateChart_ = nullptr;
  QGroupBox* sGroupBox3_ = nullptr;
  QWidget* wbMidnight_ = nullptr;
  QPushButton* btnContact_ = nullptr;
  QLabel* Image1_ = nullptr;
  ArticleGrid* grdArticles_ = nullptr;  // the grid with its header panels "Chart" and "Subject"
  QProgressBar* thumbnailProgress_ = nullptr;
  QLabel* statusText_ = nullptr;   // the status bar's text panel; stays until replaced
  QLabel* feedAgeText_ = nullptr;  // the status bar's second field: the age of the news
  QTabWidget* tabsChannels_ = nullptr;
};

}  // namespace quarlen

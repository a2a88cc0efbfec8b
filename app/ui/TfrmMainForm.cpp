#include "app/ui/TfrmMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include "app/ui/Artwork.h"
#include "app/ui/CommandRunner.h"
#include "feeds/ArticleActions.h"
#include "feeds/ArticleStore.h"
#include "platform/BuildConfig.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TimerInterval.h"
#include "platform/ui/VerdanaFont.h"
#include "view/Banner.h"
#include "view/ChartRequest.h"
#include "view/FeedAgeText.h"
#include "view/ui/ArticleGrid.h"
#include "view/ui/ArticleGridActions.h"
#include "view/ui/BannerBrowser.h"

namespace quarlen {

namespace {
constexpr int ClientWidth = 768;
constexpr int ClientHeight = 529;
constexpr int StatusBarHeight = 19;
constexpr int ThumbnailProgressWidth = 64;
const QColor WindowColour(0xB0, 0xCE, 0xF1);

QFont WindowFont() { return VerdanaFont(8, true); }

// A moment in the user's time zone, in the locale's short formats.
ShownMoment LocalMoment(std::chrono::system_clock::time_point when) {
  const QDateTime local = QDateTime::fromSecsSinceEpoch(
      std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count(), Qt::LocalTime);
  const QLocale locale;
  // The C locale's short time carries seconds; the field means the minute.
  const QString timeFormat =
      locale.language() == QLocale::C ? QStringLiteral("HH:mm") : locale.timeFormat(QLocale::ShortFormat);
  return {static_cast<long>(local.date().toJulianDay()), ToStdString(locale.toString(local.time(), timeFormat)),
          ToStdString(locale.toString(local.date(), QLocale::ShortFormat))};
}

}  // namespace

TfrmMainForm::TfrmMainForm(MainFormSetup setup, QWidget* parent)
    : QMainWindow(parent),
      store_(setup.store),
      pages_(setup.pages),
      run_(setup.run),
      browser_(setup.browser),
      programVersion_(std::move(setup.programVersion)),
      endProcess_(std::move(setup.endProcess)),
      hasTray_(std::move(setup.hasTray)) {
  FormCreate();
}

TfrmMainForm::~TfrmMainForm() {
  // FormDestroy: the store's lists and the channel links go with their owners.
  if (JvTrayIcon1_ != nullptr) JvTrayIcon1_->hide();
}

void TfrmMainForm::FormCreate() {
  setWindowTitle(ToQString("Quarlen Messenger " + programVersion_));
  Exiting_ = false;

  setWindowIcon(ApplicationIcon());
  // A single frame: system menu, minimise and close, no maximise, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  // A forced background always comes with its text colour: a dark desktop
  // palette must not put its light text on the light blue.
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, WindowColour);
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
  setAutoFillBackground(true);
  setFont(WindowFont());

  BuildLayout();
  BuildMenus();
  BuildTimers();
  BuildTrayIcon();
  ConnectChartBoxAndSiteLinks();
  ShowFeedAge();

  // The menu bar sits above the client area, which holds the status bar.
  setFixedSize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

void TfrmMainForm::FillArticleGridAtStart() {
  // No event loop runs yet, so a failure here is shown at once instead of
  // taking the program down before its window exists.
  try {
    FillArticleGrid();
  } catch (const std::exception& error) {
    ShowMessage(error.what());
  }
}

void TfrmMainForm::FillArticleGrid() { grdArticles_->FillArticleGrid(); }

void TfrmMainForm::RepaintArticleGrid() { grdArticles_->grdArticles()->viewport()->update(); }

void TfrmMainForm::BuildLayout() {
  clientArea_ = new QWidget(this);
  clientArea_->setFixedSize(ClientWidth, ClientHeight - StatusBarHeight);
  setCentralWidget(clientArea_);

  // The grid places itself and its header panels.
  grdArticles_ = new ArticleGrid(store_, clientArea_);
  grdArticles_->setObjectName("grdArticles");

  // "&&" shows one "&"; a single one would underline the next letter instead.
  sGroupBox4_ = new QGroupBox(QStringLiteral("FREE Charts && RT News"), clientArea_);
  sGroupBox4_->setObjectName("sGroupBox4");
  sGroupBox4_->setGeometry(384, 0, 201, 73);
  QPalette white;
  white.setColor(QPalette::Base, Qt::white);
  white.setColor(QPalette::Text, Qt::black);
  txtTicker_ = new QLineEdit(QStringLiteral("QQQQ"), sGroupBox4_);
  txtTicker_->setObjectName("txtTicker");
  txtTicker_->setGeometry(6, 15, 89, 21);
  txtTicker_->setPalette(white);
  cbChartType_ = new QComboBox(sGroupBox4_);
  cbChartType_->setObjectName("cbChartType");
  cbChartType_->setGeometry(102, 15, 89, 21);
  cbChartType_->addItems(
      {QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Intraday"), QStringLiteral("P&F")});
  cbChartType_->setCurrentIndex(0);
  cbChartType_->setEditable(false);
  cbChartType_->setPalette(white);
  // Named for screen readers, which would call both after the group box; a
  // combo box is named by its current item on this desktop, so the period
  // box says what it is in its description.
  txtTicker_->setAccessibleName(QStringLiteral("Ticker"));
  cbChartType_->setAccessibleName(QStringLiteral("Chart period"));
  cbChartType_->setAccessibleDescription(QStringLiteral("Chart period"));
  btnCreateChart_ = new QPushButton(QStringLiteral("GO!"), sGroupBox4_);
  btnCreateChart_->setObjectName("btnCreateChart");
  btnCreateChart_->setGeometry(5, 42, 188, 23);

  sGroupBox3_ = new QGroupBox(clientArea_);
  sGroupBox3_->setObjectName("sGroupBox3");
  sGroupBox3_->setGeometry(3, 340, 377, 143);
  // The banner never reads from or writes to a cache, and never asks anything;
  // the channel tabs share its page engine.
  bannerBrowser_ = std::make_unique<quarlen::BannerBrowser>(pages_, sGroupBox3_, browser_);
  wbMidnight_ = bannerBrowser_->View();
  wbMidnight_->setObjectName("wbMidnight");
  wbMidnight_->setGeometry(8, 16, 353, 121);

  btnContact_ = new QPushButton(QStringLiteral("Contact Quarlen!"), clientArea_);
  btnContact_->setObjectName("btnContact");
  btnContact_->setGeometry(3, 486, 377, 22);

  Image1_ = new QLabel(clientArea_);
  Image1_->setObjectName("Image1");
  Image1_->setGeometry(588, 0, 181, 81);
  Image1_->setPixmap(LogoImage());
  Image1_->setCursor(Qt::PointingHandCursor);
  Image1_->setAccessibleName(QStringLiteral("Quarlen logo"));
  Image1_->setAccessibleDescription(QStringLiteral("Opens the Quarlen web site"));
  sGroupBox3_->setAccessibleName(QStringLiteral("Banner"));
  wbMidnight_->setAccessibleName(QStringLiteral("Banner"));

  tabsChannels_ = new QTabWidget(clientArea_);
  tabsChannels_->setObjectName("tabsChannels");
  tabsChannels_->setGeometry(384, 80, 385, 428);

  statusBar()->setObjectName("sStatusBar1");
  statusBar()->setFixedHeight(StatusBarHeight);
  statusBar()->setSizeGripEnabled(false);
  // A permanent label, not a status-bar message: Qt clears its messages
  // whenever a menu item is hovered, and this text must stay until the
  // program sets another. Its size policy lets a long text be cut by the
  // window's width instead of pushing the progress bar out.
  statusText_ = new QLabel(QStringLiteral("Ready"), statusBar());
  statusText_->setObjectName("sStatusBar1Text");
  // Server texts land here; markup in them is shown, never interpreted.
  statusText_->setTextFormat(Qt::PlainText);
  statusText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusText_->setMinimumWidth(0);
  statusBar()->addPermanentWidget(statusText_, 1);
  thumbnailProgress_ = new QProgressBar(statusBar());
  thumbnailProgress_->setObjectName("thumbnailProgress");
  thumbnailProgress_->setFixedSize(ThumbnailProgressWidth, 14);
  thumbnailProgress_->setFormat(QStringLiteral("%v/%m"));
  thumbnailProgress_->setTextVisible(true);
  statusBar()->addPermanentWidget(thumbnailProgress_, 0);
  thumbnailProgress_->hide();
  // The age of the news has a field of its own at the right, so "Connected"
  // from the next ping can't hide that the feed has not been read for hours.
  feedAgeText_ = new QLabel(statusBar());
  feedAgeText_->setObjectName("sStatusBar1Age");
  feedAgeText_->setTextFormat(Qt::PlainText);
  feedAgeText_->setContentsMargins(6, 0, 4, 0);
  feedAgeText_->setAccessibleDescription(QStringLiteral("When the news was last read from the feed server"));
  statusBar()->addPermanentWidget(feedAgeText_, 0);

  // Tab follows the reading order and leaves every control; the channel tabs
  // put their page right after their tab bar when they make it.
  // The tabs are filled with the button colour but written in the window's
  // text colour, which is forced black here: they take the system's button
  // text colour, the partner of their fill.
  QPalette tabPalette = tabsChannels_->tabBar()->palette();
  tabPalette.setColor(QPalette::WindowText, tabPalette.color(QPalette::ButtonText));
  tabsChannels_->tabBar()->setPalette(tabPalette);

  QWidget::setTabOrder(grdArticles_->grdArticles(), txtTicker_);
  QWidget::setTabOrder(txtTicker_, cbChartType_);
  QWidget::setTabOrder(cbChartType_, btnCreateChart_);
  QWidget::setTabOrder(btnCreateChart_, tabsChannels_);
  QWidget::setTabOrder(tabsChannels_, btnContact_);
  grdArticles_->grdArticles()->setFocus();
}

void TfrmMainForm::BuildMenus() {
  auto add = [this](QMenu* menu, const char* caption, std::function<void()> handler) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    connect(action, &QAction::triggered, this, [this, handler] { Run(handler); });
  };
  const auto fetch = Command(&CommandHandlers::fetchRSS);
  const auto updates = Command(&CommandHandlers::checkForUpdates);
  const auto notification = Command(&CommandHandlers::notificationSettings);

  // Every menu and item has its access key ("&" underlines the next letter);
  // the captions read as they always did.
  PopupMenu1_ = new QMenu(this);
  PopupMenu1_->setObjectName("PopupMenu1");
  add(PopupMenu1_, "&Open Message Browser", [this] { OpenMessageBrowser2Click(); });
  add(PopupMenu1_, "Check For &New Messages", fetch);
  add(PopupMenu1_, "Check For &Updates", updates);
  PopupMenu1_->addSeparator();
  add(PopupMenu1_, "Change Notification &Settings", notification);
  PopupMenu1_->addSeparator();
  add(PopupMenu1_, "E&xit", [this] { Exit2Click(); });

  // The menu bar is painted on the window's light blue with the button text
  // colour, which a dark palette makes light.
  QPalette barPalette = menuBar()->palette();
  barPalette.setColor(QPalette::ButtonText, Qt::black);
  menuBar()->setPalette(barPalette);
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  add(file, "Check For &New Messages", fetch);
  add(file, "Check For &Updates", updates);
  file->addSeparator();
  add(file, "E&xit", [this] { Exit2Click(); });
  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  add(options, "Change Notification &Settings", notification);
  add(options, "&Network Settings", Command(&CommandHandlers::networkSettings));
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  // F10 opens the first menu, as on every desktop.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this, [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
  add(help, "&About...", [this] {
    QMessageBox::information(this, QStringLiteral("Quarlen Messenger"), ToQString(AboutText(build::FeedServer)));
  });
}

void TfrmMainForm::BuildTimers() {
  const auto make = [this](const char* name, int interval, std::function<void()> onTick) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    if (onTick) connect(timer, &QTimer::timeout, this, [this, onTick] { Run(onTick); });
    return timer;
  };
  timerFetchRSS_ = make("timerFetchRSS", 30 * 60000, Command(&CommandHandlers::fetchRSS));
  timerStartup_ = make("timerStartup", 10000, [this] { timerStartupTimer(); });
  timerCheckForUpdates_ = make("timerCheckForUpdates", 3600000, Command(&CommandHandlers::checkForUpdates));
  timerRefreshBanners_ = make("timerRefreshBanners", 60000, Command(&CommandHandlers::refreshBanner));
  // The channel tabs connect their own tick.
  timerRefreshChannel_ = make("timerRefreshChannel", 0, nullptr);
  refreshInterval_ = std::make_unique<TimerInterval>(*timerFetchRSS_);
  timerFeedAge_ = make("timerFeedAge", 60000, [this] { ShowFeedAge(); });
}

void TfrmMainForm::BuildTrayIcon() {
  JvTrayIcon1_ = new QSystemTrayIcon(TrayIcon(0), this);
  JvTrayIcon1_->setObjectName("JvTrayIcon1");
  JvTrayIcon1_->setToolTip(QStringLiteral("Quarlen Messenger"));
  JvTrayIcon1_->setContextMenu(PopupMenu1_);
  connect(JvTrayIcon1_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) Run([this] { ShowFromTray(); });
  });
}

void TfrmMainForm::AttachArticleActions(ArticleActions& actions) {
  articleActions_ = &actions;
  gridActions_ = new ArticleGridActions(*grdArticles_, actions, Command(&CommandHandlers::fetchRSS), run_);
  // Qt's tray item, where it publishes itself on the bus, reports a click on
  // any program's notification as messageClicked; only a click while Qt's own
  // balloon is out counts, once.
  connect(JvTrayIcon1_, &QSystemTrayIcon::messageClicked, this, [this] {
    if (!qtBalloonOut_) return;
    qtBalloonOut_ = false;
    Run([this] { JvTrayIcon1BalloonClick(); });
  });
}

void TfrmMainForm::JvTrayIcon1BalloonClick() {
  if (articleActions_ == nullptr || !articleActions_->HasArticles()) return;
  // The balloon announced the newest article; whatever row was selected before.
  articleActions_->OpenArticleLink(0);
  grdArticles_->SetCurrentRow(0);
  articleActions_->MarkArticleRead(0);
}

void TfrmMainForm::OpenMessageBrowser2Click() { ShowFromTray(); }

void TfrmMainForm::timerStartupTimer() {
  timerStartup_->stop();
  Run(handlers_.checkForUpdates);
  Run(handlers_.fetchRSS);
}

void TfrmMainForm::CompleteStartup() {
  if (trayIconShower_) {
    trayIconShower_();
  } else {
    JvTrayIcon1_->show();
  }
  timerFetchRSS_->start();
  timerRefreshBanners_->start();
  timerStartup_->start();
  timerCheckForUpdates_->start();
  timerFeedAge_->start();
}

std::function<void()> TfrmMainForm::Command(std::function<void()> CommandHandlers::*handler) {
  // Looked up when the command runs: the wiring sets the handlers after the menus and timers exist.
  return [this, handler] {
    if (handlers_.*handler) (handlers_.*handler)();
  };
}

void TfrmMainForm::Run(const std::function<void()>& work) { run_.Run(work); }

void TfrmMainForm::AddExitHook(std::function<void()> hook) { exitHooks_.push_back(std::move(hook)); }

void TfrmMainForm::Exit2Click() {
  // A second signal, a second Exit or a box's loop during the exit.
  if (Exiting_) return;
  Exiting_ = true;
  // No command, timer or click starts work any more; what is under way (a
  // save being written, a delete waiting for it) still reports back through
  // the UI thread's queue, so the loop keeps running while it ends.
  run_.BeginExit();
  for (QTimer* timer : {timerFetchRSS_, timerStartup_, timerCheckForUpdates_, timerRefreshBanners_,
                        timerRefreshChannel_, timerFeedAge_}) {
    timer->stop();
  }
  // The user sees the program go at once, however long the saves take.
  hide();
  if (JvTrayIcon1_ != nullptr) JvTrayIcon1_->hide();
  if (exitWait_) {
    exitWait_([this] { FinishExit(); });
  } else {
    FinishExit();
  }
}

void TfrmMainForm::FinishExit() {
  if (exitFinished_) return;
  exitFinished_ = true;
  // Once the exit work begins, the objects a queued task reads may already be gone.
  run_.Stop();
  // Settings are written once more; the article store was saved at its last change.
  for (auto& hook : exitHooks_) hook();
  exitHooks_.clear();
  if (endProcess_) endProcess_(0);
}

bool TfrmMainForm::TrayShowsIcon() const {
  // The desktop integration may show the icon as an item of its own while
  // Qt's icon is hidden; it knows.
  if (hasTray_) return hasTray_();
  return QSystemTrayIcon::isSystemTrayAvailable() && JvTrayIcon1_ != nullptr && JvTrayIcon1_->isVisible();
}

void TfrmMainForm::HideToTray() {
  if (TrayShowsIcon()) {
    hide();
  } else {
    // No notification area: a hidden window could never be found again.
    showMinimized();
  }
}

void TfrmMainForm::ShowFromTray() {
  // A cycle whose save ends during the exit must not bring the window back.
  if (Exiting_) return;
  showNormal();
  raise();
  activateWindow();
}

void TfrmMainForm::closeEvent(QCloseEvent* event) {
  if (Exiting_) {
    event->accept();
    return;
  }
  event->ignore();
  Run([this] { HideToTray(); });
}

void TfrmMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) Run(handlers_.refreshBanner);
}

void TfrmMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimising hides the window and its taskbar button; the tray icon stays.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayShowsIcon()) {
    QTimer::singleShot(0, this, [this] { Run([this] { hide(); }); });
  }
}

void TfrmMainForm::SetStatusText(const std::string& text) {
  // The bar has room for one line, and failure texts come as "Socket Error #
  // 111" CR LF "Connection refused.": each line break becomes one blank.
  QString line = ToQString(text);
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  statusText_->setText(line);
  for (const auto& observer : statusObservers_) observer(text);
}

void TfrmMainForm::AddStatusObserver(std::function<void(const std::string&)> observer) {
  statusObservers_.push_back(std::move(observer));
}

void TfrmMainForm::ShowMessage(const std::string& text) {
  QMessageBox::information(isVisible() ? this : nullptr, QStringLiteral("Quarlen Messenger"), ToQString(text));
}

bool TfrmMainForm::Confirm(const std::string& title, const std::string& question) {
  return QMessageBox::question(isVisible() ? this : nullptr, ToQString(title), ToQString(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TfrmMainForm::SetIconIndex(int index) {
  trayIconIndex_ = index == 1 ? 1 : 0;
  JvTrayIcon1_->setIcon(TrayIcon(trayIconIndex_));
}

void TfrmMainForm::ShowBalloon(const std::string& title, const std::string& text) {
  if (Exiting_) return;
  JvTrayIcon1_->showMessage(ToQString(title), ToQString(text), QSystemTrayIcon::Information, 10000);
  qtBalloonOut_ = true;
}

void TfrmMainForm::Beep() {
  if (!Exiting_) QApplication::beep();
}

void TfrmMainForm::BringToFront() {
  if (Exiting_) return;
  raise();
  activateWindow();
}

void TfrmMainForm::SetTickerText(const std::string& text) { txtTicker_->setText(ToQString(text)); }

void TfrmMainForm::EndProgramNow() { Exit2Click(); }

void TfrmMainForm::QuitAtNextTurn() {
  // A timer rather than a queued quit: a quit is eaten by the first nested
  // loop (a message box) or lost before exec(), and closing
  // the window only hides it into the tray. A timer fires in any loop.
  if (terminateRequested_) return;
  terminateRequested_ = true;
  QTimer::singleShot(0, this, [this] { Run([this] { EndWhenNoMessageShows(); }); });
}

void TfrmMainForm::EndWhenNoMessageShows() {
  // A box that is up (the next folder error, a failed write) is read first.
  if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr) {
    QTimer::singleShot(100, this, [this] { Run([this] { EndWhenNoMessageShows(); }); });
    return;
  }
  Exit2Click();
}

void TfrmMainForm::FeedRead(std::chrono::system_clock::time_point when) {
  lastFeedRead_ = when;
  refreshFailedSince_ = false;
  ShowFeedAge();
}

void TfrmMainForm::RefreshFailed() {
  refreshFailedSince_ = true;
  ShowFeedAge();
}

void TfrmMainForm::ShowFeedAge() {
  FeedAge age;
  if (lastFeedRead_) age.lastRead = LocalMoment(*lastFeedRead_);
  age.failedSince = refreshFailedSince_;
  const QString text = ToQString(FeedAgeText(age, static_cast<long>(QDate::currentDate().toJulianDay())));
  if (text == feedAgeText_->text()) return;
  feedAgeText_->setText(text);
  // Read out as it changes: the label's text is its name.
  feedAgeText_->setAccessibleName(text);
  JvTrayIcon1_->setToolTip(ToQString(TrayToolTipText(ToStdString(text))));
}

void TfrmMainForm::ShowThumbnailProgress(int done, int total) {
  thumbnailProgress_->setRange(0, total);
  thumbnailProgress_->setValue(done);
  thumbnailProgress_->show();
}

void TfrmMainForm::HideThumbnailProgress() { thumbnailProgress_->hide(); }

IBannerBrowser& TfrmMainForm::BannerBrowser() { return *bannerBrowser_; }

IRefreshInterval& TfrmMainForm::RefreshInterval() { return *refreshInterval_; }

// --- The chart request box and the site links ---

void TfrmMainForm::ConnectChartBoxAndSiteLinks() {
  connect(btnCreateChart_, &QPushButton::clicked, this, [this] { Run([this] { btnCreateChartClick(); }); });
  // Return in the ticker box acts as "GO!", as in any search box.
  connect(txtTicker_, &QLineEdit::returnPressed, this, [this] { Run([this] { btnCreateChartClick(); }); });
  connect(btnContact_, &QPushButton::clicked, this, [this] { Run([this] { btnContactClick(); }); });
  Image1_->installEventFilter(this);
}

bool TfrmMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Run([this] { Image1Click(); });
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmMainForm::btnCreateChartClick() {
  // The ticker exactly as typed: the chart server gets what the user sees.
  const QByteArray ticker = txtTicker_->text().toUtf8();
  browser_.OpenUrl(ChartRequestUrl(build::ChartServer, std::string_view(ticker.constData(), ticker.size()),
                                   cbChartType_->currentIndex()));
}

void TfrmMainForm::Image1Click() { browser_.OpenUrl(std::string(build::WebSite) + "/"); }

void TfrmMainForm::btnContactClick() { browser_.OpenUrl(std::string(build::SupportSite) + "/"); }

}  // namespace quarlen

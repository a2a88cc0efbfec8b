#include "app/ui/TfrmMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>

#include "app/ui/Artwork.h"
#include "feeds/ArticleActions.h"
#include "platform/BuildConfig.h"
#include "platform/ConfigFolder.h"
#include "net/HttpProfile.h"
#include "platform/OsDescription.h"
#include "view/Banner.h"
#include "view/ChartRequest.h"
#include "view/ui/ArticleGrid.h"
#include "view/ui/BannerBrowser.h"
#include "view/ui/ArticleGridActions.h"
#include "view/ui/SilentBrowser.h"

namespace quarlen {

namespace {
constexpr int ClientWidth = 768;
constexpr int ClientHeight = 529;
constexpr int StatusBarHeight = 19;
constexpr int ThumbnailProgressWidth = 64;
const QColor WindowColour(0xB0, 0xCE, 0xF1);

QFont WindowFont() {
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(8);
  font.setBold(true);
  return font;
}

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }
}  // namespace

TfrmMainForm::TfrmMainForm(MainFormEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)) {
  FormCreate();
}

TfrmMainForm::~TfrmMainForm() {
  // FormDestroy: the store's lists and the channel links go with their owners.
  if (JvTrayIcon1 != nullptr) JvTrayIcon1->hide();
}

void TfrmMainForm::FormCreate() {
  ProgramVersion = build::ProgramVersion;
  UserAgent = MakeUserAgent(ProgramVersion, DescribeOperatingSystem());
  setWindowTitle(Q("Quarlen Messenger " + ProgramVersion));
  store_ = std::make_unique<ArticleStore>(environment_.configFolder, *this, [this] { QuitAtNextTurn(); });
  Exiting = false;
  BrowserPath = environment_.browserPath;
  // The main client keeps the window alive while it waits; its pump is the
  // program's one message pump.
  IdHTTP1_ = std::make_unique<THttpClient>(THttpClientKind::MainClient, [] { QCoreApplication::processEvents(); });

  setWindowIcon(ApplicationIcon());
  // A single frame: system menu, minimise and close, no maximise, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, WindowColour);
  setPalette(palette);
  setAutoFillBackground(true);
  setFont(WindowFont());

  BuildLayout();
  BuildMenus();
  BuildTimers();
  BuildTrayIcon();
  ConnectChartBoxAndSiteLinks();

  // The menu bar sits above the client area, which holds the status bar.
  setFixedSize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }

  // No event loop runs yet, so a failure here is shown at once instead of
  // taking the program down before its window exists.
  try {
    FillArticleGrid();
  } catch (const std::exception& error) {
    ShowMessage(error.what());
  }
}

void TfrmMainForm::FillArticleGrid() { grdArticles->FillArticleGrid(); }

void TfrmMainForm::BuildLayout() {
  clientArea = new QWidget(this);
  clientArea->setFixedSize(ClientWidth, ClientHeight - StatusBarHeight);
  setCentralWidget(clientArea);

  // The grid places itself and its header panels.
  grdArticles = new ArticleGrid(*store_, clientArea);
  grdArticles->setObjectName("grdArticles");

  // "&&" shows one "&"; a single one would underline the next letter instead.
  sGroupBox4 = new QGroupBox(QStringLiteral("FREE Charts && RT News"), clientArea);
  sGroupBox4->setObjectName("sGroupBox4");
  sGroupBox4->setGeometry(384, 0, 201, 73);
  QPalette white;
  white.setColor(QPalette::Base, Qt::white);
  white.setColor(QPalette::Text, Qt::black);
  txtTicker = new QLineEdit(QStringLiteral("QQQQ"), sGroupBox4);
  txtTicker->setObjectName("txtTicker");
  txtTicker->setGeometry(6, 15, 89, 21);
  txtTicker->setPalette(white);
  cbChartType = new QComboBox(sGroupBox4);
  cbChartType->setObjectName("cbChartType");
  cbChartType->setGeometry(102, 15, 89, 21);
  cbChartType->addItems({QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Intraday"),
                         QStringLiteral("P&F")});
  cbChartType->setCurrentIndex(0);
  cbChartType->setEditable(false);
  cbChartType->setPalette(white);
  btnCreateChart = new QPushButton(QStringLiteral("GO!"), sGroupBox4);
  btnCreateChart->setObjectName("btnCreateChart");
  btnCreateChart->setGeometry(5, 42, 188, 23);

  sGroupBox3 = new QGroupBox(clientArea);
  sGroupBox3->setObjectName("sGroupBox3");
  sGroupBox3->setGeometry(3, 340, 377, 143);
  // The banner never reads from or writes to a cache, and never asks anything;
  // the channel tabs share its profile.
  bannerProfile_ = MakeCachelessProfile(this);
  bannerBrowser_ = std::make_unique<quarlen::BannerBrowser>(bannerProfile_, sGroupBox3);
  wbMidnight = bannerBrowser_->View();
  wbMidnight->setObjectName("wbMidnight");
  wbMidnight->setGeometry(8, 16, 353, 121);

  btnContact = new QPushButton(QStringLiteral("Contact Quarlen!"), clientArea);
  btnContact->setObjectName("btnContact");
  btnContact->setGeometry(3, 486, 377, 22);

  Image1 = new QLabel(clientArea);
  Image1->setObjectName("Image1");
  Image1->setGeometry(588, 0, 181, 81);
  Image1->setPixmap(LogoImage());
  Image1->setCursor(Qt::PointingHandCursor);

  tabsChannels = new QTabWidget(clientArea);
  tabsChannels->setObjectName("tabsChannels");
  tabsChannels->setGeometry(384, 80, 385, 428);

  statusBar()->setObjectName("sStatusBar1");
  statusBar()->setFixedHeight(StatusBarHeight);
  statusBar()->setSizeGripEnabled(false);
  // A permanent label, not a status-bar message: Qt clears its messages
  // whenever a menu item is hovered, and this text must stay until the
  // program sets another. Its size policy lets a long text be cut by the
  // window's width instead of pushing the progress bar out.
  statusText = new QLabel(QStringLiteral("Ready"), statusBar());
  statusText->setObjectName("sStatusBar1Text");
  statusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusText->setMinimumWidth(0);
  statusBar()->addPermanentWidget(statusText, 1);
  thumbnailProgress = new QProgressBar(statusBar());
  thumbnailProgress->setFixedSize(ThumbnailProgressWidth, 14);
  thumbnailProgress->setFormat(QStringLiteral("%v/%m"));
  thumbnailProgress->setTextVisible(true);
  statusBar()->addPermanentWidget(thumbnailProgress, 0);
  thumbnailProgress->hide();
}

void TfrmMainForm::BuildMenus() {
  auto add = [this](QMenu* menu, const char* caption, auto handler) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  auto fetch = [this] { Run(handlers_.fetchRSS); };
  auto updates = [this] { Run(handlers_.checkForUpdates); };
  auto notification = [this] { Run(handlers_.notificationSettings); };

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  add(PopupMenu1, "Open Message Browser", [this] { OpenMessageBrowser2Click(); });
  add(PopupMenu1, "Check For New Messages", fetch);
  add(PopupMenu1, "Check For Updates", updates);
  PopupMenu1->addSeparator();
  add(PopupMenu1, "Change Notification Settings", notification);
  PopupMenu1->addSeparator();
  add(PopupMenu1, "Exit", [this] { Exit2Click(); });

  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  add(file, "Check For New Messages", fetch);
  add(file, "Check For Updates", updates);
  file->addSeparator();
  add(file, "Exit", [this] { Exit2Click(); });
  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  add(options, "Change Notification Settings", notification);
  add(options, "Network Settings", [this] { Run(handlers_.networkSettings); });
  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  add(help, "About...", [this] {
    QMessageBox::information(this, QStringLiteral("Quarlen Messenger"),
                             Q(AboutText(build::FeedServer)));
  });
}

void TfrmMainForm::BuildTimers() {
  timerFetchRSS.setInterval(30 * 60000);
  timerStartup.setInterval(10000);
  timerCheckForUpdates.setInterval(3600000);
  timerRefreshBanners.setInterval(60000);
  connect(&timerFetchRSS, &QTimer::timeout, this, [this] { Run(handlers_.fetchRSS); });
  connect(&timerStartup, &QTimer::timeout, this, [this] { timerStartupTimer(); });
  connect(&timerCheckForUpdates, &QTimer::timeout, this, [this] { Run(handlers_.checkForUpdates); });
  connect(&timerRefreshBanners, &QTimer::timeout, this, [this] { Run(handlers_.refreshBanner); });
}

void TfrmMainForm::BuildTrayIcon() {
  JvTrayIcon1 = new QSystemTrayIcon(QIcon(TrayIconImage(0)), this);
  JvTrayIcon1->setToolTip(QStringLiteral("Quarlen Messenger"));
  JvTrayIcon1->setContextMenu(PopupMenu1);
  connect(JvTrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) ShowFromTray();
  });
}

void TfrmMainForm::AttachArticleActions(ArticleActions& actions) {
  articleActions_ = &actions;
  gridActions_ = new ArticleGridActions(*grdArticles, actions, [this] { Run(handlers_.fetchRSS); });
  connect(JvTrayIcon1, &QSystemTrayIcon::messageClicked, this, [this] { JvTrayIcon1BalloonClick(); });
}

void TfrmMainForm::JvTrayIcon1BalloonClick() {
  if (articleActions_ == nullptr || !articleActions_->HasArticles()) return;
  // The balloon announced the newest article; whatever row was selected before.
  articleActions_->OpenArticleLink(0);
  grdArticles->SetCurrentRow(0);
  articleActions_->MarkArticleRead(0);
}

void TfrmMainForm::OpenMessageBrowser2Click() { ShowFromTray(); }

void TfrmMainForm::timerStartupTimer() {
  timerStartup.stop();
  Run(handlers_.checkForUpdates);
  Run(handlers_.fetchRSS);
}

void TfrmMainForm::CompleteStartup() {
  if (!EnsureFolderExists(environment_.configFolder)) {
    ShowMessage("Error creating config folder: " + environment_.configFolder);
    QuitAtNextTurn();
  }
  JvTrayIcon1->show();
  timerFetchRSS.start();
  timerRefreshBanners.start();
  timerStartup.start();
  timerCheckForUpdates.start();
}

void TfrmMainForm::Run(const std::function<void()>& handler) {
  if (handler) handler();
}

void TfrmMainForm::AddExitHook(std::function<void()> hook) { exitHooks_.push_back(std::move(hook)); }

void TfrmMainForm::Exit2Click() {
  Exiting = true;
  // Settings are written once more; the article store was saved at its last change.
  for (auto& hook : exitHooks_) hook();
  exitHooks_.clear();
  if (JvTrayIcon1 != nullptr) JvTrayIcon1->hide();
  std::fflush(nullptr);
  if (environment_.endProcess) {
    environment_.endProcess(0);
    return;
  }
  // At once, even from inside a request's message pump: nothing after this may
  // run, and the embedded browser's processes end with their parent.
  std::_Exit(0);
}

bool TfrmMainForm::TrayShowsIcon() const {
  const bool available = environment_.hasTray ? environment_.hasTray() : QSystemTrayIcon::isSystemTrayAvailable();
  return available && JvTrayIcon1 != nullptr && JvTrayIcon1->isVisible();
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
  showNormal();
  raise();
  activateWindow();
}

void TfrmMainForm::closeEvent(QCloseEvent* event) {
  if (Exiting) {
    event->accept();
    return;
  }
  event->ignore();
  HideToTray();
}

void TfrmMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) Run(handlers_.refreshBanner);
}

void TfrmMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimising hides the window and its taskbar button; the tray icon stays.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayShowsIcon()) {
    QTimer::singleShot(0, this, [this] { hide(); });
  }
}

void TfrmMainForm::SetStatusText(const std::string& text) {
  statusText->setText(Q(text));
  for (const auto& observer : statusObservers_) observer(text);
}

void TfrmMainForm::AddStatusObserver(std::function<void(const std::string&)> observer) {
  statusObservers_.push_back(std::move(observer));
}

void TfrmMainForm::ShowMessage(const std::string& text) {
  QMessageBox::information(isVisible() ? this : nullptr, QStringLiteral("Quarlen Messenger"), Q(text));
}

bool TfrmMainForm::Confirm(const std::string& title, const std::string& question) {
  return QMessageBox::question(isVisible() ? this : nullptr, Q(title), Q(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TfrmMainForm::SetIconIndex(int index) {
  trayIconIndex_ = index == 1 ? 1 : 0;
  JvTrayIcon1->setIcon(QIcon(TrayIconImage(trayIconIndex_)));
}

void TfrmMainForm::ShowBalloon(const std::string& title, const std::string& text) {
  JvTrayIcon1->showMessage(Q(title), Q(text), QSystemTrayIcon::Information, 10000);
}

void TfrmMainForm::Beep() { QApplication::beep(); }

void TfrmMainForm::BringToFront() {
  raise();
  activateWindow();
}

void TfrmMainForm::SetTickerText(const std::string& text) { txtTicker->setText(Q(text)); }

void TfrmMainForm::ProcessMessages() {
  if (const THttpClient::MessagePump& pump = IdHTTP1_->Pump()) pump();
}

void TfrmMainForm::EndProgramNow() { Exit2Click(); }

void TfrmMainForm::QuitAtNextTurn() {
  // A timer rather than a queued quit: a quit is eaten by the first nested
  // loop (a message box, a request's pump) or lost before exec(), and closing
  // the window only hides it into the tray. A timer fires in any loop.
  if (terminateRequested_) return;
  terminateRequested_ = true;
  QTimer::singleShot(0, this, [this] { EndWhenNoMessageShows(); });
}

void TfrmMainForm::EndWhenNoMessageShows() {
  // A box that is up (the next folder error, a failed write) is read first.
  if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr) {
    QTimer::singleShot(100, this, [this] { EndWhenNoMessageShows(); });
    return;
  }
  Exit2Click();
}

void TfrmMainForm::ShowThumbnailProgress(int done, int total) {
  thumbnailProgress->setRange(0, total);
  thumbnailProgress->setValue(done);
  thumbnailProgress->show();
}

void TfrmMainForm::HideThumbnailProgress() { thumbnailProgress->hide(); }

IBannerBrowser& TfrmMainForm::BannerBrowser() { return *bannerBrowser_; }

void TfrmMainForm::OpenUrl(const std::string& url) {
  // Never through a shell: the URL is one argument, whatever it holds.
  if (BrowserPath.empty()) return;
  QProcess::startDetached(Q(BrowserPath), {Q(url)});
}

// --- The chart request box and the site links ---

void TfrmMainForm::ConnectChartBoxAndSiteLinks() {
  connect(btnCreateChart, &QPushButton::clicked, this, [this] { btnCreateChartClick(); });
  // Return in the ticker box acts as "GO!", as in any search box.
  connect(txtTicker, &QLineEdit::returnPressed, this, [this] { btnCreateChartClick(); });
  connect(btnContact, &QPushButton::clicked, this, [this] { btnContactClick(); });
  Image1->installEventFilter(this);
}

bool TfrmMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Image1Click();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmMainForm::btnCreateChartClick() {
  // The ticker exactly as typed: the chart server gets what the user sees.
  const QByteArray ticker = txtTicker->text().toUtf8();
  OpenUrl(ChartRequestUrl(build::ChartServer, std::string_view(ticker.constData(), ticker.size()),
                          cbChartType->currentIndex()));
}

void TfrmMainForm::Image1Click() { OpenUrl(std::string(build::WebSite) + "/"); }

void TfrmMainForm::btnContactClick() { OpenUrl(std::string(build::SupportSite) + "/"); }

void TfrmMainForm::sGroupBox2Click() { OpenUrl(std::string(build::ForumSite) + "/"); }

void TfrmMainForm::sLabel1Click() { OpenUrl(std::string(build::ForumSite) + "/"); }

}  // namespace quarlen

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/ui/MessengerApp.h"
#include "app/ui/TfrmMainForm.h"
#include "feeds/ArticleActions.h"
#include "feeds/ArticleStore.h"
#include "platform/ui/PageViews.h"
#include "view/ui/ArticleGrid.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("mainform-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / ".config");
    env_.applicationDataFolder = (root_ / ".config").string();
    env_.configFolder = env_.applicationDataFolder + "/QuarlenMessenger/";
    env_.browserPath = "/bin/true";
    // Every message box is read and closed, as a user would.
    QObject::connect(&closer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes_ << box->text();
        box->accept();
      }
    });
    closer_.start(20);
  }
  void TearDown() override { fs::remove_all(root_); }

  // The window as MessengerApp makes it: on a store that reports through it.
  TfrmMainForm& MakeForm() {
    store_ = std::make_unique<ArticleStore>(
        env_.configFolder, [this](const std::string& t) { form_->ShowMessage(t); },
        [this] { form_->QuitAtNextTurn(); });
    form_ = std::make_unique<TfrmMainForm>(
        MainFormSetup{*store_, pages_, runner_, browser_, QUARLEN_PROGRAM_VERSION, env_.endProcess, env_.hasTray});
    form_->FillArticleGridAtStart();
    return *form_;
  }

  fs::path root_;
  MainFormEnvironment env_;
  CommandRunner runner_;
  BrowserUrlOpener browser_{"/bin/true"};
  QTimer closer_;
  QStringList boxes_;
  PageViews pages_;
  std::unique_ptr<ArticleStore> store_;
  std::unique_ptr<TfrmMainForm> form_;
};

// The window's timers and controls, found by their names.
template <class T = QWidget>
T* Child(const QObject& form, const char* name) {
  return form.findChild<T*>(QString::fromLatin1(name));
}

// The captions as shown, without the access-key marks.
QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions())
    captions << (action->isSeparator() ? "-" : QString(action->text()).remove('&'));
  return captions;
}

// Each item of a menu has an access key of its own.
void ExpectOwnAccessKeys(const QMenu* menu) {
  QSet<QChar> keys;
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    const QString text = action->text();
    const qsizetype mark = text.indexOf('&');
    ASSERT_TRUE(mark >= 0 && mark + 1 < text.size()) << text.toStdString();
    EXPECT_FALSE(keys.contains(text[mark + 1].toLower())) << text.toStdString();
    keys.insert(text[mark + 1].toLower());
  }
}

TEST_F(MainFormTest, HasTheFixedWindowProperties) {
  TfrmMainForm& form = MakeForm();
  EXPECT_EQ(form.windowTitle(), "Quarlen Messenger " QUARLEN_PROGRAM_VERSION);
  EXPECT_FALSE(form.Exiting());
  EXPECT_EQ(Child<QLabel>(form, "sStatusBar1Text")->text(), "Ready");
  EXPECT_EQ(form.statusBar()->height(), 19);
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0xB0, 0xCE, 0xF1));
  // Verdana, or where it is missing the substitute of the same proportions.
  EXPECT_TRUE(QFontInfo(form.font()).family() == "Verdana" || QFontInfo(form.font()).family() == "DejaVu Sans")
      << QFontInfo(form.font()).family().toStdString();
  EXPECT_EQ(form.font().pointSize(), 8);
  EXPECT_TRUE(form.font().bold());
  // Fixed size: client 768 x 529 below the menu bar; no maximise button.
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.width(), 768);
  EXPECT_EQ(form.height() - form.menuBar()->sizeHint().height(), 529);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(MainFormTest, PlacesEveryRegionOfTheLayout) {
  TfrmMainForm& form = MakeForm();
  const std::pair<const char*, QRect> regions[] = {
      {"sGroupBox4", {384, 0, 201, 73}},    {"txtTicker", {6, 15, 89, 21}},     {"cbChartType", {102, 15, 89, 21}},
      {"btnCreateChart", {5, 42, 188, 23}}, {"sGroupBox3", {3, 340, 377, 143}}, {"wbMidnight", {8, 16, 353, 121}},
      {"btnContact", {3, 486, 377, 22}},    {"Image1", {588, 0, 181, 81}},      {"tabsChannels", {384, 80, 385, 428}},
  };
  for (const auto& [name, geometry] : regions) {
    ASSERT_NE(Child(form, name), nullptr) << name;
    EXPECT_EQ(Child(form, name)->geometry(), geometry) << name;
  }
  EXPECT_EQ(Child<QGroupBox>(form, "sGroupBox4")->title(), "FREE Charts && RT News");  // shown as one "&"
  EXPECT_EQ(Child<QLineEdit>(form, "txtTicker")->text(), "QQQQ");
  QStringList types;
  const auto* cbChartType = Child<QComboBox>(form, "cbChartType");
  for (int i = 0; i < cbChartType->count(); ++i) types << cbChartType->itemText(i);
  EXPECT_EQ(types, QStringList({"Daily", "Weekly", "Intraday", "P&F"}));
  EXPECT_EQ(cbChartType->currentIndex(), 0);
  EXPECT_FALSE(cbChartType->isEditable());
  EXPECT_EQ(Child<QPushButton>(form, "btnCreateChart")->text(), "GO!");
  EXPECT_EQ(Child<QPushButton>(form, "btnContact")->text(), "Contact Quarlen!");
  EXPECT_EQ(Child<QTabWidget>(form, "tabsChannels")->count(), 0);
  EXPECT_FALSE(Child<QLabel>(form, "Image1")->pixmap().isNull());
}

TEST_F(MainFormTest, MenusHoldEveryCaptionInOrder) {
  TfrmMainForm& form = MakeForm();
  EXPECT_EQ(Captions(Child<QMenu>(form, "PopupMenu1")),
            QStringList({"Open Message Browser", "Check For New Messages", "Check For Updates", "-",
                         "Change Notification Settings", "-", "Exit"}));
  const auto menus = form.menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(Captions(menus[0]->menu()), QStringList({"Check For New Messages", "Check For Updates", "-", "Exit"}));
  EXPECT_EQ(menus[1]->text(), "&Options");
  EXPECT_EQ(Captions(menus[1]->menu()), QStringList({"Change Notification Settings", "Network Settings"}));
  EXPECT_EQ(menus[2]->text(), "&Help");
  EXPECT_EQ(Captions(menus[2]->menu()), QStringList({"About..."}));
  for (const QMenu* menu : {Child<QMenu>(form, "PopupMenu1"), menus[0]->menu(), menus[1]->menu(), menus[2]->menu()})
    ExpectOwnAccessKeys(menu);

  // The menus are reached from the keyboard (on a real display: the offscreen
  // platform does not turn Alt+letter into the menu bar's access keys).
  if (QGuiApplication::platformName() == "offscreen") return;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  // A bare X server has no window manager to make the window active.
  QApplication::setActiveWindow(&form);
  const struct {
    QKeyCombination key;
    int menu;
  } keys[] = {{Qt::ALT | Qt::Key_F, 0}, {Qt::ALT | Qt::Key_O, 1}, {Qt::ALT | Qt::Key_H, 2}, {Qt::Key_F10, 0}};
  for (const auto& k : keys) {
    QTest::keyClick(&form, k.key.key(), k.key.keyboardModifiers());
    EXPECT_TRUE(QTest::qWaitFor([&] { return menus[k.menu]->menu()->isVisible(); }, 2000)) << k.menu;
    menus[k.menu]->menu()->close();
    form.menuBar()->setActiveAction(nullptr);
    QTest::qWait(50);
  }
}

TEST_F(MainFormTest, MenuItemsRunTheirCommands) {
  TfrmMainForm& form = MakeForm();
  QStringList ran;
  // A failing command shows its message; the commands after it still run.
  form.SetCommandHandlers({.fetchRSS = [&] { ran << "fetch"; },
                           .checkForUpdates = [&] { ran << "updates"; },
                           .notificationSettings =
                               [&] {
                                 ran << "notification";
                                 throw std::runtime_error("Disk full");
                               },
                           .networkSettings = [&] { ran << "network"; }});
  for (QAction* action : Child<QMenu>(form, "PopupMenu1")->actions()) {
    if (action->text() != "E&xit" && !action->isSeparator()) action->trigger();
  }
  for (QAction* menu : form.menuBar()->actions()) {
    for (QAction* action : menu->menu()->actions()) {
      if (action->text() != "E&xit" && action->text() != "&About..." && !action->isSeparator()) action->trigger();
    }
  }
  EXPECT_EQ(ran, QStringList({"fetch", "updates", "notification", "fetch", "updates", "notification", "network"}));
  EXPECT_EQ(boxes_, QStringList({"Disk full", "Disk full"}));
}

TEST_F(MainFormTest, TimersStartOnlyWithCompleteStartup) {
  TfrmMainForm& form = MakeForm();
  EXPECT_EQ(form.timerFetchRSS().interval(), 1800000);
  EXPECT_EQ(Child<QTimer>(form, "timerStartup")->interval(), 10000);
  EXPECT_EQ(Child<QTimer>(form, "timerCheckForUpdates")->interval(), 3600000);
  EXPECT_EQ(Child<QTimer>(form, "timerRefreshBanners")->interval(), 60000);
  for (const char* timer :
       {"timerFetchRSS", "timerStartup", "timerCheckForUpdates", "timerRefreshBanners", "timerRefreshChannel"}) {
    EXPECT_FALSE(Child<QTimer>(form, timer)->isActive());
  }
  EXPECT_FALSE(Child<QSystemTrayIcon>(form, "JvTrayIcon1")->isVisible());
  form.CompleteStartup();
  EXPECT_TRUE(Child<QSystemTrayIcon>(form, "JvTrayIcon1")->isVisible());
  EXPECT_TRUE(fs::is_directory(env_.configFolder));
  EXPECT_TRUE(form.timerFetchRSS().isActive());
  EXPECT_TRUE(Child<QTimer>(form, "timerStartup")->isActive());
  EXPECT_TRUE(Child<QTimer>(form, "timerCheckForUpdates")->isActive());
  EXPECT_TRUE(Child<QTimer>(form, "timerRefreshBanners")->isActive());
  EXPECT_FALSE(form.timerRefreshChannel().isActive());
}

TEST_F(MainFormTest, StartupTimerFiresOnceWithUpdatesBeforeTheFirstRefresh) {
  TfrmMainForm& form = MakeForm();
  QStringList ran;
  // A failing update check is shown; the refresh runs all the same.
  form.SetCommandHandlers({.fetchRSS = [&] { ran << "fetch"; },
                           .checkForUpdates =
                               [&] {
                                 ran << "updates";
                                 throw 0;
                               }});
  form.CompleteStartup();
  QTimer* timerStartup = Child<QTimer>(form, "timerStartup");
  timerStartup->setInterval(10);
  QTest::qWait(200);
  EXPECT_FALSE(timerStartup->isActive());
  EXPECT_EQ(ran, QStringList({"updates", "fetch"}));
  EXPECT_EQ(boxes_, QStringList({"Unknown error"}));
}

TEST_F(MainFormTest, ClosingKeepsTheProgramRunning) {
  TfrmMainForm& form = MakeForm();
  int banners = 0;
  form.SetCommandHandlers({.refreshBanner = [&] { ++banners; }});
  form.CompleteStartup();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(banners, 1);  // showing the window reloads the banner
  form.hide();
  form.ShowFromTray();
  EXPECT_EQ(banners, 2);  // and so does every showing from the tray
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_FALSE(form.close());  // the close is cancelled
  QTest::qWait(50);
  // Hidden into the tray where there is one, minimised where there is none.
  EXPECT_TRUE(!form.isVisible() || form.isMinimized());
  EXPECT_TRUE(form.timerFetchRSS().isActive());
  form.ShowFromTray();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

// A config folder that cannot be made (a plain file stands in its place):
// each check shows its box, and once the last box is closed the program ends
// as Exit does, from whatever loop runs, with the exit work done.
TEST_F(MainFormTest, UncreatableConfigFolderEndsTheProgramAfterItsMessages) {
  std::ofstream(root_ / ".config" / "QuarlenMessenger") << "not a folder";
  std::vector<int> ended;
  env_.endProcess = [&](int code) { ended.push_back(code); };
  const QString message = QString::fromStdString("Error creating config folder: " + env_.configFolder);

  TfrmMainForm& form = MakeForm();  // loading the lists checks first
  EXPECT_EQ(boxes_, QStringList({message}));
  int exitHooks = 0;
  form.AddExitHook([&] { ++exitHooks; });
  if (EnsureConfigFolderOrQuit(env_.configFolder, form)) form.CompleteStartup();  // the start-up check shows its box
  EXPECT_EQ(boxes_, QStringList({message, message}));
  // The program is ending: no timer starts work.
  EXPECT_FALSE(Child<QTimer>(form, "timerStartup")->isActive());
  EXPECT_FALSE(Child<QTimer>(form, "timerFetchRSS")->isActive());
  EXPECT_TRUE(ended.empty()) << "not before the next turn of a loop";
  QTest::qWait(300);
  EXPECT_EQ(ended, std::vector<int>({0}));
  EXPECT_EQ(exitHooks, 1);
  EXPECT_TRUE(form.Exiting());
}

// The exit work may hold a loop of its own (a box about a settings file that
// can't be written): no timer or command may run from it, and Exit is not
// entered twice.
TEST_F(MainFormTest, NothingRunsWhileTheExitWorkWaits) {
  std::vector<int> ended;
  env_.endProcess = [&](int code) { ended.push_back(code); };
  TfrmMainForm& form = MakeForm();
  QStringList ran;
  form.SetCommandHandlers({.fetchRSS = [&] { ran << "fetch"; },
                           .checkForUpdates = [&] { ran << "updates"; },
                           .refreshBanner = [&] { ran << "banner"; }});
  form.CompleteStartup();
  for (const char* timer : {"timerStartup", "timerFetchRSS", "timerRefreshBanners"})
    Child<QTimer>(form, timer)->setInterval(5);
  form.AddExitHook([&] {
    form.Exit2Click();
    QTest::qWait(200);
  });
  form.Exit2Click();
  EXPECT_EQ(ran, QStringList());
  EXPECT_EQ(ended, std::vector<int>({0}));
}

// The exit waits for the work under way (the list saves): meanwhile no
// command runs, a second exit does nothing, the UI thread's queued tasks
// (the saves' reports) still run, and the window is gone; once the wait is
// over the exit work runs and the process ends, once.
TEST_F(MainFormTest, TheExitWaitsForTheWorkUnderWayAndEndsOnce) {
  std::vector<int> ended;
  env_.endProcess = [&](int code) { ended.push_back(code); };
  TfrmMainForm& form = MakeForm();
  QStringList ran;
  form.SetCommandHandlers({.fetchRSS = [&] { ran << "fetch"; }});
  std::function<void()> finish;
  form.SetExitWait([&](std::function<void()> done) { finish = std::move(done); });
  int exitHooks = 0;
  form.AddExitHook([&] { ++exitHooks; });
  form.CompleteStartup();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  form.Exit2Click();
  EXPECT_TRUE(form.Exiting());
  EXPECT_FALSE(form.isVisible());
  form.Exit2Click();  // a second signal
  form.timerFetchRSS().setInterval(5);
  runner_.Run([&] { ran << "command"; });
  runner_.QueuedTasks().Run([&] { ran << "queued task"; });
  QTest::qWait(50);
  EXPECT_EQ(ran, QStringList({"queued task"}));
  EXPECT_EQ(exitHooks, 0);
  EXPECT_TRUE(ended.empty());

  ASSERT_TRUE(finish);
  finish();
  finish();  // the time limit after the saves
  EXPECT_EQ(exitHooks, 1);
  EXPECT_EQ(ended, std::vector<int>({0}));
  runner_.QueuedTasks().Run([&] { ran << "after the end"; });
  EXPECT_EQ(ran, QStringList({"queued task"}));
}

TEST_F(MainFormTest, WithATrayClosingAndMinimisingHideTheWindow) {
  env_.hasTray = [] { return true; };
  TfrmMainForm& form = MakeForm();
  form.CompleteStartup();
  for (const char* way : {"close", "minimise"}) {
    form.ShowFromTray();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    if (std::string(way) == "close") {
      EXPECT_FALSE(form.close());
    } else {
      form.showMinimized();
    }
    QTest::qWait(100);
    EXPECT_FALSE(form.isVisible()) << way;
  }
}

TEST_F(MainFormTest, TrayIconSwitchesBetweenItsTwoImages) {
  TfrmMainForm& form = MakeForm();
  EXPECT_EQ(form.TrayIconIndex(), 0);
  form.SetIconIndex(1);
  EXPECT_EQ(form.TrayIconIndex(), 1);
  EXPECT_FALSE(Child<QSystemTrayIcon>(form, "JvTrayIcon1")->icon().isNull());
  form.SetIconIndex(0);
  EXPECT_EQ(form.TrayIconIndex(), 0);
}

TEST_F(MainFormTest, StatusAndTickerTexts) {
  TfrmMainForm& form = MakeForm();
  // One line in a one-line bar; markup from a server is shown as it is.
  auto* status = Child<QLabel>(form, "sStatusBar1Text");
  const std::pair<const char*, const char*> texts[] = {
      {"Socket Error # 111\r\nConnection refused.", "Socket Error # 111 Connection refused."},
      {"a\nb\rc", "a b c"},
      {"<b>502</b>", "<b>502</b>"},
  };
  for (const auto& [text, shown] : texts) {
    form.SetStatusText(text);
    EXPECT_EQ(status->text(), shown);
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
  }
  form.SetStatusText("Fetching XML");
  EXPECT_EQ(Child<QLabel>(form, "sStatusBar1Text")->text(), "Fetching XML");
  // Hovering a menu item sends its empty status tip; the text stays.
  QStatusTipEvent tip{QString()};
  QApplication::sendEvent(&form, &tip);
  EXPECT_EQ(Child<QLabel>(form, "sStatusBar1Text")->text(), "Fetching XML");
  EXPECT_TRUE(Child<QLabel>(form, "sStatusBar1Text")->isVisibleTo(&form));

  // While thumbnails load, a small indicator at the right leaves the text all
  // the room the window has.
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_FALSE(Child<QProgressBar>(form, "thumbnailProgress")->isVisible());
  form.SetStatusText("Refreshing chart for http://127.0.0.1:8421/chart.php?s=QQQQ&p=d&w=86&h=60&chartstyle=line");
  form.ShowThumbnailProgress(3, 50);
  QApplication::processEvents();
  const QRect bar = Child<QProgressBar>(form, "thumbnailProgress")->geometry();
  EXPECT_TRUE(Child<QProgressBar>(form, "thumbnailProgress")->isVisible());
  EXPECT_LE(bar.width(), 80);
  // Right before the age field at the right end (below).
  const QRect ageField = Child<QLabel>(form, "sStatusBar1Age")->geometry();
  EXPECT_GE(bar.right(), ageField.left() - 12);
  EXPECT_GE(ageField.right(), form.statusBar()->width() - 12);
  EXPECT_GE(Child<QLabel>(form, "sStatusBar1Text")->width(),
            form.statusBar()->width() - bar.width() - ageField.width() - 24);
  EXPECT_LE(Child<QLabel>(form, "sStatusBar1Text")->geometry().right(), bar.left());
  // The age of the news keeps a field of its own at the right end, which no
  // status text replaces, and the tray's tooltip says the same.
  auto* age = Child<QLabel>(form, "sStatusBar1Age");
  EXPECT_EQ(age->text(), "Not updated yet");
  EXPECT_LE(bar.right(), age->geometry().left());
  const auto now = std::chrono::system_clock::now();
  form.FeedRead(now - std::chrono::hours(24 * 2));
  const QString older = age->text();
  form.FeedRead(now);
  form.SetStatusText("Connected");
  const QString today = age->text();
  EXPECT_TRUE(today.startsWith("Updated ")) << today.toStdString();
  EXPECT_GT(older.size(), today.size()) << "a read of another day shows its date: " << older.toStdString();
  form.RefreshFailed();
  EXPECT_EQ(age->text(), "Not updated since " + today.mid(QStringLiteral("Updated ").size()));
  EXPECT_EQ(age->accessibleName(), age->text());
  EXPECT_EQ(form.JvTrayIcon1().toolTip(), "Quarlen Messenger\n" + age->text());
  form.HideThumbnailProgress();
  EXPECT_FALSE(Child<QProgressBar>(form, "thumbnailProgress")->isVisible());
  form.SetTickerText("MSFT");
  EXPECT_EQ(Child<QLineEdit>(form, "txtTicker")->text(), "MSFT");
}

TEST_F(MainFormTest, BalloonClickOpensSelectsAndMarksTheNewestArticle) {
  struct Browser : IUrlOpener {
    std::vector<std::string> opened;
    void OpenUrl(const std::string& url) override { opened.push_back(url); }
  } browser;
  TfrmMainForm& form = MakeForm();
  ArticleStore& store = *store_;
  ArticleActions actions(
      store, [] { return false; }, browser, ServerEndpoints("http://f"), [&] { form.FillArticleGrid(); });
  form.AttachArticleActions(actions);
  form.ShowBalloon("New Quarlen article", "x");
  emit Child<QSystemTrayIcon>(form, "JvTrayIcon1")->messageClicked();  // an empty store: nothing happens
  store.url = {"http://n/0", "http://n/1"};
  store.ticker = store.subject = store.description = store.date = {"x", "y"};
  store.read = {"unread", "unread"};
  store.jvilRefreshCharts.assign(2, RgbImage(86, 60));
  store.SaveLists();
  form.FillArticleGrid();
  Child<ArticleGrid>(form, "grdArticles")->SetCurrentRow(1);
  // Qt reports clicks on other programs' notifications too: with no balloon
  // of Qt's out, nothing opens; one balloon opens one article.
  emit Child<QSystemTrayIcon>(form, "JvTrayIcon1")->messageClicked();
  EXPECT_TRUE(browser.opened.empty());
  form.ShowBalloon("New Quarlen article", "x");
  emit Child<QSystemTrayIcon>(form, "JvTrayIcon1")->messageClicked();
  emit Child<QSystemTrayIcon>(form, "JvTrayIcon1")->messageClicked();
  EXPECT_EQ(browser.opened, std::vector<std::string>{"http://f/redirect/redirect.php?url=http://n/0"});
  EXPECT_EQ(Child<ArticleGrid>(form, "grdArticles")->CurrentRow(), 0);
  EXPECT_EQ(store.read_view, (std::vector<std::string>{"read", "unread"}));
}

// Contrast of two colours as the accessibility guidelines define it, 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(MainFormTest, UnderADarkPaletteEveryTextItColoursStaysReadable) {
  const QPalette system = QApplication::palette();
  QPalette dark = system;
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    dark.setColor(group, QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(group, QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(group, QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(group, QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(group, QPalette::Button, QColor(0x45, 0x45, 0x45));
    dark.setColor(group, QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
  }
  QApplication::setPalette(dark);
  TfrmMainForm& form = MakeForm();
  // widget, text role, the role of what it is drawn on
  const std::tuple<QWidget*, QPalette::ColorRole, QPalette::ColorRole> texts[] = {
      {form.menuBar(), QPalette::ButtonText, QPalette::Window},
      {Child(form, "sPanel1"), QPalette::WindowText, QPalette::Window},
      {Child(form, "sPanel2"), QPalette::WindowText, QPalette::Window},
      {Child(form, "sGroupBox4"), QPalette::WindowText, QPalette::Window},
      {Child(form, "txtTicker"), QPalette::Text, QPalette::Base},
      {Child(form, "cbChartType"), QPalette::Text, QPalette::Base},
      {Child(form, "cbChartType"), QPalette::ButtonText, QPalette::Button},
      {Child(form, "btnCreateChart"), QPalette::ButtonText, QPalette::Button},
      {Child<QTabWidget>(form, "tabsChannels")->tabBar(), QPalette::WindowText, QPalette::Button},
      {Child(form, "sStatusBar1Text"), QPalette::WindowText, QPalette::Window},
      {Child<ArticleGrid>(form, "grdArticles")->grdArticles(), QPalette::Text, QPalette::Base},
  };
  for (const auto& [widget, text, ground] : texts) {
    ASSERT_NE(widget, nullptr);
    const QPalette& p = widget->palette();
    EXPECT_GE(Contrast(p.color(text), p.color(ground)), 4.5)
        << widget->objectName().toStdString() << " " << text << " on " << ground;
  }
  QApplication::setPalette(system);
}

}  // namespace
}  // namespace quarlen

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "settings/ui/TfrmSettings.h"
#include "tests/settings/ExampleSettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/ui/TimerInterval.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SpinEdit.h"
#include "tests/support/FakePorts.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::SizeIs;

constexpr int DesignInterval = 1800000;

class TfrmSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/settings-dialog-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = (folder_ / "KVTSettings.xml").string();
    // Exact remaining times; the production timer's type does not matter to the logic.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(DesignInterval);
  }
  void TearDown() override {
    dialog_.reset();
    store_.reset();
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  TfrmSettings& Create(const std::string& path = {}) {
    dialog_.reset();  // the old dialog writes through the old store at its end
    store_ = std::make_unique<SettingsStore>(path.empty() ? path_ : path,
                                             [this](const std::string& m) { reports_.push_back(m); });
    dialog_ = std::make_unique<TfrmSettings>(*store_, interval_, run_);
    return *dialog_;
  }
  void WriteFile(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
  std::string ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void SetText(SpinEdit* spin, const QString& text) { spin->findChild<QLineEdit*>()->setText(text); }

  fs::path folder_;
  std::string path_;
  QTimer timer_;
  TimerInterval interval_{timer_};
  test::FakeCommandRunner run_;
  std::vector<std::string> reports_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<TfrmSettings> dialog_;
};

TEST_F(TfrmSettingsTest, FormLayout) {
  TfrmSettings& d = Create();
  EXPECT_EQ(d.windowTitle(), "Notification Settings");
  EXPECT_GE(d.width(), 327);
  EXPECT_GE(d.height(), 280);
  EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "fixed dialog border";
  // Every caption has the room its font needs.
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
  for (const QCheckBox* box : {d.cbPlaySound, d.cbShowBaloon, d.cbShowBrowser}) {
    EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->text()) + box->iconSize().width())
        << box->text().toStdString();
    EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
  }
  for (const QLabel* label : d.grpRefresh->findChildren<QLabel*>()) {
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
  }
  d.hide();
  EXPECT_EQ(d.grpActions->title(), "Actions");
  EXPECT_EQ(d.grpRefresh->title(), "Refresh");
  EXPECT_EQ(d.cbPlaySound->text(), "Play sound when new articles are available");
  EXPECT_EQ(d.cbShowBaloon->text(), "Show baloon when new articles are available");
  EXPECT_EQ(d.cbShowBrowser->text(), "Show message browser when new articles are available");
  QStringList labels;
  for (const QLabel* label : d.grpRefresh->findChildren<QLabel*>()) labels << label->text();
  EXPECT_EQ(labels, QStringList({"Check for new articles every", "minutes.", "Keep latest", "articles."}));
  EXPECT_EQ(d.seRefreshInterval->MinValue(), 5);
  EXPECT_EQ(d.seRefreshInterval->MaxValue(), 60);
  EXPECT_EQ(d.seKeepArticles->MinValue(), 5);
  EXPECT_EQ(d.seKeepArticles->MaxValue(), 50);
  for (QPushButton* button : {d.btnOk, d.btnCancel}) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
  }
  EXPECT_EQ(d.btnOk->text(), "OK");
  EXPECT_EQ(d.btnCancel->text(), "Cancel");
}

TEST_F(TfrmSettingsTest, FirstRunShowsDefaultsAndOkWritesTheExampleFile) {
  TfrmSettings& d = Create();
  EXPECT_TRUE(d.cbPlaySound->isChecked());
  EXPECT_TRUE(d.cbShowBaloon->isChecked());
  EXPECT_TRUE(d.cbShowBrowser->isChecked());
  EXPECT_EQ(d.seRefreshInterval->Value(), 30);
  EXPECT_EQ(d.seKeepArticles->Value(), 20);
  EXPECT_EQ(timer_.interval(), 1800000);
  EXPECT_FALSE(timer_.isActive()) << "loading sets the interval; the main window starts the timer";
  EXPECT_FALSE(fs::exists(path_));

  QTimer::singleShot(0, d.btnOk, &QPushButton::click);
  EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
  EXPECT_EQ(ReadFile(), ExampleFile);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(TfrmSettingsTest, OkStoresTheControlsAndClampsThemOnReadBack) {
  TfrmSettings& d = Create();
  d.cbShowBaloon->setChecked(false);
  SetText(d.seRefreshInterval, "2");
  SetText(d.seKeepArticles, "500");
  d.btnOk->click();
  // Stored as typed, read back clamped.
  const std::string file = ReadFile();
  EXPECT_THAT(file, ::testing::HasSubstr("<ShowBaloon>FALSE</ShowBaloon>"));
  EXPECT_THAT(file, ::testing::HasSubstr("<RefreshInterval>2</RefreshInterval>"));
  EXPECT_THAT(file, ::testing::HasSubstr("<KeepArticles>500</KeepArticles>"));
  EXPECT_EQ(d.seRefreshInterval->text(), "5");
  EXPECT_EQ(d.seKeepArticles->text(), "50");
  EXPECT_EQ(timer_.interval(), 300000);

  SetText(d.seKeepArticles, "");
  d.btnOk->click();
  EXPECT_THAT(ReadFile(), ::testing::HasSubstr("<KeepArticles>5</KeepArticles>"))
      << "a cleared field stores the minimum";
}

TEST_F(TfrmSettingsTest, CancelRestoresTheStoredValues) {
  WriteFile("<Configuration><PlaySound>FALSE</PlaySound><KeepArticles>33</KeepArticles></Configuration>");
  TfrmSettings& d = Create();
  d.show();
  d.cbPlaySound->setChecked(true);
  d.cbShowBrowser->setChecked(false);
  SetText(d.seKeepArticles, "7");
  SetText(d.seRefreshInterval, "12");
  d.btnCancel->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_FALSE(d.cbPlaySound->isChecked());
  EXPECT_TRUE(d.cbShowBrowser->isChecked());
  EXPECT_EQ(d.seKeepArticles->Value(), 33);
  EXPECT_EQ(d.seRefreshInterval->Value(), 30);
  EXPECT_EQ(ReadFile(), "<Configuration><PlaySound>FALSE</PlaySound><KeepArticles>33</KeepArticles></Configuration>");
}

TEST_F(TfrmSettingsTest, ClosingByTheFrameKeepsTheEditsInForceUnstored) {
  TfrmSettings& d = Create();
  d.show();
  d.cbPlaySound->setChecked(false);
  SetText(d.seRefreshInterval, "10");
  SetText(d.seKeepArticles, "8");
  d.close();
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(d.PlaySound());
  EXPECT_EQ(d.KeepArticles(), 8);
  EXPECT_EQ(timer_.interval(), DesignInterval);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(TfrmSettingsTest, IntervalChangeRestartsTheTimerAndAnUnchangedOneDoesNot) {
  TfrmSettings& d = Create();
  timer_.start();
  QTest::qSleep(100);
  d.btnOk->click();  // 30 minutes confirmed again
  EXPECT_EQ(ReadFile(), ExampleFile);
  EXPECT_TRUE(timer_.isActive());
  EXPECT_LE(timer_.remainingTime(), DesignInterval - 90) << "the running countdown must go on";

  d.btnCancel->click();
  EXPECT_LE(timer_.remainingTime(), DesignInterval - 90);

  SetText(d.seRefreshInterval, "10");
  d.btnOk->click();
  EXPECT_EQ(timer_.interval(), 600000);
  EXPECT_TRUE(timer_.isActive());
  EXPECT_GT(timer_.remainingTime(), 600000 - 1000) << "a new interval counts from zero";
}

TEST_F(TfrmSettingsTest, StoredTextsLoadThroughConversionAndClamping) {
  struct Case {
    const char* playSound;
    const char* keepArticles;
    const char* refreshInterval;
    bool sound;
    int keep;
    int interval;
  } cases[] = {
      {"yes", "many", "2", true, 5, 5}, {"Y", "-3", "90", true, 5, 60}, {"1", "500", "15", true, 50, 15},
      {"no", "50", "", false, 50, 5},   {"0", "5", "60", false, 5, 60}, {"sometimes", "", "abc", false, 5, 5},
      {"", "21", "-1", false, 21, 5},
  };
  for (const Case& c : cases) {
    WriteFile(std::string("<Configuration><PlaySound>") + c.playSound + "</PlaySound><KeepArticles>" + c.keepArticles +
              "</KeepArticles><RefreshInterval>" + c.refreshInterval + "</RefreshInterval></Configuration>");
    TfrmSettings& d = Create();
    EXPECT_EQ(d.PlaySound(), c.sound) << c.playSound;
    EXPECT_EQ(d.seKeepArticles->Value(), c.keep) << c.keepArticles;
    EXPECT_EQ(d.seRefreshInterval->Value(), c.interval) << c.refreshInterval;
    EXPECT_EQ(timer_.interval(), c.interval * 60000);
    dialog_.reset();
  }
}

TEST_F(TfrmSettingsTest, HandEditedFileIsRewrittenAtProgramEndWithEveryKeyInPlace) {
  WriteFile(
      "<?xml version=\"1.0\"?>\n<Configuration>\n"
      "  <RefreshInterval>2</RefreshInterval>\n  <Extra>kept</Extra>\n"
      "  <KeepArticles>25</KeepArticles>\n  <ShowBaloon>no</ShowBaloon>\n</Configuration>\n");
  TfrmSettings& d = Create();
  EXPECT_EQ(d.seRefreshInterval->Value(), 5);
  EXPECT_EQ(timer_.interval(), 300000);
  EXPECT_FALSE(d.ShowBaloon());
  EXPECT_EQ(d.KeepArticles(), 25);
  dialog_.reset();  // program end
  EXPECT_EQ(ReadFile(),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>\r\n"
            "  <RefreshInterval>2</RefreshInterval>\r\n  <Extra>kept</Extra>\r\n"
            "  <KeepArticles>25</KeepArticles>\r\n  <ShowBaloon>no</ShowBaloon>\r\n</Configuration>\r\n");
}

TEST_F(TfrmSettingsTest, ProgramEndOnFirstRunWritesAnEmptyRoot) {
  Create();
  dialog_.reset();
  EXPECT_EQ(ReadFile(), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration/>\r\n");
}

TEST_F(TfrmSettingsTest, AccessorsReadTheControlsAtTheMomentOfUse) {
  TfrmSettings& d = Create();
  const INotificationSettings& live = d;
  d.cbPlaySound->setChecked(false);
  d.cbShowBaloon->setChecked(false);
  d.cbShowBrowser->setChecked(false);
  EXPECT_FALSE(live.PlaySound());
  EXPECT_FALSE(live.ShowBaloon());
  EXPECT_FALSE(live.ShowBrowser());
  d.cbShowBrowser->setChecked(true);
  EXPECT_TRUE(live.ShowBrowser());
  struct Case {
    const char* typed;
    int keep;
  } cases[] = {{"12", 12}, {"", 5}, {"0", 5}, {"3", 5}, {"99", 50}};
  for (const Case& c : cases) {
    SetText(d.seKeepArticles, c.typed);
    EXPECT_EQ(live.KeepArticles(), c.keep) << "typed \"" << c.typed << "\" in an open dialog";
  }
}

TEST_F(TfrmSettingsTest, UnreadableFileIsReportedAndTheDialogStaysOpen) {
  const std::string broken = "<Configuration><PlaySound>FALSE</PlaySound>";
  WriteFile(broken);
  TfrmSettings& d = Create();
  EXPECT_THAT(reports_, SizeIs(1));
  EXPECT_TRUE(d.PlaySound()) << "controls keep the form's values";
  EXPECT_EQ(timer_.interval(), DesignInterval);

  d.show();
  d.cbPlaySound->setChecked(false);
  d.btnOk->click();
  EXPECT_THAT(reports_, SizeIs(2));
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(d.PlaySound()) << "the edit survives the failed OK";
  d.btnCancel->click();
  EXPECT_THAT(reports_, SizeIs(3));
  EXPECT_TRUE(d.isVisible());

  dialog_.reset();
  EXPECT_EQ(ReadFile(), broken) << "program end leaves a file it could not read alone";
  EXPECT_THAT(reports_, SizeIs(3));
}

TEST_F(TfrmSettingsTest, UnwritableFileKeepsTheDialogOpenWithTheEdits) {
  std::ofstream(folder_ / "blocker") << "x";
  TfrmSettings& d = Create((folder_ / "blocker" / "KVTSettings.xml").string());
  EXPECT_TRUE(reports_.empty());
  d.show();
  SetText(d.seRefreshInterval, "15");
  d.btnOk->click();
  EXPECT_THAT(reports_, SizeIs(1));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.seRefreshInterval->text(), "15");
  EXPECT_EQ(timer_.interval(), DesignInterval) << "the read-back did not run";
  d.hide();
}

TEST_F(TfrmSettingsTest, EscapeDoesNotCloseTheDialog) {
  TfrmSettings& d = Create();
  d.show();
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_TRUE(d.isVisible());
  d.hide();
}

}  // namespace
}  // namespace quarlen

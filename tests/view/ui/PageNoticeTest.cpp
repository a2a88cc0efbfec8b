// A build without a page engine: the banner's area says the page cannot be
// shown and offers the user's browser for web addresses only.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/ui/PageViews.h"
#include "tests/support/FakePorts.h"
#include "view/Banner.h"
#include "view/ui/BannerBrowser.h"

namespace quarlen {
namespace {

TEST(PageNotice, OffersTheUsersBrowserForWebAddressesOnly) {
  const struct {
    const char* url;  // nullptr: the program's own HTML notice instead
    const char* text;
    std::vector<std::string> opened;  // after a click on the offer, when it shows
  } cases[] = {
      {"http://127.0.0.1:9/banner?id=1",
       "This page cannot be shown in this build.",
       {"http://127.0.0.1:9/banner?id=1"}},
      {"HTTPS://127.0.0.1:9/channel", "This page cannot be shown in this build.", {"HTTPS://127.0.0.1:9/channel"}},
      {"about:blank", "", {}},
      {"file:///etc/passwd", "", {}},
      {"http:", "", {}},
      {nullptr, "No connection to the Internet is currently available.", {}},
  };
  PageViews pages;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url ? c.url : "HTML");
    test::FakeUrlOpener browser;
    QWidget host;
    BannerBrowser banner(pages, &host, browser);
    // The page before was a web address: what follows replaces its offer.
    banner.Navigate("http://127.0.0.1:9/before");
    if (c.url != nullptr) {
      banner.Navigate(c.url);
    } else {
      banner.LoadHtml(NoConnectionHtml);
    }
    auto* open = banner.View()->findChild<QPushButton*>();
    auto* label = banner.View()->findChild<QLabel*>();
    ASSERT_NE(open, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(QTextDocumentFragment::fromHtml(label->text()).toPlainText().toStdString(), c.text);
    EXPECT_EQ(open->isVisibleTo(banner.View()), !c.opened.empty());
    if (open->isVisibleTo(banner.View())) QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(browser.opened, c.opened);
  }
}

}  // namespace
}  // namespace quarlen

#include "platform/ui/SilentBrowser.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/UiPorts.h"

namespace quarlen {
namespace {

struct Browser : IUrlOpener {
  std::vector<std::string> opened;
  void OpenUrl(const std::string& url) override { opened.push_back(url); }
};

// A click on a page that is one big link; the link and which links go out vary.
TEST(SilentBrowser, LinksTheUserFollowsOpenInTheUsersBrowser) {
  const struct {
    OutsideLinks which;
    const char* link;
    std::vector<std::string> opened;
  } cases[] = {
      {OutsideLinks::NewWindow, "target=_blank href='http://127.0.0.1:9/new'", {"http://127.0.0.1:9/new"}},
      {OutsideLinks::NewWindow, "href='http://127.0.0.1:9/same'", {}},
      {OutsideLinks::EveryUserLink, "href='https://127.0.0.1:9/same?a=1'", {"https://127.0.0.1:9/same?a=1"}},
      {OutsideLinks::EveryUserLink, "target=_blank href='file:///etc/passwd'", {}},
  };
  QWebEngineProfile profile;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    Browser browser;
    QWidget host;
    host.resize(300, 200);
    QWebEngineView* view = MakeSilentBrowser(&profile, &host, browser, c.which);
    view->setGeometry(0, 0, 300, 200);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    view->setHtml(QStringLiteral("<body style='margin:0'><a %1 style='display:block;width:300px;height:200px'>"
                                 "headline</a></body>")
                      .arg(QString::fromLatin1(c.link)),
                  QUrl(QStringLiteral("http://127.0.0.1:9/")));
    ASSERT_TRUE(loaded.wait(20000));
    ASSERT_NE(view->focusProxy(), nullptr);
    // The page needs a moment after loading before it takes input.
    QTest::qWait(300);
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(150, 100));
    if (c.opened.empty()) {
      QTest::qWait(1500);
    } else {
      (void)QTest::qWaitFor([&] { return !browser.opened.empty(); }, 5000);
    }
    EXPECT_EQ(browser.opened, c.opened);
  }
}

}  // namespace
}  // namespace quarlen

// The embedded pages' route follows the network settings, and the pages answer
// the proxy's challenge with the stored log-in once a load.
#include <gtest/gtest.h>

#include <QAuthenticator>
#include <QNetworkProxy>
#include <QWebEngineProfile>

#include "app/ui/BrowserProxy.h"
#include "platform/ui/SilentBrowser.h"

namespace quarlen {
namespace {

struct FakeNetworkSettings : INetworkSettings {
  ProxySettings settings;
  ProxySettings CurrentProxySettings() const override { return settings; }
};

TEST(BrowserProxy, PagesFollowTheNetworkSettings) {
  const QNetworkProxy desktop = QNetworkProxy::applicationProxy();
  QWebEngineProfile profile;
  FakeNetworkSettings settings;
  SilentWebPage page(&profile, nullptr);
  struct Case {
    ProxySettings settings;
    bool routed;       // through settings.hostname:port, else the desktop's route
    const char* user;  // what the first challenge of a load gets; nullptr: left unanswered
  };
  const Case cases[] = {
      {{false, true, "proxy.office", 3128, "joe", "s3cret"}, false, nullptr},
      {{true, false, "proxy.office", 3128, "joe", "s3cret"}, true, nullptr},
      {{true, true, "proxy.office", 8080, "joe", "s3cret"}, true, "joe"},
      // No proxy to go through: the desktop's never gets the stored password.
      {{true, true, "", 3128, "joe", "s3cret"}, false, nullptr},
      {{true, true, "proxy.office", 0, "joe", "s3cret"}, false, nullptr},
  };
  {
    BrowserProxy proxy(&profile, settings);
    for (const Case& c : cases) {
      settings.settings = c.settings;
      proxy.Apply();
      const QNetworkProxy route = QNetworkProxy::applicationProxy();
      if (c.routed) {
        EXPECT_EQ(route.type(), QNetworkProxy::HttpProxy);
        EXPECT_EQ(route.hostName().toStdString(), c.settings.hostname);
        EXPECT_EQ(route.port(), c.settings.port);
      } else {
        EXPECT_EQ(route, desktop) << c.settings.hostname << ":" << c.settings.port;
      }
      emit page.loadStarted();
      QAuthenticator first;
      QAuthenticator again;
      emit page.proxyAuthenticationRequired(QUrl(), &first, QStringLiteral("proxy.office"));
      emit page.proxyAuthenticationRequired(QUrl(), &again, QStringLiteral("proxy.office"));
      EXPECT_EQ(first.user().toStdString(), c.user ? c.user : "") << c.settings.port;
      EXPECT_EQ(first.password().toStdString(), c.user ? "s3cret" : "");
      // The proxy refused what we gave: no second try within the load.
      EXPECT_TRUE(again.user().isEmpty());
    }
  }
  // Gone with the program's proxy: nothing answers any more.
  emit page.loadStarted();
  QAuthenticator after;
  emit page.proxyAuthenticationRequired(QUrl(), &after, QStringLiteral("proxy.office"));
  EXPECT_TRUE(after.user().isEmpty());
  QNetworkProxy::setApplicationProxy(desktop);
}

}  // namespace
}  // namespace quarlen

#include "app/ui/BrowserProxy.h"

#include <QWebEngineProfile>

#include "platform/ui/QtText.h"
#include "platform/ui/SilentBrowser.h"

namespace quarlen {

BrowserProxy::BrowserProxy(QWebEngineProfile* profile, const INetworkSettings& settings)
    : profile_(profile), settings_(settings), desktop_(QNetworkProxy::applicationProxy()) {
  // The log-in is read at the challenge, so it is always the applied one.
  SetProxyLogIn(profile, [this](QString& user, QString& password) {
    // Only our own proxy gets the stored password, never the desktop's.
    if (!routed_ || !applied_.useProxyAuthentication) return false;
    user = ToQString(applied_.username);
    password = ToQString(applied_.password);
    return true;
  });
  Apply();
}

BrowserProxy::~BrowserProxy() { SetProxyLogIn(profile_, nullptr); }

void BrowserProxy::Apply() {
  applied_ = settings_.CurrentProxySettings();
  // The engine takes the application's proxy for every page; the program's
  // own requests go through THttpClient and never read it.
  routed_ = applied_.useProxy && !applied_.hostname.empty() && applied_.port > 0 && applied_.port <= 65535;
  if (routed_) {
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, ToQString(applied_.hostname), static_cast<quint16>(applied_.port)));
  } else {
    QNetworkProxy::setApplicationProxy(desktop_);
  }
}

}  // namespace quarlen

#include "app/ui/BrowserProxy.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>
#include <QWebEnginePage>
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

BrowserProxy::~BrowserProxy() {
  SetProxyLogIn(profile_, nullptr);
  delete primer_;
}

void BrowserProxy::Apply() {
  applied_ = settings_.CurrentProxySettings();
  // The engine takes the application's proxy for every page; the program's
  // own requests go through THttpClient and never read it.
  routed_ = applied_.useProxy && !applied_.hostname.empty() && applied_.port > 0 && applied_.port <= 65535;
  const QNetworkProxy before = QNetworkProxy::applicationProxy();
  if (routed_) {
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, ToQString(applied_.hostname), static_cast<quint16>(applied_.port)));
  } else {
    QNetworkProxy::setApplicationProxy(desktop_);
  }
  if (QNetworkProxy::applicationProxy() != before) Prime();
}

void BrowserProxy::Prime() {
  // The engine looks at the application's proxy only when a request asks it
  // for a route, and the request that asks still takes the route it had: the
  // first page load after a change would go the old way. A request of our
  // own goes first instead. It is for loopback, which the engine never sends
  // through a proxy, to a port of this program that drops every connection,
  // so it reaches no server and no proxy and ends at once.
  if (primer_ == nullptr) {
    if (!sink_.listen(QHostAddress::LocalHost, 0)) return;
    QObject::connect(&sink_, &QTcpServer::newConnection, &sink_, [this] {
      while (QTcpSocket* connection = sink_.nextPendingConnection()) {
        connection->abort();
        connection->deleteLater();
      }
    });
    primer_ = new QWebEnginePage(profile_);
  }
  primer_->setUrl(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(sink_.serverPort())));
}

}  // namespace quarlen

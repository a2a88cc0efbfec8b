#pragma once
// The embedded pages' route: with "Use Proxy" on, the banner and the channel
// pages go through the program's proxy and answer its challenge with the
// stored user name and password; with it off, the desktop's proxy as before.
#include <QNetworkProxy>
#include <QTcpServer>

#include "net/HttpProfile.h"

class QWebEngineProfile;
class QWebEnginePage;

namespace quarlen {

class BrowserProxy {
 public:
  // profile is the pages' profile; it must outlive this object. Remembers the
  // route the engine had, for "Use Proxy" off.
  BrowserProxy(QWebEngineProfile* profile, const INetworkSettings& settings);
  // The pages answer no challenge any more.
  ~BrowserProxy();
  BrowserProxy(const BrowserProxy&) = delete;
  BrowserProxy& operator=(const BrowserProxy&) = delete;

  // Takes the settings as they are now; the pages use them from their next load.
  void Apply();

 private:
  // Makes the engine read a changed route now rather than at the next page's request.
  void Prime();

  QWebEngineProfile* profile_;
  const INetworkSettings& settings_;
  QNetworkProxy desktop_;
  ProxySettings applied_;
  bool routed_ = false;               // the pages go through applied_'s proxy
  QTcpServer sink_;                   // on loopback; drops every connection unread
  QWebEnginePage* primer_ = nullptr;  // hidden, on profile_; asks sink_ for a page after a change
};

}  // namespace quarlen

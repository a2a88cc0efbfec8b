#pragma once
// The embedded browsers of the banner and the channel tabs: silent pages on a
// profile that keeps no HTTP cache and nothing on disk.
#include <QWebEnginePage>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/ui/PageViews.h"

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace quarlen {

class IUrlOpener;

// The user name and password for the proxy's challenge; false when there are none to give.
using ProxyLogIn = std::function<bool(QString& user, QString& password)>;

// A page that never asks the user anything: script alerts, confirms and
// prompts, certificate errors, log-ins, file choosers and permission requests
// are all answered "no" without a box; console messages are dropped. The
// proxy's challenge alone is answered, once a page load, with what the
// profile's ProxyLogIn gives (SetProxyLogIn). A page whose renderer ends
// abnormally (killed, crashed, out of memory) loads again by itself, at most
// once per CrashReloadGap.
class SilentWebPage : public QWebEnginePage {
  Q_OBJECT

 public:
  SilentWebPage(QWebEngineProfile* profile, QObject* parent);

  // From now on the links of `which` go to opener (http and https only; any
  // other address is refused) and the page stays where it is. Without a call
  // such links do nothing. opener outlives the page.
  void SendLinksTo(IUrlOpener& opener, OutsideLinks which);

 protected:
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                const QString& sourceID) override;
  QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                          const QStringList& acceptedMimeTypes) override;
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

 private:
  void OpenOutside(const QUrl& url);
  void AnswerProxy(QAuthenticator* authenticator);
  void ReloadAfterCrash(RenderProcessTerminationStatus status);

  IUrlOpener* opener_ = nullptr;
  bool proxyAnswered_ = false;
  OutsideLinks outside_ = OutsideLinks::NewWindow;
  std::optional<std::chrono::steady_clock::time_point> lastCrashReload_;
  bool crashReloadDue_ = false;
};

// An off-the-record profile without HTTP cache: every navigation reaches the
// server, and downloads are refused without a question. Owned by parent.
QWebEngineProfile* MakeCachelessProfile(QObject* parent);

// Every SilentWebPage of profile answers the proxy's challenge through logIn
// from now on (replacing an earlier one).
void SetProxyLogIn(QWebEngineProfile* profile, ProxyLogIn logIn);

// A browser view on profile with a SilentWebPage and no context menu. Owned by parent.
QWebEngineView* MakeSilentBrowser(QWebEngineProfile* profile, QWidget* parent);
// The same, whose links of `which` open through opener (SilentWebPage::SendLinksTo).
QWebEngineView* MakeSilentBrowser(QWebEngineProfile* profile, QWidget* parent, IUrlOpener& opener, OutsideLinks which);

// Shows an HTML text in place of the browser's page.
void LoadHtmlIntoBrowser(QWebEngineView& browser, const std::string& html);
// Starts loading url (the profile keeps no cache to read or write); returns at once.
void NavigateWithoutCache(QWebEngineView& browser, const std::string& url);

}  // namespace quarlen

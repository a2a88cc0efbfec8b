#include "platform/ui/SilentBrowser.h"

#include <QAuthenticator>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "platform/CrashReload.h"
#include "platform/UiPorts.h"

namespace quarlen {

namespace {

// Holds a profile's ProxyLogIn; a child of the profile, so it lives as long.
class ProxyLogInHolder : public QObject {
 public:
  ProxyLogInHolder(QObject* parent, ProxyLogIn logIn) : QObject(parent), logIn_(std::move(logIn)) {}
  bool Give(QString& user, QString& password) const { return logIn_ && logIn_(user, password); }

 private:
  ProxyLogIn logIn_;
};

}  // namespace

void SetProxyLogIn(QWebEngineProfile* profile, ProxyLogIn logIn) {
  delete profile->findChild<ProxyLogInHolder*>(QString(), Qt::FindDirectChildrenOnly);
  new ProxyLogInHolder(profile, std::move(logIn));
}

SilentWebPage::SilentWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
  // A bad certificate is refused, never asked about.
  connect(this, &QWebEnginePage::certificateError, this,
          [](QWebEngineCertificateError error) { error.rejectCertificate(); });
  // An authenticator left untouched cancels the log-in.
  connect(this, &QWebEnginePage::authenticationRequired, this, [](const QUrl&, QAuthenticator*) {});
  connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
          [this](const QUrl&, QAuthenticator* authenticator, const QString&) { AnswerProxy(authenticator); });
  // A second challenge within one load means the proxy refused what we gave:
  // left unanswered, the load fails and the page's owner shows its notice.
  connect(this, &QWebEnginePage::loadStarted, this, [this] { proxyAnswered_ = false; });
  connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
    setFeaturePermission(origin, feature, PermissionDeniedByUser);
  });
  // A link with a target opens no window here: the page has nowhere to show
  // one. Unanswered, the request is refused; SendLinksTo hands it on.
  connect(this, &QWebEnginePage::newWindowRequested, this,
          [this](QWebEngineNewWindowRequest& request) { OpenOutside(request.requestedUrl()); });
  settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  connect(this, &QWebEnginePage::renderProcessTerminated, this,
          [this](RenderProcessTerminationStatus status, int) { ReloadAfterCrash(status); });
}

void SilentWebPage::ReloadAfterCrash(RenderProcessTerminationStatus status) {
  // The out-of-memory killer or a page that crashes its renderer leaves an
  // empty view until the owner's next timed load, which for a channel of
  // rate 0 never comes.
  if (status == NormalTerminationStatus || crashReloadDue_) return;
  crashReloadDue_ = true;
  const auto delay = CrashReloadDelay(lastCrashReload_, std::chrono::steady_clock::now());
  QTimer::singleShot(delay, this, [this] {
    crashReloadDue_ = false;
    lastCrashReload_ = std::chrono::steady_clock::now();
    triggerAction(Reload);
  });
}

void SilentWebPage::AnswerProxy(QAuthenticator* authenticator) {
  if (proxyAnswered_) return;
  const auto* holder = profile()->findChild<ProxyLogInHolder*>(QString(), Qt::FindDirectChildrenOnly);
  QString user;
  QString password;
  if (holder == nullptr || !holder->Give(user, password)) return;
  proxyAnswered_ = true;
  authenticator->setUser(user);
  authenticator->setPassword(password);
}

void SilentWebPage::javaScriptAlert(const QUrl&, const QString&) {}

bool SilentWebPage::javaScriptConfirm(const QUrl&, const QString&) { return false; }

bool SilentWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) { return false; }

void SilentWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {
  // A page that logs on every reload would fill the terminal over a day.
}

QStringList SilentWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) { return {}; }

void SilentWebPage::SendLinksTo(IUrlOpener& opener, OutsideLinks which) {
  opener_ = &opener;
  outside_ = which;
}

bool SilentWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  // The banner is a strip of headlines: what the user clicks there is meant
  // for the browser, as the system's embedded browser does with such links.
  // The program's own loads (the address set, reloads, HTML) stay here.
  if (type == NavigationTypeLinkClicked && opener_ != nullptr && outside_ == OutsideLinks::EveryUserLink) {
    OpenOutside(url);
    return false;
  }
  return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void SilentWebPage::OpenOutside(const QUrl& url) {
  // The address comes from a web page: only web addresses reach the browser
  // command, never a file, a script or another program's scheme.
  if (opener_ == nullptr || !url.isValid()) return;
  if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) return;
  const QByteArray encoded = url.toEncoded();
  opener_->OpenUrl(std::string(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

QWebEngineProfile* MakeCachelessProfile(QObject* parent) {
  // A profile without a storage name is off the record: cookies, local
  // storage and the rest live in memory and go with the program.
  auto* profile = new QWebEngineProfile(parent);
  profile->setHttpCacheType(QWebEngineProfile::NoCache);
  profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                   [](QWebEngineDownloadRequest* download) { download->cancel(); });
  // Nothing shows a page's icon: fetching and decoding it would be work for nothing.
  profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  profile->settings()->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
  return profile;
}

QWebEngineView* MakeSilentBrowser(QWebEngineProfile* profile, QWidget* parent) {
  auto* view = new QWebEngineView(parent);
  view->setPage(new SilentWebPage(profile, view));
  view->setContextMenuPolicy(Qt::NoContextMenu);
  return view;
}

QWebEngineView* MakeSilentBrowser(QWebEngineProfile* profile, QWidget* parent, IUrlOpener& opener, OutsideLinks which) {
  QWebEngineView* view = MakeSilentBrowser(profile, parent);
  static_cast<SilentWebPage*>(view->page())->SendLinksTo(opener, which);
  return view;
}

void LoadHtmlIntoBrowser(QWebEngineView& browser, const std::string& html) {
  browser.setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
}

void NavigateWithoutCache(QWebEngineView& browser, const std::string& url) {
  browser.setUrl(QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
}

}  // namespace quarlen

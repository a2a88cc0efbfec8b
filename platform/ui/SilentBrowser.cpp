#include "platform/ui/SilentBrowser.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace quarlen {

SilentWebPage::SilentWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
  // A bad certificate is refused, never asked about.
  connect(this, &QWebEnginePage::certificateError, this,
          [](QWebEngineCertificateError error) { error.rejectCertificate(); });
  // An authenticator left untouched cancels the log-in.
  connect(this, &QWebEnginePage::authenticationRequired, this, [](const QUrl&, QAuthenticator*) {});
  connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
          [](const QUrl&, QAuthenticator*, const QString&) {});
  connect(this, &QWebEnginePage::featurePermissionRequested, this,
          [this](const QUrl& origin, Feature feature) {
            setFeaturePermission(origin, feature, PermissionDeniedByUser);
          });
  settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
}

void SilentWebPage::javaScriptAlert(const QUrl&, const QString&) {}

bool SilentWebPage::javaScriptConfirm(const QUrl&, const QString&) { return false; }

bool SilentWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) { return false; }

void SilentWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {
  // A page that logs on every reload would fill the terminal over a day.
}

QStringList SilentWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) { return {}; }

QWebEngineProfile* MakeCachelessProfile(QObject* parent) {
  // A profile without a storage name is off the record: cookies, local
  // storage and the rest live in memory and go with the program.
  auto* profile = new QWebEngineProfile(parent);
  profile->setHttpCacheType(QWebEngineProfile::NoCache);
  profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                   [](QWebEngineDownloadRequest* download) { download->cancel(); });
  return profile;
}

QWebEngineView* MakeSilentBrowser(QWebEngineProfile* profile, QWidget* parent) {
  auto* view = new QWebEngineView(parent);
  view->setPage(new SilentWebPage(profile, view));
  view->setContextMenuPolicy(Qt::NoContextMenu);
  return view;
}

void LoadHtmlIntoBrowser(QWebEngineView& browser, const std::string& html) {
  browser.setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
}

void NavigateWithoutCache(QWebEngineView& browser, const std::string& url) {
  browser.setUrl(QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
}

}  // namespace quarlen

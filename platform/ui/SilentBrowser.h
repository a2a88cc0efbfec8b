#pragma once
// The embedded browsers of the banner and the channel tabs: silent pages on a
// profile that keeps no HTTP cache and nothing on disk.
#include <QWebEnginePage>
#include <string>

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace quarlen {

// A page that never asks the user anything: script alerts, confirms and
// prompts, certificate errors, log-ins, file choosers and permission requests
// are all answered "no" without a box; console messages are dropped.
class SilentWebPage : public QWebEnginePage {
  Q_OBJECT

 public:
  SilentWebPage(QWebEngineProfile* profile, QObject* parent);

 protected:
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                const QString& sourceID) override;
  QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                          const QStringList& acceptedMimeTypes) override;
};

// An off-the-record profile without HTTP cache: every navigation reaches the
// server, and downloads are refused without a question. Owned by parent.
QWebEngineProfile* MakeCachelessProfile(QObject* parent);

// A browser view on profile with a SilentWebPage and no context menu. Owned by parent.
QWebEngineView* MakeSilentBrowser(QWebEngineProfile* profile, QWidget* parent);

// Shows an HTML text in place of the browser's page.
void LoadHtmlIntoBrowser(QWebEngineView& browser, const std::string& html);
// Starts loading url (the profile keeps no cache to read or write); returns at once.
void NavigateWithoutCache(QWebEngineView& browser, const std::string& url);

}  // namespace quarlen

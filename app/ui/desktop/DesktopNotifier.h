#pragma once
// The new-articles balloon as a freedesktop notification, sent over the session
// bus with a default and an "Open" action. Only clicks on the program's own
// notifications come back, as Clicked.
#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

namespace quarlen {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  // How the notification names the program: its name, the icon name installed
  // into the icon theme, and the menu entry's base name.
  struct Identity {
    QString applicationName;
    QString iconName;
    QString desktopEntry;
  };
  // The action key of the "Open" button; "default" is the click on the notification itself.
  static constexpr const char* OpenAction = "open";
  static constexpr int ExpireMs = 10000;

  DesktopNotifier(QDBusConnection bus, Identity identity, QObject* parent = nullptr);

  // Sends the notification. Where no notification server answers (no session
  // bus, no server, an error reply), fallback runs instead.
  void Notify(const QString& summary, const QString& body, std::function<void()> fallback);

  // Ids of the program's notifications that the server still shows.
  const QSet<uint>& OwnIds() const { return ownIds_; }

 signals:
  // The user clicked one of the program's notifications; the token is the one
  // the server handed over to raise a window with (empty when it gave none).
  void Clicked(const QString& activationToken);

 private slots:
  void OnActionInvoked(uint id, const QString& actionKey);
  void OnActivationToken(uint id, const QString& token);
  void OnClosed(uint id, uint reason);

 private:
  QDBusConnection bus_;
  Identity identity_;
  QSet<uint> ownIds_;
  QHash<uint, QString> tokens_;
};

}  // namespace quarlen

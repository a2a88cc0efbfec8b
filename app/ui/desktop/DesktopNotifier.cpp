#include "app/ui/desktop/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace quarlen {

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
constexpr uchar NormalUrgency = 1;
// A server that takes longer than this is treated as absent and Qt's balloon
// shows instead; the user must not wait half a minute for the news.
constexpr int ReplyTimeoutMs = 3000;
}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, Identity identity, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), identity_(std::move(identity)) {
  if (!bus_.isConnected()) return;
  // Some servers broadcast their signals to every client, so each handler
  // checks the id against the program's own notifications.
  bus_.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(Service, Path, Interface, QStringLiteral("ActivationToken"), this,
               SLOT(OnActivationToken(uint, QString)));
  bus_.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

void DesktopNotifier::Notify(const QString& summary, const QString& body, std::function<void()> fallback) {
  if (!bus_.isConnected()) {
    if (fallback) fallback();
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
  const QStringList actions{QStringLiteral("default"), QStringLiteral("Open"), QString::fromLatin1(OpenAction),
                            QStringLiteral("Open")};
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), identity_.desktopEntry);
  // The specification types urgency as a byte; servers ignore an int there.
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(NormalUrgency));
  call << identity_.applicationName << uint(0) << identity_.iconName << summary << body << actions << hints
       << int(ExpireMs);
  // Asynchronous: a hung server must not freeze the window at the end of a refresh.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, ReplyTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, fallback = std::move(fallback)](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            QDBusPendingReply<uint> reply = *finished;
            if (reply.isError()) {
              if (fallback) fallback();
              return;
            }
            ownIds_.insert(reply.value());
          });
}

void DesktopNotifier::OnActivationToken(uint id, const QString& token) {
  // Sent right before ActionInvoked; kept until that arrives.
  if (ownIds_.contains(id)) tokens_.insert(id, token);
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& actionKey) {
  if (!ownIds_.contains(id)) return;
  if (actionKey != QLatin1String("default") && actionKey != QLatin1String(OpenAction)) return;
  emit Clicked(tokens_.take(id));
}

void DesktopNotifier::OnClosed(uint id, uint /*reason*/) {
  // A closed notification can't be clicked any more; its id may be handed to
  // another program's notification later.
  ownIds_.remove(id);
  tokens_.remove(id);
}

}  // namespace quarlen

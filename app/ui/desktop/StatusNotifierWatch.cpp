#include "app/ui/desktop/StatusNotifierWatch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QSystemTrayIcon>

#include "app/ui/desktop/StatusNotifierItem.h"

namespace quarlen {

namespace {
const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
}  // namespace

StatusNotifierWatch::StatusNotifierWatch(QDBusConnection bus, QSystemTrayIcon& icon, std::function<void()> showWindow,
                                         QObject* parent)
    : QObject(parent), bus_(std::move(bus)), icon_(icon), showWindow_(std::move(showWindow)) {
  if (!bus_.isConnected()) return;
  // Qt makes the icon an item only when a panel is there at the moment the
  // first tray icon is made, and keeps that choice for the whole run (it then
  // registers again by itself when the panel restarts). The same test here
  // tells which kind of icon Qt made.
  qtPublishesItem_ = HostPresent();
  serviceWatcher_ =
      std::make_unique<QDBusServiceWatcher>(WatcherService, bus_, QDBusServiceWatcher::WatchForRegistration);
  connect(serviceWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] { WatcherAppeared(); });
  // Under XEmbed a single click is no request to show (the double click is);
  // a panel's Activate is.
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && qtPublishesItem_ && showWindow_) showWindow_();
  });
}

StatusNotifierWatch::~StatusNotifierWatch() = default;

bool StatusNotifierWatch::HostPresent() const {
  if (!bus_.isConnected() || bus_.interface() == nullptr) return false;
  if (!bus_.interface()->isServiceRegistered(WatcherService)) return false;
  QDBusMessage get =
      QDBusMessage::createMethodCall(WatcherService, QStringLiteral("/StatusNotifierWatcher"),
                                     QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusMessage reply = bus_.call(get, QDBus::Block, 1000);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

void StatusNotifierWatch::WatcherAppeared() {
  if (qtPublishesItem_) return;  // Qt registers its own item again
  // Qt's icon is an XEmbed one: where an XEmbed tray holds it (and a proxy
  // makes it an item), a second icon would show twice.
  if (QSystemTrayIcon::isSystemTrayAvailable() || !icon_.isVisible() || icon_.contextMenu() == nullptr) return;
  if (!ownItem_) {
    ownItem_ = std::make_unique<StatusNotifierItem>(
        bus_, [this] { return icon_.icon(); }, showWindow_, *icon_.contextMenu());
  }
  ownItemRegistered_ = ownItem_->Register();
}

bool StatusNotifierWatch::TrayShowsIcon() const {
  if (qtPublishesItem_ || ownItemRegistered_) return HostPresent();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void StatusNotifierWatch::IconChanged() {
  if (ownItem_) ownItem_->IconChanged();
}

}  // namespace quarlen

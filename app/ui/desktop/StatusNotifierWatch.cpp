#include "app/ui/desktop/StatusNotifierWatch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
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
  serviceWatcher_ = std::make_unique<QDBusServiceWatcher>(
      WatcherService, bus_, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
  connect(serviceWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] { WatcherAppeared(); });
  connect(serviceWatcher_.get(), &QDBusServiceWatcher::serviceUnregistered, this, [this] { WatcherGone(); });
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
  if (!Shown() || icon_.contextMenu() == nullptr) return;
  if (!ownItem_) {
    ownItem_ = std::make_unique<StatusNotifierItem>(
        bus_, [this] { return icon_.icon(); }, showWindow_, *icon_.contextMenu());
    ownItem_->SetToolTipText([this] { return icon_.toolTip(); });
  }
  ownItemRegistered_ = ownItem_->Register();
  // Qt's icon is an XEmbed one, which a panel with a system tray (Xfce's
  // systray plugin hosts both kinds) or an XEmbed proxy would show as a second
  // icon: while the item is there, Qt's icon is hidden.
  if (ownItemRegistered_ && icon_.isVisible()) {
    icon_.hide();
    qtIconHidden_ = true;
  }
}

void StatusNotifierWatch::ShowIcon() {
  if (QtIconCanShow()) {
    icon_.show();
    return;
  }
  // Qt's icon on Wayland without a panel at start can never show, and showing
  // it makes Qt connect to a signal of its X11 platform only, with a warning.
  qtIconHidden_ = true;
  if (HostPresent()) WatcherAppeared();
}

bool StatusNotifierWatch::Shown() const { return icon_.isVisible() || qtIconHidden_; }

bool StatusNotifierWatch::QtIconCanShow() const {
  return qtPublishesItem_ || !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void StatusNotifierWatch::WatcherGone() {
  ownItemRegistered_ = false;
  // An XEmbed tray (trayer) may still be there, or come; Qt's icon waits for it.
  if (qtIconHidden_ && QtIconCanShow()) {
    qtIconHidden_ = false;
    icon_.show();
  }
}

bool StatusNotifierWatch::TrayShowsIcon() const {
  if (!Shown()) return false;
  if (qtPublishesItem_ || ownItemRegistered_) return HostPresent();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void StatusNotifierWatch::ToolTipChanged() {
  if (ownItem_) ownItem_->ToolTipChanged();
}

void StatusNotifierWatch::IconChanged() {
  if (ownItem_) ownItem_->IconChanged();
}

}  // namespace quarlen

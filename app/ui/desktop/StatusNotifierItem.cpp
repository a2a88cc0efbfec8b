#include "app/ui/desktop/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QImage>
#include <QMenu>
#include <QtEndian>

namespace quarlen {

QDBusArgument& operator<<(QDBusArgument& out, const SniPixmap& pixmap) {
  out.beginStructure();
  out << pixmap.width << pixmap.height << pixmap.argb;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniPixmap& pixmap) {
  in.beginStructure();
  in >> pixmap.width >> pixmap.height >> pixmap.argb;
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const SniToolTip& tip) {
  out.beginStructure();
  out << tip.iconName << tip.icon << tip.title << tip.text;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniToolTip& tip) {
  in.beginStructure();
  in >> tip.iconName >> tip.icon >> tip.title >> tip.text;
  in.endStructure();
  return in;
}

namespace {
const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ItemPath = QStringLiteral("/StatusNotifierItem");
}  // namespace

SniPixmaps ToSniPixmaps(const QIcon& icon) {
  SniPixmaps pixmaps;
  for (const QSize& size : icon.availableSizes()) {
    QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    SniPixmap out{image.width(), image.height(), {}};
    out.argb.resize(image.width() * image.height() * 4);
    auto* target = reinterpret_cast<quint32*>(out.argb.data());
    // QImage holds ARGB32 in host order; the protocol wants network order.
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) *target++ = qToBigEndian(line[x]);
    }
    pixmaps.append(out);
  }
  return pixmaps;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, std::function<QIcon()> icon,
                                       std::function<void()> showWindow, QMenu& menu, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), icon_(std::move(icon)), showWindow_(std::move(showWindow)), menu_(menu) {
  qDBusRegisterMetaType<SniPixmap>();
  qDBusRegisterMetaType<SniPixmaps>();
  qDBusRegisterMetaType<SniToolTip>();
  serviceName_ = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
}

StatusNotifierItem::~StatusNotifierItem() {
  if (!published_) return;
  bus_.unregisterObject(ItemPath);
  bus_.unregisterService(serviceName_);
}

bool StatusNotifierItem::Register() {
  if (!bus_.isConnected()) return false;
  if (!published_) {
    published_ = bus_.registerObject(ItemPath, this,
                                     QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots |
                                         QDBusConnection::ExportAllSignals) &&
                 bus_.registerService(serviceName_);
    if (!published_) return false;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(WatcherService, QStringLiteral("/StatusNotifierWatcher"),
                                                     WatcherService, QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  // Short: this runs on the window's thread, and a hung panel must not freeze it.
  return bus_.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

SniPixmaps StatusNotifierItem::IconPixmap() const { return ToSniPixmaps(icon_()); }

SniToolTip StatusNotifierItem::ToolTip() const {
  const QString text = toolTip_ ? toolTip_().section(QLatin1Char('\n'), 1) : QString();
  return {QString(), {}, Title(), text};
}

void StatusNotifierItem::Activate(int, int) {
  if (showWindow_) showWindow_();
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::ContextMenu(int x, int y) { menu_.popup(QPoint(x, y)); }

void StatusNotifierItem::Scroll(int, const QString&) {}

}  // namespace quarlen

#pragma once
// The tray icon published by the program itself as a StatusNotifierItem, for a
// panel that appears after Qt has settled on a tray that no panel shows (Qt
// decides once per run). Activate shows the window; ContextMenu opens the tray
// menu at the pointer.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <functional>

class QMenu;

namespace quarlen {

// One image of an icon as the protocol carries it: ARGB32 in network byte order.
struct SniPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;
struct SniToolTip {
  QString iconName;
  SniPixmaps icon;
  QString title;
  QString text;
};

class StatusNotifierItem : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ Category)
  Q_PROPERTY(QString Id READ Id)
  Q_PROPERTY(QString Title READ Title)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(int WindowId READ WindowId)
  Q_PROPERTY(QString IconName READ EmptyName)
  Q_PROPERTY(quarlen::SniPixmaps IconPixmap READ IconPixmap)
  Q_PROPERTY(QString OverlayIconName READ EmptyName)
  Q_PROPERTY(quarlen::SniPixmaps OverlayIconPixmap READ NoPixmaps)
  Q_PROPERTY(QString AttentionIconName READ EmptyName)
  Q_PROPERTY(quarlen::SniPixmaps AttentionIconPixmap READ NoPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ EmptyName)
  Q_PROPERTY(quarlen::SniToolTip ToolTip READ ToolTip)
  Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ Menu)

 public:
  // icon: the tray icon as it is now (asked each time a panel reads it);
  // showWindow: what a click on the item does; menu: the tray menu.
  StatusNotifierItem(QDBusConnection bus, std::function<QIcon()> icon, std::function<void()> showWindow, QMenu& menu,
                     QObject* parent = nullptr);
  ~StatusNotifierItem() override;

  // Publishes the item on the bus and registers it with the watcher (again,
  // after the panel restarted). False when the bus or the watcher refuses.
  bool Register();
  // Tells the panel the icon changed.
  void IconChanged() { emit NewIcon(); }
  // The tooltip's text under the title: the lines of toolTip after its first
  // (the program's name, which is the title); asked each time a panel reads it.
  void SetToolTipText(std::function<QString()> toolTip) { toolTip_ = std::move(toolTip); }
  // Tells the panel the tooltip changed.
  void ToolTipChanged() { emit NewToolTip(); }

  QString Category() const { return QStringLiteral("Communications"); }
  QString Id() const { return QStringLiteral("quarlen-messenger"); }
  QString Title() const { return QStringLiteral("Quarlen Messenger"); }
  QString Status() const { return QStringLiteral("Active"); }
  int WindowId() const { return 0; }
  QString EmptyName() const { return {}; }
  SniPixmaps IconPixmap() const;
  SniPixmaps NoPixmaps() const { return {}; }
  SniToolTip ToolTip() const;
  bool ItemIsMenu() const { return false; }
  // No exported menu: the panel asks for ContextMenu instead.
  QDBusObjectPath Menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

 public slots:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);

 signals:
  void NewIcon();
  void NewToolTip();
  void NewStatus(const QString& status);
  void NewTitle();

 private:
  QDBusConnection bus_;
  std::function<QIcon()> icon_;
  std::function<void()> showWindow_;
  QMenu& menu_;
  std::function<QString()> toolTip_;
  QString serviceName_;
  bool published_ = false;
};

// The pixmaps of an icon at every size it holds, as the protocol carries them.
SniPixmaps ToSniPixmaps(const QIcon& icon);

}  // namespace quarlen

Q_DECLARE_METATYPE(quarlen::SniPixmap)
Q_DECLARE_METATYPE(quarlen::SniPixmaps)
Q_DECLARE_METATYPE(quarlen::SniToolTip)

#pragma once
// The tray icon on StatusNotifierItem desktops (KDE Plasma, Xfce's SN plugin,
// GNOME's AppIndicator extension): watches for the panel's watcher on the
// session bus, so the icon appears when a panel starts after the program or
// restarts; a single click (Activate) shows the window; and it tells whether
// a panel shows the icon right now.
#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <memory>

class QDBusServiceWatcher;
class QSystemTrayIcon;

namespace quarlen {

class StatusNotifierItem;

class StatusNotifierWatch : public QObject {
  Q_OBJECT

 public:
  // Made right after the tray icon, so it sees the bus as Qt saw it when Qt
  // chose the icon's kind. showWindow: what a click on the icon does.
  StatusNotifierWatch(QDBusConnection bus, QSystemTrayIcon& icon, std::function<void()> showWindow,
                      QObject* parent = nullptr);
  ~StatusNotifierWatch() override;

  // Whether a notification area shows the icon now: a panel (watcher with a
  // host) for an item on the bus, or an XEmbed tray for Qt's own icon.
  bool TrayShowsIcon() const;
  // Shows the tray icon: Qt's, or where that can't show (Wayland without a
  // panel at start) the program's own item once a panel is there.
  void ShowIcon();
  // The icon changed (new articles or none); the panel is told.
  void IconChanged();
  // The tray icon's tooltip changed; the panel is told.
  void ToolTipChanged();

  // A watcher with a host is on the bus now.
  bool HostPresent() const;
  // Qt publishes the icon as an item itself (a panel was there at start).
  bool QtPublishesItem() const { return qtPublishesItem_; }

 private:
  void WatcherAppeared();
  void WatcherGone();
  bool QtIconCanShow() const;
  // The program shows its tray icon (Qt's, or the item in its place).
  bool Shown() const;

  QDBusConnection bus_;
  QSystemTrayIcon& icon_;
  std::function<void()> showWindow_;
  bool qtPublishesItem_ = false;
  std::unique_ptr<QDBusServiceWatcher> serviceWatcher_;
  std::unique_ptr<StatusNotifierItem> ownItem_;
  bool ownItemRegistered_ = false;
  bool qtIconHidden_ = false;  // hidden while the own item stands in for it
};

}  // namespace quarlen

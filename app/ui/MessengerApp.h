#pragma once
// The program's composition root: creates the windows in start-up order and
// connects the menus and timers of the main window to the work they start.
#include <memory>

#include "app/ui/TfrmMainForm.h"

namespace quarlen {

class SettingsStore;
class TfrmSettings;
class TfrmNetworkSettings;
class ServiceCalls;
class RefreshCycle;
class Banner;
class ArticleActions;
class ChannelTabsUi;
class DesktopIntegration;

class MessengerApp {
 public:
  // The main window (which loads and shows the store), the notification
  // settings dialog (which sets the refresh interval), then the network
  // settings dialog.
  explicit MessengerApp(MainFormEnvironment environment);
  ~MessengerApp();

  // Tray icon and timers on; the event loop may run after this.
  void CompleteStartup();

  TfrmMainForm& MainForm() { return *mainForm_; }
  TfrmSettings& Settings() { return *frmSettings_; }
  TfrmNetworkSettings& NetworkSettings() { return *frmNetworkSettings_; }
  RefreshCycle& Cycle() { return *cycle_; }
  ServiceCalls& Services() { return *services_; }
  ChannelTabsUi& Channels() { return *channels_; }
  DesktopIntegration& Desktop() { return *desktop_; }

 private:
  void ConnectCommands();
  // The settings files are written once more; the dialogs go first.
  void DestroyDialogs();

  std::unique_ptr<TfrmMainForm> mainForm_;
  DesktopIntegration* desktop_ = nullptr;  // owned by the main window
  std::unique_ptr<SettingsStore> xmlSettings_;
  std::unique_ptr<TfrmSettings> frmSettings_;
  std::unique_ptr<TfrmNetworkSettings> frmNetworkSettings_;
  std::unique_ptr<ServiceCalls> services_;
  std::unique_ptr<RefreshCycle> cycle_;
  std::unique_ptr<Banner> banner_;
  std::unique_ptr<ArticleActions> articleActions_;
  std::unique_ptr<ChannelTabsUi> channels_;  // the tabs beside the article grid
};

}  // namespace quarlen

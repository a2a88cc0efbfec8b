#include "app/ui/MessengerApp.h"

#include <QCoreApplication>

#include "feeds/RefreshCycle.h"
#include "feeds/ui/ChannelTabsUi.h"
#include "platform/BuildConfig.h"
#include "settings/NetworkSettings.h"
#include "settings/ServerEndpoints.h"
#include "settings/ServiceCalls.h"
#include "settings/SettingsStore.h"
#include "settings/ui/TfrmNetworkSettings.h"
#include "settings/ui/TfrmSettings.h"

namespace quarlen {

const char* const NoConnectionHtml =
    "<span style=\"font-family: Verdana, Arial, Helvetica, sans-serif;\tfont-size: x-small;\t"
    "font-weight: bold;\">No connection to the Internet is currently available.</span>";

MessengerApp::MessengerApp(MainFormEnvironment environment)
    : mainForm_(std::make_unique<TfrmMainForm>(std::move(environment))) {
  TfrmMainForm& form = *mainForm_;
  const std::string& folder = form.Environment().applicationDataFolder;

  xmlSettings_ = std::make_unique<SettingsStore>(SettingsFilePath(folder, NotificationSettings::FileName), form);
  frmSettings_ = std::make_unique<TfrmSettings>(*xmlSettings_, form.timerFetchRSS);

  frmNetworkSettings_ = std::make_unique<TfrmNetworkSettings>(
      SettingsFilePath(folder, NetworkSettings::FileName),
      [&form](const std::string& message) { form.ShowMessage(message); });

  // Every request carries the agent string and goes through the proxy the
  // dialog's controls hold at that moment.
  auto applyProfile = [this](THttpClient& client) {
    ApplyHttpProfile(client, mainForm_->UserAgent, *frmNetworkSettings_);
  };
  auto pump = [] { QCoreApplication::processEvents(); };
  const ServerEndpoints endpoints = ServerEndpoints::FromBuildConfig();
  services_ = std::make_unique<ServiceCalls>(endpoints, form.ProgramVersion, std::string(), applyProfile, pump,
                                             ServiceCallPorts{form, form, form, form});
  cycle_ = std::make_unique<RefreshCycle>(
      form.Store(), form.IdHTTP1(), endpoints.FeedUrl(), *frmSettings_, applyProfile,
      [this] { return services_->PingServer(); }, RefreshCyclePorts{form, form, form, &form},
      [&form] { form.FillArticleGrid(); });

  // The channel tabs download their list on a client of their own.
  channels_ = std::make_unique<ChannelTabsUi>(ChannelTabsSetup{
      *form.tabsChannels, form.timerRefreshChannel, form.BrowserProfile(), form,
      ChannelFileUrls{endpoints.ChannelNamesUrl(), endpoints.ChannelLinksUrl(), endpoints.ChannelRefreshRatesUrl()},
      [this] { return services_->PingServer(); }, applyProfile, pump, NoConnectionHtml});

  ConnectCommands();
}

MessengerApp::~MessengerApp() { DestroyDialogs(); }

void MessengerApp::DestroyDialogs() {
  frmNetworkSettings_.reset();
  frmSettings_.reset();
  xmlSettings_.reset();
}

void MessengerApp::ConnectCommands() {
  using Command = TfrmMainForm::Command;
  TfrmMainForm& form = *mainForm_;
  form.SetCommandHandler(Command::FetchRSS, [this] { cycle_->FetchRSS(); });
  form.SetCommandHandler(Command::CheckForUpdates, [this] { services_->CheckForUpdates(); });
  form.SetCommandHandler(Command::RefreshBanner, [this] { RefreshBanner(); });
  form.SetCommandHandler(Command::NotificationSettings, [this] { frmSettings_->ShowModal(); });
  form.SetCommandHandler(Command::NetworkSettings, [this] {
    frmNetworkSettings_->ShowModal();
    RefreshBanner();
  });
  form.AddExitHook([this] { DestroyDialogs(); });
}

void MessengerApp::CompleteStartup() { mainForm_->CompleteStartup(); }

void MessengerApp::RefreshBanner() {
  if (services_->PingServer()) {
    mainForm_->NavigateBanner(std::string(build::WebSite) + "/mt/mtfreetitles.php");
    // The channel list: once per run, at the first banner refresh that finds the server.
    ChannelTabs& channels = channels_->Tabs();
    if (!channels.ChannelLinks()) channels.FetchChannels();
  } else {
    mainForm_->LoadHtmlIntoBanner(NoConnectionHtml);
  }
}

}  // namespace quarlen

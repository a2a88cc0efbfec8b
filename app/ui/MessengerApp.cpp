#include "app/ui/MessengerApp.h"

#include <QDialog>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "app/ui/DesktopIntegration.h"

#include "app/ui/BrowserProxy.h"
#include "app/ui/RefreshTriggers.h"
#include "app/ui/SaveFailureNotice.h"
#include "feeds/ArticleActions.h"
#include "feeds/ArticleStore.h"
#include "feeds/RefreshCycle.h"
#include "feeds/ui/ChannelTabsUi.h"
#include "net/HttpClient.h"
#include "net/HttpProfile.h"
#include "platform/BuildConfig.h"
#include "platform/ConfigFolder.h"
#include "platform/OsDescription.h"
#include "service/ServerEndpoints.h"
#include "service/ServiceCalls.h"
#include "settings/NetworkSettings.h"
#include "settings/SettingsStore.h"
#include "settings/ui/TfrmNetworkSettings.h"
#include "settings/ui/TfrmSettings.h"
#include "view/Banner.h"

namespace quarlen {

bool EnsureConfigFolderOrQuit(const std::string& configFolder, TfrmMainForm& form) {
  if (EnsureFolderExists(configFolder)) return true;
  form.ShowMessage("Error creating config folder: " + configFolder);
  // The program is ending: no timer may start work that the boxes of the
  // ending (a settings file that can't be written) would let run while the
  // objects it reads are being destroyed.
  form.QuitAtNextTurn();
  return false;
}

MessengerApp::MessengerApp(MainFormEnvironment environment)
    : environment_(std::move(environment)),
      programVersion_(build::ProgramVersion),
      userAgent_(MakeUserAgent(programVersion_, DescribeOperatingSystem())),
      browser_(environment_.browserPath),
      // The store reports through the window, which exists before anything is loaded.
      store_(std::make_unique<ArticleStore>(
          environment_.configFolder, [this](const std::string& text) { mainForm_->ShowMessage(text); },
          [this] { mainForm_->QuitAtNextTurn(); })),
      // Every request runs on the network thread; the window never waits for one.
      IdHTTP1_(std::make_unique<THttpClient>(THttpClientKind::MainClient, network_, uiThread_)),
      mainForm_(std::make_unique<TfrmMainForm>(MainFormSetup{*store_, pages_, runner_, browser_, programVersion_,
                                                             environment_.endProcess, environment_.hasTray})) {
  TfrmMainForm& form = *mainForm_;
  // The window is complete once the grid shows the saved articles, before any dialog exists.
  form.FillArticleGridAtStart();
  const std::string& folder = environment_.applicationDataFolder;
  // New articles are announced through the desktop's own services where it has them.
  desktop_ = MakeDesktopIntegration(form, runner_);
  form.SetTrayIconShower([this] { desktop_->ShowTrayIcon(); });

  xmlSettings_ = std::make_unique<SettingsStore>(SettingsFilePath(folder, NotificationSettings::FileName), form);
  frmSettings_ = std::make_unique<TfrmSettings>(*xmlSettings_, form.RefreshInterval(), runner_);

  frmNetworkSettings_ = std::make_unique<TfrmNetworkSettings>(
      SettingsFilePath(folder, NetworkSettings::FileName),
      [&form](const std::string& message) { form.ShowMessage(message); }, runner_);

#if QUARLEN_BROWSER_WEBENGINE
  // The banner and the channel pages follow the same settings, from their next load.
  browserProxy_ = std::make_unique<BrowserProxy>(pages_.Profile(), *frmNetworkSettings_);
#endif

  // Every request carries the agent string and goes through the proxy the
  // dialog's controls hold at that moment.
  auto applyProfile = [this](THttpClient& client) { ApplyHttpProfile(client, userAgent_, *frmNetworkSettings_); };
  const NetworkContext network{network_, uiThread_};
  const ServerEndpoints endpoints = ServerEndpoints::FromBuildConfig();
  services_ = std::make_unique<ServiceCalls>(endpoints, programVersion_, std::string(), applyProfile, network,
                                             ServiceCallPorts{form, form, browser_, form});
  const PingCall ping = [this](PingDone done) { services_->PingServer(std::move(done)); };
  saveNotice_ = std::make_unique<SaveFailureNotice>(form, form);
  cycle_ = std::make_unique<RefreshCycle>(
      *store_, *IdHTTP1_, endpoints.FeedUrl(), *frmSettings_, applyProfile, ping,
      RefreshCyclePorts{form, *desktop_, *desktop_, &form, saveNotice_.get(), desktop_.get()},
      [&form] { form.FillArticleGrid(); }, CycleThreads{worker_, uiThread_, network_},
      // Charts that come after the news was shown are painted where they land.
      [&form] { form.RepaintArticleGrid(); });
  // A refresh that found no connection is tried again, and the banner's and
  // the channels' pings that find the server again start it at once.
  refreshTriggers_ = std::make_unique<RefreshTriggers>(*cycle_, form.timerFetchRSS(), runner_);
  const PingCall watchedPing = refreshTriggers_->Watch(ping);
  // The channel list: once per run, at the first banner refresh that finds the server.
  banner_ = std::make_unique<Banner>(form.BannerBrowser(), watchedPing, std::string(build::WebSite), [this] {
    ChannelTabs& channels = channels_->Tabs();
    if (!channels.ChannelLinks()) channels.FetchChannels();
  });

  // Article actions: open, mark and delete from the grid and the balloon;
  // marks and deletes are dropped while a refresh cycle runs, and the lists
  // they save are written on the worker, in turn with the cycle's.
  articleActions_ = std::make_unique<ArticleActions>(
      *store_, [this] { return cycle_->Running(); }, browser_, endpoints, [&form] { form.FillArticleGrid(); },
      &cycle_->Saves());
  form.AttachArticleActions(*articleActions_);

  // The channel tabs download their list on a client of their own.
  channels_ = std::make_unique<ChannelTabsUi>(ChannelTabsSetup{
      form.tabsChannels(), form.timerRefreshChannel(), pages_, form, browser_, runner_,
      ChannelFileUrls{endpoints.ChannelNamesUrl(), endpoints.ChannelLinksUrl(), endpoints.ChannelRefreshRatesUrl()},
      watchedPing, applyProfile, network, NoConnectionHtml});

  ConnectCommands();
}

MessengerApp::~MessengerApp() { DestroyDialogs(); }

void MessengerApp::DestroyDialogs() {
  frmNetworkSettings_.reset();
  frmSettings_.reset();
  xmlSettings_.reset();
}

void MessengerApp::ConnectCommands() {
  TfrmMainForm& form = *mainForm_;
  TfrmMainForm::CommandHandlers handlers;
  handlers.fetchRSS = [this] { cycle_->FetchRSS(); };
  handlers.checkForUpdates = [this] { services_->CheckForUpdates(); };
  handlers.refreshBanner = [this] { banner_->RefreshBanner(); };
  handlers.notificationSettings = [this] { frmSettings_->ShowModal(); };
  handlers.networkSettings = [this] {
    const bool accepted = frmNetworkSettings_->ShowModal() == QDialog::Accepted;
#if QUARLEN_BROWSER_WEBENGINE
    if (accepted) browserProxy_->Apply();
#else
    (void)accepted;  // without a page engine, nothing but the program's own requests has a route
#endif
    banner_->RefreshBanner();
  };
  form.SetCommandHandlers(std::move(handlers));
  form.AddExitHook([this] { DestroyDialogs(); });
  form.SetExitWait([this](std::function<void()> finish) { WaitForSaves(std::move(finish)); });
}

void MessengerApp::WaitForSaves(std::function<void()> finish) {
  auto pending = std::make_shared<std::function<void()>>(std::move(finish));
  const auto once = [pending] {
    if (auto finishNow = std::exchange(*pending, nullptr)) finishNow();
  };
  // A disk that takes longer than this (a hung network home) must not keep a
  // logout waiting; the files on disk stay whole, each save being atomic.
  QTimer::singleShot(ExitSaveLimit, mainForm_.get(), [pending, once] {
    if (!*pending) return;
    std::fprintf(stderr,
                 "Quarlen Messenger: the article lists were still being written after %lld s; ending without the "
                 "changes not yet written.\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(ExitSaveLimit).count()));
    once();
  });
  // Runs after every save asked so far and every mark or delete waiting for
  // one, with the saves those ask for: the same queue they are in.
  cycle_->Saves().WhenWritten(once);
}

void MessengerApp::CompleteStartup() {
  if (EnsureConfigFolderOrQuit(environment_.configFolder, *mainForm_)) mainForm_->CompleteStartup();
}

}  // namespace quarlen

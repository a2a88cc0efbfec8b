#include "feeds/ui/ChannelTabsUi.h"

#include <QTabWidget>
#include <QTimer>

namespace quarlen {

ChannelTabsUi::ChannelTabsUi(ChannelTabsSetup setup)
    : downloader_(std::move(setup.applyProfile), setup.network),
      view_(setup.tabsChannels, setup.pages, setup.urlOpener),
      timer_(setup.timerRefreshChannel),
      tabs_(ChannelTabsPorts{view_, view_, timer_, downloader_, setup.statusBar}, std::move(setup.urls),
            std::move(setup.ping), std::move(setup.offlineHtml)),
      connections_(std::make_unique<QObject>()) {
  ICommandRunner& run = setup.run;
  QObject::connect(&setup.tabsChannels, &QTabWidget::currentChanged, connections_.get(),
                   [this, &run](int index) { run.Run([this, index] { tabs_.tabsChannelsChange(index); }); });
  QObject::connect(&setup.timerRefreshChannel, &QTimer::timeout, connections_.get(),
                   [this, &run] { run.Run([this] { tabs_.timerRefreshChannelTimer(); }); });
}

ChannelTabsUi::~ChannelTabsUi() = default;

}  // namespace quarlen

#include "feeds/ui/ChannelTabsView.h"

#include <QFont>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/ui/PageViews.h"
#include "platform/ui/VerdanaFont.h"

namespace quarlen {

ChannelTabsView::ChannelTabsView(QTabWidget& tabs, PageViews& pages, IUrlOpener& opener)
    : tabs_(tabs), pages_(pages), opener_(opener) {
  tabs_.tabBar()->setFont(VerdanaFont(6, true));
}

void ChannelTabsView::AddChannelTab(const std::string& caption) {
  auto* sheet = new QWidget;
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(0, 0, 0, 0);
  // The first tab added becomes the current one; that is no user's choice of
  // channel, so it must not reach the change handler.
  const QSignalBlocker blocker(&tabs_);
  // "&&" keeps an ampersand of the caption from underlining the next letter.
  tabs_.addTab(sheet, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()))
                          .replace(QLatin1Char('&'), QStringLiteral("&&")));
  ChannelBrowsers.push_back(nullptr);
}

IPageView* ChannelTabsView::ChannelBrowser(int channel) const {
  if (channel < 0 || channel >= static_cast<int>(ChannelBrowsers.size())) return nullptr;
  return ChannelBrowsers[channel];
}

IPageView* ChannelTabsView::EnsureBrowser(int channel) {
  if (channel < 0 || channel >= static_cast<int>(ChannelBrowsers.size())) return nullptr;
  if (ChannelBrowsers[channel] == nullptr) {
    QWidget* sheet = tabs_.widget(channel);
    IPageView* browser = &pages_.MakeView(sheet, opener_, OutsideLinks::NewWindow);
    sheet->layout()->addWidget(browser->Widget());
    // Tab reaches the page right after the tab bar, wherever it was made.
    QWidget::setTabOrder(tabs_.tabBar(), browser->Widget());
    ChannelBrowsers[channel] = browser;
  }
  return ChannelBrowsers[channel];
}

void ChannelTabsView::Navigate(int channel, const std::string& url) {
  if (url == BlankPage) {
    IPageView* browser = ChannelBrowser(channel);
    // A browser that was never made shows nothing already.
    if (browser == nullptr) return;
    // A blank browser in a hidden tab would still keep a page and a renderer
    // process alive for the rest of the run; an empty sheet shows the same
    // nothing, and the next activation makes a fresh browser.
    if (channel != tabs_.currentIndex()) {
      ChannelBrowsers[channel] = nullptr;
      browser->Widget()->deleteLater();
      return;
    }
  }
  if (IPageView* browser = EnsureBrowser(channel)) browser->Navigate(url);
}

void ChannelTabsView::LoadHtmlIntoBrowser(int channel, const std::string& html) {
  if (IPageView* browser = EnsureBrowser(channel)) browser->LoadHtml(html);
}

}  // namespace quarlen

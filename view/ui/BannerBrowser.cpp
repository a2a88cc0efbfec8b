#include "view/ui/BannerBrowser.h"

#include <QWebEngineView>

#include "platform/ui/SilentBrowser.h"

namespace quarlen {

BannerBrowser::BannerBrowser(QWebEngineProfile* profile, QWidget* parent, IUrlOpener& opener)
    : view_(MakeSilentBrowser(profile, parent, opener, OutsideLinks::EveryUserLink)) {}

void BannerBrowser::Navigate(const std::string& url) { NavigateWithoutCache(*view_, url); }

void BannerBrowser::LoadHtml(const std::string& html) { LoadHtmlIntoBrowser(*view_, html); }

}  // namespace quarlen

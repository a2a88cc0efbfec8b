#include "view/ui/BannerBrowser.h"

#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace quarlen {

namespace {
QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }
}  // namespace

BannerBrowser::BannerBrowser(QWidget* parent) {
  profile_ = new QWebEngineProfile(parent);
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  view_ = new QWebEngineView(profile_, parent);
}

void BannerBrowser::Navigate(const std::string& url) { view_->setUrl(QUrl(Q(url))); }

void BannerBrowser::LoadHtml(const std::string& html) { view_->setHtml(Q(html)); }

}  // namespace quarlen

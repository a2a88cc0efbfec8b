#pragma once
// The banner's embedded browser: a web view on a profile that never reads
// from or writes to an HTTP cache.
#include <string>

#include "view/Banner.h"

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace quarlen {

class BannerBrowser : public IBannerBrowser {
 public:
  // The view and its profile are children of parent and go with it.
  explicit BannerBrowser(QWidget* parent);

  void Navigate(const std::string& url) override;
  void LoadHtml(const std::string& html) override;
  QWebEngineView* View() const { return view_; }

 private:
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
};

}  // namespace quarlen

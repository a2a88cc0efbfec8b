#pragma once
// The banner's embedded browser: a silent web view on a cache-less profile.
#include <string>

#include "view/Banner.h"

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace quarlen {

class BannerBrowser : public IBannerBrowser {
 public:
  // The view is a child of parent and goes with it; profile outlives it.
  BannerBrowser(QWebEngineProfile* profile, QWidget* parent);

  void Navigate(const std::string& url) override;
  void LoadHtml(const std::string& html) override;
  QWebEngineView* View() const { return view_; }

 private:
  QWebEngineView* view_ = nullptr;
};

}  // namespace quarlen

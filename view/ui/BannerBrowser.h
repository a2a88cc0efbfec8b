#pragma once
// The banner's embedded browser: a silent web view on a cache-less profile,
// reached by the mouse only (it is no stop of the Tab order).
#include <string>

#include "view/Banner.h"

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace quarlen {

class IUrlOpener;

class BannerBrowser : public IBannerBrowser {
 public:
  // The view is a child of parent and goes with it; profile and opener outlive
  // it. Every link the user follows in the banner opens through opener.
  BannerBrowser(QWebEngineProfile* profile, QWidget* parent, IUrlOpener& opener);

  void Navigate(const std::string& url) override;
  void LoadHtml(const std::string& html) override;
  QWebEngineView* View() const { return view_; }

 private:
  QWebEngineView* view_ = nullptr;
};

}  // namespace quarlen

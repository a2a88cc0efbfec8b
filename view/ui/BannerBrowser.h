#pragma once
// The banner's page: a page view of the build's page engine, reached by the
// mouse only (it is no stop of the Tab order).
#include <string>

#include "view/Banner.h"

class QWidget;

namespace quarlen {

class IPageView;
class IUrlOpener;
class PageViews;

class BannerBrowser : public IBannerBrowser {
 public:
  // The view is a child of parent and goes with it; pages and opener outlive
  // it. Every link the user follows in the banner opens through opener.
  BannerBrowser(PageViews& pages, QWidget* parent, IUrlOpener& opener);

  void Navigate(const std::string& url) override;
  void LoadHtml(const std::string& html) override;
  QWidget* View() const;

 private:
  IPageView* view_ = nullptr;
};

}  // namespace quarlen

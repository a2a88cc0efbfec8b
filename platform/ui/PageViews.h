#pragma once
// The window's web pages (the banner and each channel tab) behind one
// interface, made by the page engine the build chose (QUARLEN_BROWSER): with
// the embedded browser engine, silent browsers on one cache-less profile;
// without one (the MinGW build), a notice that offers the user's own browser.
#include <memory>
#include <string>

#ifndef QUARLEN_BROWSER_WEBENGINE
#error "QUARLEN_BROWSER_WEBENGINE must be 0 or 1: link platform_ui, which defines it"
#endif

class QWidget;
#if QUARLEN_BROWSER_WEBENGINE
class QWebEngineProfile;
#endif

namespace quarlen {

class IUrlOpener;

// Which links of a page open in the user's browser instead of in the page.
enum class OutsideLinks {
  NewWindow,      // links that ask for a new window (the page can't make one)
  EveryUserLink,  // those, and every link the user follows inside the page
};

// One page area of the window. It lives as long as its widget.
class IPageView {
 public:
  virtual ~IPageView() = default;
  // The widget that shows the page, a child of the parent it was made in.
  virtual QWidget* Widget() const = 0;
  // Starts loading url (nothing is read from or written to a cache); returns at once.
  virtual void Navigate(const std::string& url) = 0;
  // Shows an HTML text of the program's own in place of the page.
  virtual void LoadHtml(const std::string& html) = 0;
};

// Makes the page views of one run and holds what they share; outlives them.
class PageViews {
 public:
  PageViews();
  ~PageViews();
  PageViews(const PageViews&) = delete;
  PageViews& operator=(const PageViews&) = delete;

  // A page view in parent, going with it; the links of `which` open through
  // opener (http and https only), which outlives the view.
  IPageView& MakeView(QWidget* parent, IUrlOpener& opener, OutsideLinks which);

#if QUARLEN_BROWSER_WEBENGINE
  // The profile every view shares (the proxy settings are applied to it).
  QWebEngineProfile* Profile() const { return profile_.get(); }

 private:
  std::unique_ptr<QWebEngineProfile> profile_;
#endif
};

}  // namespace quarlen

#include <QObject>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "platform/ui/PageViews.h"
#include "platform/ui/SilentBrowser.h"

namespace quarlen {

namespace {

// A child of the browser view, so it goes with the view (a hidden channel tab
// drops its browser to free the renderer).
class SilentPageView : public QObject, public IPageView {
 public:
  explicit SilentPageView(QWebEngineView* view) : QObject(view), view_(view) {}

  QWidget* Widget() const override { return view_; }
  void Navigate(const std::string& url) override { NavigateWithoutCache(*view_, url); }
  void LoadHtml(const std::string& html) override { LoadHtmlIntoBrowser(*view_, html); }

 private:
  QWebEngineView* view_;
};

}  // namespace

PageViews::PageViews() : profile_(MakeCachelessProfile(nullptr)) {}

PageViews::~PageViews() = default;

IPageView& PageViews::MakeView(QWidget* parent, IUrlOpener& opener, OutsideLinks which) {
  return *new SilentPageView(MakeSilentBrowser(profile_.get(), parent, opener, which));
}

}  // namespace quarlen

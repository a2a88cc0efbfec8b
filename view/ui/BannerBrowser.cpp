#include "view/ui/BannerBrowser.h"

#include <QChildEvent>
#include <QEvent>
#include <QWidget>

#include "platform/ui/PageViews.h"

namespace quarlen {

namespace {

// Keeps a widget and every child it gets later (the engine makes the widget
// that takes the keys only once a page loads) out of the Tab order: the
// banner is clicked, never tabbed through.
class ClickFocusOnly : public QObject {
 public:
  explicit ClickFocusOnly(QWidget& widget) : QObject(&widget) {
    widget.setFocusPolicy(Qt::ClickFocus);
    widget.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
      if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
        child->setFocusPolicy(Qt::ClickFocus);
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

BannerBrowser::BannerBrowser(PageViews& pages, QWidget* parent, IUrlOpener& opener)
    : view_(&pages.MakeView(parent, opener, OutsideLinks::EveryUserLink)) {
  new ClickFocusOnly(*view_->Widget());
}

void BannerBrowser::Navigate(const std::string& url) { view_->Navigate(url); }

void BannerBrowser::LoadHtml(const std::string& html) { view_->LoadHtml(html); }

QWidget* BannerBrowser::View() const { return view_->Widget(); }

}  // namespace quarlen

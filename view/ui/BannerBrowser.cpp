#include "view/ui/BannerBrowser.h"

#include <QChildEvent>
#include <QEvent>
#include <QWebEngineView>

#include "platform/ui/SilentBrowser.h"

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

BannerBrowser::BannerBrowser(QWebEngineProfile* profile, QWidget* parent, IUrlOpener& opener)
    : view_(MakeSilentBrowser(profile, parent, opener, OutsideLinks::EveryUserLink)) {
  new ClickFocusOnly(*view_);
}

void BannerBrowser::Navigate(const std::string& url) { NavigateWithoutCache(*view_, url); }

void BannerBrowser::LoadHtml(const std::string& html) { LoadHtmlIntoBrowser(*view_, html); }

}  // namespace quarlen

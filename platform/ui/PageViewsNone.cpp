#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/UiPorts.h"
#include "platform/ui/PageViews.h"
#include "platform/ui/QtText.h"

namespace quarlen {

namespace {

bool IsWebAddress(const std::string& url) {
  const QUrl parsed(ToQString(url), QUrl::StrictMode);
  return parsed.isValid() && !parsed.host().isEmpty() &&
         (parsed.scheme() == QLatin1String("http") || parsed.scheme() == QLatin1String("https"));
}

// What a build without a page engine shows in a page area: that the page
// cannot be shown here, and a button that opens it in the user's browser.
class PageNotice : public QWidget, public IPageView {
 public:
  PageNotice(QWidget* parent, IUrlOpener& opener)
      : QWidget(parent), opener_(opener), text_(new QLabel(this)), open_(new QPushButton(this)) {
    auto* layout = new QVBoxLayout(this);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignCenter);
    // Only the program's own notices are shown as rich text; nothing in them
    // is fetched or followed.
    text_->setTextFormat(Qt::RichText);
    text_->setOpenExternalLinks(false);
    open_->setText(QStringLiteral("Open in Web Browser"));
    layout->addStretch();
    layout->addWidget(text_);
    layout->addWidget(open_, 0, Qt::AlignHCenter);
    layout->addStretch();
    connect(open_, &QPushButton::clicked, this, [this] { opener_.OpenUrl(url_); });
    Show(std::string(), QString());
  }

  QWidget* Widget() const override { return const_cast<PageNotice*>(this); }

  void Navigate(const std::string& url) override {
    // A blank page shows nothing, as an empty browser would; an address the
    // browser command must not get (a file, another program's scheme) is not offered.
    if (!IsWebAddress(url)) {
      Show(std::string(), QString());
      return;
    }
    Show(url, QStringLiteral("This page cannot be shown in this build."));
  }

  void LoadHtml(const std::string& html) override { Show(std::string(), ToQString(html)); }

 private:
  void Show(const std::string& url, const QString& text) {
    url_ = url;
    text_->setText(text);
    open_->setVisible(!url.empty());
    open_->setToolTip(ToQString(url));
  }

  IUrlOpener& opener_;
  QLabel* text_;
  QPushButton* open_;
  std::string url_;
};

}  // namespace

PageViews::PageViews() = default;

PageViews::~PageViews() = default;

IPageView& PageViews::MakeView(QWidget* parent, IUrlOpener& opener, OutsideLinks) {
  return *new PageNotice(parent, opener);
}

}  // namespace quarlen

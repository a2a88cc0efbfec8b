#include "app/ui/SaveFailureNotice.h"

#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include "platform/UiPorts.h"
#include "platform/ui/QtText.h"

namespace quarlen {

SaveFailureNotice::SaveFailureNotice(QMainWindow& window, IStatusBar& statusBar)
    : window_(window), statusBar_(statusBar) {
  // The status text gives way to the next step's text ("Connected" at the
  // next ping); this field stays while the files are behind what is shown.
  field_ = new QLabel(QStringLiteral("Articles not saved"), window.statusBar());
  field_->setObjectName(QStringLiteral("articlesNotSaved"));
  field_->setContentsMargins(8, 0, 4, 0);
  window.statusBar()->addPermanentWidget(field_, 0);
  field_->hide();
}

void SaveFailureNotice::ListsNotSaved(const std::string& why, bool first) {
  statusBar_.SetStatusText(why);
  if (field_) {
    field_->setToolTip(ToQString(why));
    field_->show();
  }
  if (!first || box_) return;
  // A box that waited for its OK here would hold back the grid and the
  // announcement of the very news that could not be saved; so it is shown
  // and the work goes on beneath it.
  box_ = new QMessageBox(QMessageBox::Warning, QStringLiteral("Quarlen Messenger"),
                         ToQString(why + "\n\nThe articles are shown and will be saved as soon as the disk allows."),
                         QMessageBox::Ok, window_.isVisible() ? &window_ : nullptr);
  box_->setObjectName(QStringLiteral("saveFailureBox"));
  box_->setAttribute(Qt::WA_DeleteOnClose);
  box_->setModal(false);
  // Shown on the next turn, after the refresh has brought the window forward
  // for its news: a box mapped before that would end up beneath the window.
  QTimer::singleShot(0, box_, [box = box_] { box->show(); });
}

void SaveFailureNotice::ListsSavedAgain() {
  if (box_) box_->close();
  if (field_) field_->hide();
  statusBar_.SetStatusText("Articles saved");
}

}  // namespace quarlen

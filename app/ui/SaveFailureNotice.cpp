#include "app/ui/SaveFailureNotice.h"

#include <QMessageBox>
#include <QTimer>

#include "platform/UiPorts.h"
#include "platform/ui/QtText.h"

namespace quarlen {

SaveFailureNotice::SaveFailureNotice(QWidget& window, IStatusBar& statusBar) : window_(window), statusBar_(statusBar) {}

void SaveFailureNotice::ListsNotSaved(const std::string& why, bool first) {
  statusBar_.SetStatusText(why);
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
  statusBar_.SetStatusText("Articles saved");
}

}  // namespace quarlen

#pragma once
// What the window shows when the list files cannot be written (a full disk, a
// home turned read-only): one box for a run of failed saves, and the status text.
#include <QPointer>
#include <string>

#include "feeds/ListSaves.h"

class QMessageBox;
class QWidget;

namespace quarlen {

class IStatusBar;

class SaveFailureNotice : public ISaveAlarm {
 public:
  // window (the boxes' parent) and statusBar are borrowed and must outlive this.
  SaveFailureNotice(QWidget& window, IStatusBar& statusBar);

  // Sets the status text to why; the first failure of a run also opens a box
  // that does not wait for its OK, so the news is shown meanwhile.
  void ListsNotSaved(const std::string& why, bool first) override;
  // Closes the box if it is still open and says that the articles are saved.
  void ListsSavedAgain() override;

 private:
  QWidget& window_;
  IStatusBar& statusBar_;
  QPointer<QMessageBox> box_;
};

}  // namespace quarlen

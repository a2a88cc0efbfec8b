#pragma once
// What the window shows when the list files cannot be written (a full disk, a
// home turned read-only): one box for a run of failed saves, the status text,
// and "Articles not saved" at the right of the status bar until a save succeeds.
#include <QPointer>
#include <string>

#include "feeds/ListSaves.h"

class QLabel;
class QMainWindow;
class QMessageBox;

namespace quarlen {

class IStatusBar;

class SaveFailureNotice : public ISaveAlarm {
 public:
  // window (the boxes' parent, whose status bar gets the field) and statusBar
  // are borrowed and must outlive this.
  SaveFailureNotice(QMainWindow& window, IStatusBar& statusBar);

  // Sets the status text to why and shows the field; the first failure of a
  // run also opens a box that does not wait for its OK, so the news is shown meanwhile.
  void ListsNotSaved(const std::string& why, bool first) override;
  // Closes the box if it is still open, hides the field and says that the articles are saved.
  void ListsSavedAgain() override;

 private:
  QMainWindow& window_;
  IStatusBar& statusBar_;
  QPointer<QLabel> field_;
  QPointer<QMessageBox> box_;
};

}  // namespace quarlen

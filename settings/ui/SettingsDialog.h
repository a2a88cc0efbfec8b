#pragma once
// What the two settings dialogs share: "OK" stores and reads back, "Cancel"
// reads the stored values back, and Escape does not close the dialog.
#include <QDialog>

#include "platform/UiPorts.h"

class QPushButton;

namespace quarlen {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // A fixed-size dialog window over parent; its buttons run their work through run.
  explicit SettingsDialog(ICommandRunner& run, QWidget* parent = nullptr)
      : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), run_(run) {}

  // The stored values into the controls; throws SettingsStoreError when the file cannot be read.
  virtual void LoadSettings() = 0;
  // The controls into the store; throws SettingsStoreError when the file cannot be written.
  virtual void SaveSettings() = 0;

 public slots:
  // Store, read back, close. On a store failure the dialog stays open with the edits.
  void btnOkClick();
  // Discard the edits by reading the stored values back, close.
  void btnCancelClick();

 protected:
  // A push button of the dialog that is never its default: Enter in a field must not press one.
  QPushButton* MakeDialogButton(const QString& caption, const QString& name);
  // "OK" and "Cancel" clicked run btnOkClick and btnCancelClick.
  void ConnectButtons(QPushButton* ok, QPushButton* cancel);
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ICommandRunner& run_;
};

}  // namespace quarlen

#include "settings/ui/SettingsDialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include "settings/SettingsStore.h"

namespace quarlen {

void SettingsDialog::btnOkClick() {
  try {
    SaveSettings();
    LoadSettings();
  } catch (const SettingsStoreError&) {
    return;  // reported by the store; the dialog stays open with the edits
  }
  accept();
}

void SettingsDialog::btnCancelClick() {
  try {
    LoadSettings();
  } catch (const SettingsStoreError&) {
    return;
  }
  reject();
}

QPushButton* SettingsDialog::MakeDialogButton(const QString& caption, const QString& name) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

void SettingsDialog::ConnectButtons(QPushButton* ok, QPushButton* cancel) {
  connect(ok, &QPushButton::clicked, this, [this] { run_.Run([this] { btnOkClick(); }); });
  connect(cancel, &QPushButton::clicked, this, [this] { run_.Run([this] { btnCancelClick(); }); });
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
  // The dialogs have no cancel button of the platform's kind, so Escape does not close them.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quarlen

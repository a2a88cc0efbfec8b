#pragma once
// TfrmSettings: the notification settings dialog. It lives for the whole run;
// its controls are the live settings (INotificationSettings reads them at the
// moment of use) and xmlSettings only persists them. Loading the settings sets
// the interval of the feed's refresh timer.
#include "settings/ui/SettingsDialog.h"

#include "platform/UiPorts.h"
#include "settings/NotificationSettings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace quarlen {

class SettingsStore;
class SpinEdit;

class TfrmSettings : public SettingsDialog, public INotificationSettings {
  Q_OBJECT

 public:
  // Loads the settings from the store (FormCreate). The store and the refresh
  // interval must outlive the dialog. A store failure has already been reported by the
  // store; creation goes on with the controls not yet loaded at their defaults.
  // The buttons run through run.
  TfrmSettings(SettingsStore& xmlSettings, IRefreshInterval& refreshInterval, ICommandRunner& run,
               QWidget* parent = nullptr);
  // Program end: the store writes its file once more.
  ~TfrmSettings() override;

  // Shows the dialog modally; returns QDialog::Accepted after "OK".
  int ShowModal() { return exec(); }

  // The five keys into the controls (clamped), then the refresh timer's
  // interval; throws SettingsStoreError when the file cannot be read.
  void LoadSettings() override;
  // The five controls into the store; throws SettingsStoreError when the file cannot be written.
  void SaveSettings() override;

  bool PlaySound() const override;
  bool ShowBaloon() const override;
  bool ShowBrowser() const override;
  // The count in the control, held within 5..50 even while the user types in it.
  int KeepArticles() const override;

  // The controls, named as in the form.
  QGroupBox* grpActions = nullptr;
  QGroupBox* grpRefresh = nullptr;
  QCheckBox* cbPlaySound = nullptr;
  QCheckBox* cbShowBaloon = nullptr;
  QCheckBox* cbShowBrowser = nullptr;
  SpinEdit* seRefreshInterval = nullptr;
  SpinEdit* seKeepArticles = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;

 private:
  void FormCreate();

  SettingsStore& xmlSettings_;
  IRefreshInterval& refreshInterval_;
};

}  // namespace quarlen

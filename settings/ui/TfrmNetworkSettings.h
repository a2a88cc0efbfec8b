#pragma once
// TfrmNetworkSettings: the network settings dialog. It lives for the whole run;
// its controls are the live proxy settings (INetworkSettings reads them at the
// moment of each request) and xmlNetworkSettings only persists them, in a file
// readable by its owner only, because it holds the proxy password.
#include <string>
#include "settings/ui/SettingsDialog.h"

#include "settings/NetworkSettings.h"
#include "settings/SettingsStore.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quarlen {

class SpinEdit;

class TfrmNetworkSettings : public SettingsDialog, public INetworkSettings {
  Q_OBJECT

 public:
  // filePath: the full path of "KVTNetworkSettings.xml". Loads the settings
  // (FormCreate); a store failure has already gone to errorSink, and creation
  // goes on with the form's values. The buttons run through run.
  TfrmNetworkSettings(std::string filePath, SettingsErrorSink errorSink, ICommandRunner& run,
                      QWidget* parent = nullptr);
  // Program end: the store writes its file once more.
  ~TfrmNetworkSettings() override;

  // Shows the dialog modally; returns QDialog::Accepted after "OK".
  int ShowModal() { return exec(); }

  // The six keys into the controls; throws SettingsStoreError when the file cannot be read.
  void LoadSettings() override;
  // The six controls into the store; throws SettingsStoreError when the file cannot be written.
  void SaveSettings() override;

  // What the controls hold right now, edits included.
  ProxySettings CurrentProxySettings() const override;

  // The controls, named as in the form.
  QCheckBox* cbUseProxy = nullptr;
  QGroupBox* grpProxyServer = nullptr;
  QLineEdit* txtHostname = nullptr;
  SpinEdit* spinPort = nullptr;
  QCheckBox* cbUseProxyAuthentication = nullptr;
  QGroupBox* grpProxyAuthentication = nullptr;
  QLineEdit* txtUsername = nullptr;
  QLineEdit* txtPassword = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;

 private:
  void FormCreate();
  void Show(const ProxySettings& settings);

  SettingsStore xmlNetworkSettings_;
};

}  // namespace quarlen

#include "settings/ui/TfrmNetworkSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/QtText.h"
#include "settings/ui/SpinEdit.h"

namespace quarlen {

namespace {

QLineEdit* MakeEdit(const QString& name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

TfrmNetworkSettings::TfrmNetworkSettings(std::string filePath, SettingsErrorSink errorSink, ICommandRunner& run,
                                         QWidget* parent)
    : SettingsDialog(run, parent),
      xmlNetworkSettings_(std::move(filePath), std::move(errorSink), SettingsFileMode::OwnerOnly) {
  setObjectName(QStringLiteral("frmNetworkSettings"));
  setWindowTitle(QStringLiteral("Network Settings"));
  setFixedSize(359, 338);

  cbUseProxy = new QCheckBox(QStringLiteral("Use Proxy"), this);
  cbUseProxy->setObjectName(QStringLiteral("cbUseProxy"));

  grpProxyServer = new QGroupBox(QStringLiteral("Proxy Server"), this);
  grpProxyServer->setObjectName(QStringLiteral("grpProxyServer"));
  txtHostname = MakeEdit(QStringLiteral("txtHostname"), grpProxyServer);
  spinPort = new SpinEdit(0, 0, grpProxyServer);  // no range: nothing is clamped
  spinPort->setObjectName(QStringLiteral("spinPort"));
  auto* serverLayout = new QFormLayout(grpProxyServer);
  serverLayout->addRow(new QLabel(QStringLiteral("Hostname:"), grpProxyServer), txtHostname);
  serverLayout->addRow(new QLabel(QStringLiteral("Port:"), grpProxyServer), spinPort);

  cbUseProxyAuthentication = new QCheckBox(QStringLiteral("Use Proxy Authentication"), this);
  cbUseProxyAuthentication->setObjectName(QStringLiteral("cbUseProxyAuthentication"));

  grpProxyAuthentication = new QGroupBox(QStringLiteral("Proxy Authentication"), this);
  grpProxyAuthentication->setObjectName(QStringLiteral("grpProxyAuthentication"));
  txtUsername = MakeEdit(QStringLiteral("txtUsername"), grpProxyAuthentication);
  txtPassword = MakeEdit(QStringLiteral("txtPassword"), grpProxyAuthentication);
  txtPassword->setEchoMode(QLineEdit::Password);
  // Every character shows as "*" whatever the style's own mask character is.
  txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  auto* authenticationLayout = new QFormLayout(grpProxyAuthentication);
  authenticationLayout->addRow(new QLabel(QStringLiteral("Username:"), grpProxyAuthentication), txtUsername);
  authenticationLayout->addRow(new QLabel(QStringLiteral("Password:"), grpProxyAuthentication), txtPassword);

  btnOk = MakeDialogButton(QStringLiteral("OK"), QStringLiteral("btnOk"));
  btnCancel = MakeDialogButton(QStringLiteral("Cancel"), QStringLiteral("btnCancel"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cbUseProxy);
  layout->addWidget(grpProxyServer);
  layout->addWidget(cbUseProxyAuthentication);
  layout->addWidget(grpProxyAuthentication);
  layout->addStretch(1);
  layout->addLayout(buttons);

  ConnectButtons(btnOk, btnCancel);

  spinPort->SetValue(8080);  // the form's design value; the load replaces it
  FormCreate();
}

TfrmNetworkSettings::~TfrmNetworkSettings() { xmlNetworkSettings_.Flush(); }

void TfrmNetworkSettings::FormCreate() {
  try {
    LoadSettings();
  } catch (const SettingsStoreError&) {
    // Already shown by the store's error report; the program starts anyway.
  }
}

void TfrmNetworkSettings::Show(const ProxySettings& settings) {
  cbUseProxy->setChecked(settings.useProxy);
  cbUseProxyAuthentication->setChecked(settings.useProxyAuthentication);
  txtHostname->setText(ToQString(settings.hostname));
  spinPort->SetValue(settings.port);
  txtUsername->setText(ToQString(settings.username));
  txtPassword->setText(ToQString(settings.password));
}

void TfrmNetworkSettings::LoadSettings() { Show(LoadNetworkSettings(xmlNetworkSettings_)); }

void TfrmNetworkSettings::SaveSettings() { SaveNetworkSettings(xmlNetworkSettings_, CurrentProxySettings()); }

ProxySettings TfrmNetworkSettings::CurrentProxySettings() const {
  return {cbUseProxy->isChecked(), cbUseProxyAuthentication->isChecked(), ToStdString(txtHostname->text()),
          spinPort->Value(),       ToStdString(txtUsername->text()),      ToStdString(txtPassword->text())};
}

}  // namespace quarlen

#include "settings/ui/TfrmSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/SettingsStore.h"
#include "settings/ui/SpinEdit.h"

namespace quarlen {

namespace ns = NotificationSettings;

TfrmSettings::TfrmSettings(SettingsStore& xmlSettings, IRefreshInterval& refreshInterval, ICommandRunner& run,
                           QWidget* parent)
    : SettingsDialog(run, parent), xmlSettings_(xmlSettings), refreshInterval_(refreshInterval) {
  setObjectName(QStringLiteral("frmSettings"));
  setWindowTitle(QStringLiteral("Notification Settings"));

  grpActions = new QGroupBox(QStringLiteral("Actions"), this);
  grpActions->setObjectName(QStringLiteral("grpActions"));
  cbPlaySound = new QCheckBox(QStringLiteral("Play sound when new articles are available"), grpActions);
  cbPlaySound->setObjectName(QStringLiteral("cbPlaySound"));
  cbShowBaloon = new QCheckBox(QStringLiteral("Show baloon when new articles are available"), grpActions);
  cbShowBaloon->setObjectName(QStringLiteral("cbShowBaloon"));
  cbShowBrowser = new QCheckBox(QStringLiteral("Show message browser when new articles are available"), grpActions);
  cbShowBrowser->setObjectName(QStringLiteral("cbShowBrowser"));
  auto* actionsLayout = new QVBoxLayout(grpActions);
  actionsLayout->addWidget(cbPlaySound);
  actionsLayout->addWidget(cbShowBaloon);
  actionsLayout->addWidget(cbShowBrowser);

  grpRefresh = new QGroupBox(QStringLiteral("Refresh"), this);
  grpRefresh->setObjectName(QStringLiteral("grpRefresh"));
  seRefreshInterval = new SpinEdit(ns::RefreshIntervalMin, ns::RefreshIntervalMax, grpRefresh);
  seRefreshInterval->setObjectName(QStringLiteral("seRefreshInterval"));
  seKeepArticles = new SpinEdit(ns::KeepArticlesMin, ns::KeepArticlesMax, grpRefresh);
  seKeepArticles->setObjectName(QStringLiteral("seKeepArticles"));
  auto* refreshLayout = new QGridLayout(grpRefresh);
  refreshLayout->addWidget(new QLabel(QStringLiteral("Check for new articles every"), grpRefresh), 0, 0);
  refreshLayout->addWidget(seRefreshInterval, 0, 1);
  refreshLayout->addWidget(new QLabel(QStringLiteral("minutes."), grpRefresh), 0, 2);
  refreshLayout->addWidget(new QLabel(QStringLiteral("Keep latest"), grpRefresh), 1, 0);
  refreshLayout->addWidget(seKeepArticles, 1, 1);
  refreshLayout->addWidget(new QLabel(QStringLiteral("articles."), grpRefresh), 1, 2);
  refreshLayout->setColumnStretch(3, 1);

  btnOk = MakeDialogButton(QStringLiteral("OK"), QStringLiteral("btnOk"));
  btnCancel = MakeDialogButton(QStringLiteral("Cancel"), QStringLiteral("btnCancel"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grpActions);
  layout->addWidget(grpRefresh);
  layout->addStretch(1);
  layout->addLayout(buttons);

  // 327 x 280 is the smallest size; the fonts on hand may need more room for
  // the captions, so the fixed border is set where the layout fits them.
  const QSize fit = layout->totalSizeHint();
  setFixedSize(std::max(327, fit.width()), std::max(280, fit.height()));

  ConnectButtons(btnOk, btnCancel);

  // The form's own values, in force when the file cannot be read.
  cbPlaySound->setChecked(ns::PlaySoundDefault);
  cbShowBaloon->setChecked(ns::ShowBaloonDefault);
  cbShowBrowser->setChecked(ns::ShowBrowserDefault);
  seRefreshInterval->SetValue(ns::RefreshIntervalDefault);
  seKeepArticles->SetValue(ns::KeepArticlesDefault);

  FormCreate();
}

TfrmSettings::~TfrmSettings() { xmlSettings_.Flush(); }

void TfrmSettings::FormCreate() {
  try {
    LoadSettings();
  } catch (const SettingsStoreError&) {
    // Already shown by the store's error report; the program starts anyway.
  }
}

void TfrmSettings::LoadSettings() {
  cbPlaySound->setChecked(xmlSettings_.ReadBool(ns::PlaySoundKey, ns::PlaySoundDefault));
  cbShowBaloon->setChecked(xmlSettings_.ReadBool(ns::ShowBaloonKey, ns::ShowBaloonDefault));
  cbShowBrowser->setChecked(xmlSettings_.ReadBool(ns::ShowBrowserKey, ns::ShowBrowserDefault));
  seRefreshInterval->SetValue(xmlSettings_.ReadInteger(ns::RefreshIntervalKey, ns::RefreshIntervalDefault));
  seKeepArticles->SetValue(xmlSettings_.ReadInteger(ns::KeepArticlesKey, ns::KeepArticlesDefault));
  refreshInterval_.SetRefreshInterval(seRefreshInterval->Value() * ns::MillisecondsPerMinute);
}

void TfrmSettings::SaveSettings() {
  xmlSettings_.WriteBool(ns::PlaySoundKey, cbPlaySound->isChecked());
  xmlSettings_.WriteBool(ns::ShowBaloonKey, cbShowBaloon->isChecked());
  xmlSettings_.WriteBool(ns::ShowBrowserKey, cbShowBrowser->isChecked());
  xmlSettings_.WriteInteger(ns::RefreshIntervalKey, seRefreshInterval->Value());
  xmlSettings_.WriteInteger(ns::KeepArticlesKey, seKeepArticles->Value());
}

bool TfrmSettings::PlaySound() const { return cbPlaySound->isChecked(); }
bool TfrmSettings::ShowBaloon() const { return cbShowBaloon->isChecked(); }
bool TfrmSettings::ShowBrowser() const { return cbShowBrowser->isChecked(); }

int TfrmSettings::KeepArticles() const {
  // While the dialog is open the field may hold anything typed, 0 included;
  // the refresh cycle must never trim the store below the smallest limit.
  return std::clamp(seKeepArticles->Value(), ns::KeepArticlesMin, ns::KeepArticlesMax);
}

}  // namespace quarlen

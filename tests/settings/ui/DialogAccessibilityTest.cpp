// Both settings dialogs for the keyboard and a screen reader: every control
// has its own access key, every field is named by its label, and the number
// fields report the values they show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/ui/TimerInterval.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SpinEdit.h"
#include "settings/ui/TfrmNetworkSettings.h"
#include "settings/ui/TfrmSettings.h"
#include "tests/support/FakePorts.h"
#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

// The letter after a single "&", lower case; none for a text without one.
QChar AccessKey(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
    ++i;
  }
  return {};
}

struct Dialogs {
  test::TempFolder dir;
  test::FakeCommandRunner run;
  QTimer timer;
  TimerInterval interval{timer};
  SettingsStore store{dir.Slash() + "KVTSettings.xml", [](const std::string&) {}};
  TfrmSettings notification{store, interval, run};
  TfrmNetworkSettings network{dir.Slash() + "KVTNetworkSettings.xml", [](const std::string&) {}, run};
};

TEST(SettingsDialogAccessibility, EveryControlHasItsOwnAccessKeyThatReachesIt) {
  Dialogs d;
  for (SettingsDialog* dialog : std::initializer_list<SettingsDialog*>{&d.notification, &d.network}) {
    SCOPED_TRACE(dialog->objectName().toStdString());
    // Which control each access key reaches: a button itself, a field through its label.
    QMap<QChar, QWidget*> keys;
    const auto claim = [&](const QString& text, QWidget* target) {
      const QChar key = AccessKey(text);
      ASSERT_FALSE(key.isNull()) << text.toStdString();
      EXPECT_FALSE(keys.contains(key)) << "twice: " << QString(key).toStdString();
      keys.insert(key, target);
    };
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) claim(button->text(), button);
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (label->buddy() != nullptr) claim(label->text(), label->buddy());
    }
    // Every control that takes the focus is reached by one key.
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
      const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<SpinEdit*>(w) ||
                           (qobject_cast<QLineEdit*>(w) && !qobject_cast<SpinEdit*>(w->parentWidget()));
      if (control) {
        EXPECT_TRUE(std::find(keys.begin(), keys.end(), w) != keys.end()) << w->objectName().toStdString();
      }
    }
    // OK and Cancel stay plain buttons: Enter presses neither.
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->objectName().toStdString();
    }

    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    for (auto it = keys.begin(); it != keys.end(); ++it) {
      if (qobject_cast<QPushButton*>(it.value())) continue;  // pressing OK or Cancel closes the dialog
      QTest::keyClick(dialog, static_cast<Qt::Key>(it.key().toUpper().unicode()), Qt::AltModifier);
      QWidget* focused = QApplication::focusWidget();
      while (focused != nullptr && focused != it.value()) focused = focused->parentWidget();
      EXPECT_EQ(focused, it.value()) << "Alt+" << QString(it.key()).toStdString();
    }
    dialog->hide();
  }
}

TEST(SettingsDialogAccessibility, FieldsAreNamedByTheirLabelsAndReportTheirValues) {
  Dialogs d;
  d.network.spinPort->SetValue(3128);
  // field, name, value shown (-1: no number field)
  const struct {
    QWidget* field;
    const char* name;
    int value;
  } rows[] = {
      {d.notification.seRefreshInterval, "Check for new articles every", 30},
      {d.notification.seKeepArticles, "Keep latest", 20},
      {d.network.spinPort, "Port", 3128},
      {d.notification.cbShowBaloon, "Show baloon when new articles are available", -1},
  };
  for (const auto& row : rows) {
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(row.field);
    ASSERT_NE(field, nullptr) << row.name;
    EXPECT_EQ(field->text(QAccessible::Name), row.name);
    if (row.value < 0) continue;
    QAccessibleValueInterface* value = field->valueInterface();
    ASSERT_NE(value, nullptr) << row.name;
    EXPECT_EQ(value->currentValue().toInt(), row.value) << row.name;
    // A reader that sets the value sets the field.
    value->setCurrentValue(row.value + 1);
    EXPECT_EQ(static_cast<SpinEdit*>(row.field)->Value(), row.value + 1) << row.name;
  }
  QAccessibleValueInterface* interval =
      QAccessible::queryAccessibleInterface(d.notification.seRefreshInterval)->valueInterface();
  EXPECT_EQ(interval->minimumValue().toInt(), 5);
  EXPECT_EQ(interval->maximumValue().toInt(), 60);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(d.notification.seRefreshInterval)->text(QAccessible::Description),
            "minutes.");
}

}  // namespace
}  // namespace quarlen

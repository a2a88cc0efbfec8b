#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <climits>

#include "settings/ui/SpinEdit.h"

namespace quarlen {
namespace {

QLineEdit* EditOf(SpinEdit& spin) { return spin.findChild<QLineEdit*>(); }

void SetText(SpinEdit& spin, const QString& text) { EditOf(spin)->setText(text); }

void Wheel(SpinEdit& spin, int delta) {
  QWheelEvent event(QPointF(5, 5), spin.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&spin, &event);
}

void LeaveField(SpinEdit& spin) {
  QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(&spin, &event);
}

TEST(SettingsSpinEditTest, TypingAcceptsDigitsOnly) {
  struct Case {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"12", "12"}, {"1a2", "12"}, {"-5", "5"}, {"+7", "7"}, {" 3 ", "3"}, {"4.5", "45"}, {"x", ""},
  };
  for (const Case& c : cases) {
    SpinEdit spin(5, 60);
    SetText(spin, "");
    QTest::keyClicks(&spin, c.typed);
    EXPECT_EQ(spin.text(), QString(c.shown)) << c.typed;
  }
}

TEST(SettingsSpinEditTest, ControlKeysOtherThanEnterWork) {
  SpinEdit spin(5, 60);
  SetText(spin, "123");
  EditOf(spin)->setCursorPosition(3);
  QTest::keyClick(&spin, Qt::Key_Backspace);
  EXPECT_EQ(spin.text(), "12");
  QTest::keyClick(&spin, Qt::Key_Return);
  QTest::keyClick(&spin, Qt::Key_Enter);
  EXPECT_EQ(spin.text(), "12");
}

TEST(SettingsSpinEditTest, PastedTextFollowsTheSameRule) {
  SpinEdit spin(0, 0);
  SetText(spin, "");
  QApplication::clipboard()->setText("12a");
  EditOf(spin)->paste();
  EXPECT_EQ(spin.text(), "");
  QApplication::clipboard()->setText("42");
  EditOf(spin)->paste();
  EXPECT_EQ(spin.text(), "42");
  for (const char* sign : {"-5", "+5"}) {
    SetText(spin, "");
    QApplication::clipboard()->setText(sign);
    EditOf(spin)->paste();
    EXPECT_EQ(spin.text(), "") << sign;
  }
}

TEST(SettingsSpinEditTest, ReadingTheText) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"", 5}, {"30", 30}, {"2", 2}, {"500", 500}, {"007", 7}, {"99999999999", 5}, {"-3", -3},
  };
  for (const Case& c : cases) {
    SpinEdit spin(5, 60);
    SetText(spin, c.text);
    EXPECT_EQ(spin.Value(), c.value) << '"' << c.text << "\" reads as typed, not clamped";
  }
}

TEST(SettingsSpinEditTest, SettingClampsOnlyWithARange) {
  struct Case {
    int min, max, set, shown;
  } cases[] = {
      {5, 60, 2, 5},      {5, 60, 90, 60}, {5, 60, -1, 5},           {5, 50, 20, 20},
      {0, 0, 8080, 8080}, {0, 0, -7, -7},  {0, 0, INT_MAX, INT_MAX},
  };
  for (const Case& c : cases) {
    SpinEdit spin(c.min, c.max);
    spin.SetValue(c.set);
    EXPECT_EQ(spin.text(), QString::number(c.shown)) << c.min << ".." << c.max << " set " << c.set;
  }
}

TEST(SettingsSpinEditTest, LeavingTheFieldClamps) {
  struct Case {
    int min, max;
    const char* typed;
    const char* after;
  } cases[] = {
      {5, 60, "2", "5"}, {5, 60, "600", "60"}, {5, 60, "17", "17"}, {5, 60, "", ""}, {0, 0, "99999", "99999"},
  };
  for (const Case& c : cases) {
    SpinEdit spin(c.min, c.max);
    SetText(spin, c.typed);
    LeaveField(spin);
    EXPECT_EQ(spin.text(), QString(c.after)) << c.typed;
  }
}

TEST(SettingsSpinEditTest, ArrowsAndWheelStepByOneThroughTheClamp) {
  SpinEdit spin(5, 60);
  spin.SetValue(59);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 60);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 60);
  QTest::keyClick(&spin, Qt::Key_PageDown);
  EXPECT_EQ(spin.Value(), 60) << "only the arrows step";
  Wheel(spin, -120);
  EXPECT_EQ(spin.Value(), 59);
  Wheel(spin, -240);
  EXPECT_EQ(spin.Value(), 57);
  Wheel(spin, 60);
  EXPECT_EQ(spin.Value(), 57) << "half a notch is not a step yet";
  Wheel(spin, 60);
  EXPECT_EQ(spin.Value(), 58);

  SetText(spin, "");  // an empty field steps from the minimum
  QTest::keyClick(&spin, Qt::Key_Down);
  EXPECT_EQ(spin.Value(), 5);
  SetText(spin, "2");  // a typed value below the range steps into it
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 5);

  SpinEdit port(0, 0);
  port.SetValue(INT_MAX);
  port.stepBy(1);
  EXPECT_EQ(port.Value(), INT_MAX) << "a field without a range must not overflow";
  port.SetValue(0);
  QTest::keyClick(&port, Qt::Key_Down);
  EXPECT_EQ(port.Value(), -1);
}

}  // namespace
}  // namespace quarlen

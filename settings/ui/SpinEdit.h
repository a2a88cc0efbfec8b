#pragma once
// SpinEdit: a whole-number field with up and down arrows, used by the settings
// dialogs. Typing accepts digits only; the text is read as the minimum when it
// is empty or not a number; setting a value, the arrows, the wheel and leaving
// the field clamp into [minimum, maximum], unless minimum and maximum are
// equal (then nothing is clamped: a field without a range).
#include <QAbstractSpinBox>

namespace quarlen {

class SpinEdit : public QAbstractSpinBox {
  Q_OBJECT
  // What assistive technology reads and sets: the shown value and the range
  // (the whole int range for a field without one).
  Q_PROPERTY(int value READ Value WRITE SetValue)
  Q_PROPERTY(int minimum READ AccessibleMinimum)
  Q_PROPERTY(int maximum READ AccessibleMaximum)

 public:
  explicit SpinEdit(QWidget* parent = nullptr);
  SpinEdit(int minValue, int maxValue, QWidget* parent = nullptr);

  // The number in the text as typed (not clamped); the minimum for an empty or invalid text.
  int Value() const;
  // Shows the value, clamped when the field has a range.
  void SetValue(int value);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  // Sets both bounds (minValue <= maxValue); the shown text is not changed.
  void SetRange(int minValue, int maxValue);
  // The value clamped into the range, or unchanged when the field has none.
  int Clamp(long long value) const;
  int AccessibleMinimum() const;
  int AccessibleMaximum() const;

  QValidator::State validate(QString& input, int& pos) const override;
  void stepBy(int steps) override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int minValue_ = 0;
  int maxValue_ = 0;
  int wheelRemainder_ = 0;
  bool programSetSign_ = false;  // the shown value came from SetValue and is negative
};

}  // namespace quarlen

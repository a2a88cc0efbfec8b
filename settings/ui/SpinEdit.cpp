#include "settings/ui/SpinEdit.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QWheelEvent>
#include <algorithm>
#include <charconv>
#include <climits>
#include <string>

namespace quarlen {

namespace {
constexpr int WheelNotch = 120;

bool AllDigits(const QString& text, int from) {
  for (int i = from; i < text.size(); ++i) {
    if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9')) return false;
  }
  return true;
}
}  // namespace

SpinEdit::SpinEdit(QWidget* parent) : SpinEdit(0, 0, parent) {}

SpinEdit::SpinEdit(int minValue, int maxValue, QWidget* parent) : QAbstractSpinBox(parent) {
  SetRange(minValue, maxValue);
  // Stepping must not wrap or accelerate: one arrow press is one step.
  setWrapping(false);
  setAccelerated(false);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  lineEdit()->setText(QStringLiteral("0"));
  // A reader follows the value however it changes: typed, stepped or loaded.
  connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent changed(this, Value());
    QAccessible::updateAccessibility(&changed);
  });
}

int SpinEdit::Value() const {
  const std::string text = lineEdit()->text().toStdString();
  int value = 0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, value, 10);
  if (text.empty() || error != std::errc() || end != last) return minValue_;
  return value;
}

void SpinEdit::SetValue(int value) {
  const int shown = Clamp(value);
  programSetSign_ = shown < 0;
  lineEdit()->setText(QString::number(shown));
}

void SpinEdit::SetRange(int minValue, int maxValue) {
  minValue_ = std::min(minValue, maxValue);
  maxValue_ = std::max(minValue, maxValue);
}

int SpinEdit::Clamp(long long value) const {
  if (minValue_ != maxValue_) return static_cast<int>(std::clamp<long long>(value, minValue_, maxValue_));
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Judges the whole text after an edit, so pasted text is held to the same rule
// as typed text. A leading "-" stays editable only where the program set a
// negative value; an edit never brings one in, typed or pasted.
int SpinEdit::AccessibleMinimum() const { return minValue_ != maxValue_ ? minValue_ : INT_MIN; }
int SpinEdit::AccessibleMaximum() const { return minValue_ != maxValue_ ? maxValue_ : INT_MAX; }

QValidator::State SpinEdit::validate(QString& input, int& pos) const {
  const int from = programSetSign_ && input.startsWith(QLatin1Char('-')) ? 1 : 0;
  return AllDigits(input, from) ? QValidator::Acceptable : QValidator::Invalid;
}

void SpinEdit::stepBy(int steps) { SetValue(Clamp(static_cast<long long>(Value()) + steps)); }

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
  return QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
      stepBy(1);
      event->accept();
      return;
    case Qt::Key_Down:
      stepBy(-1);
      event->accept();
      return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // Enter is refused like any other key the field does not take; it must
      // not reach the dialog either.
      event->accept();
      return;
    default:
      break;
  }
  const QString text = event->text();
  // Printable characters other than digits are refused; control keys
  // (backspace, delete, shortcuts) pass.
  if (!text.isEmpty() && text[0] >= QLatin1Char(' ') && text[0] != QChar(0x7F) && !AllDigits(text, 0)) {
    event->accept();
    return;
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void SpinEdit::wheelEvent(QWheelEvent* event) {
  // One step per full notch of 120; finer wheels add up to a notch first.
  wheelRemainder_ += event->angleDelta().y();
  const int steps = wheelRemainder_ / WheelNotch;
  wheelRemainder_ -= steps * WheelNotch;
  if (steps != 0) stepBy(steps);
  event->accept();
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  wheelRemainder_ = 0;
  // An empty field stays empty: it reads as the minimum anyway.
  const int value = Value();
  if (Clamp(value) != value) SetValue(value);
}

QSize SpinEdit::sizeHint() const {
  ensurePolished();
  const QFontMetrics metrics(font());
  int width = std::max(metrics.horizontalAdvance(QString::number(minValue_)),
                       metrics.horizontalAdvance(QString::number(maxValue_)));
  width = std::max(width, metrics.horizontalAdvance(QStringLiteral("0000"))) + 4;
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QSize content(width, lineEdit()->sizeHint().height());
  return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QSize SpinEdit::minimumSizeHint() const { return sizeHint(); }

}  // namespace quarlen

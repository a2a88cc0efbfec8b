#include "view/ui/ArticleRowText.h"

#include <QFontMetrics>
#include <QTextLayout>

namespace quarlen {

QString VisibleGridText(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) {
      shown += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
      shown += QLatin1Char('&');
      ++i;
    }
  }
  return shown;
}

QString ReadStateText(bool unread) { return unread ? QStringLiteral("unread") : QStringLiteral("read"); }

QString ChartCellName(const QString& ticker) {
  const QString shown = VisibleGridText(ticker).trimmed();
  return shown.isEmpty() ? QStringLiteral("No chart") : shown + QStringLiteral(" chart");
}

QString SubjectCellDescription(bool unread, const QString& date, const QString& description) {
  // The read state comes first: it is what changes, and a reader that cuts a
  // long description short still says it.
  QStringList parts{ReadStateText(unread)};
  for (const QString& part : {VisibleGridText(date).simplified(), VisibleGridText(description).simplified()}) {
    if (!part.isEmpty()) parts << part;
  }
  return parts.join(QStringLiteral(", "));
}

QString ArticleToolTip(const QString& subject, const QString& date, const QString& description) {
  // Rich text, so Qt wraps a long description instead of showing one line
  // wider than the screen; the feed's own text can therefore carry no markup.
  const auto html = [](const QString& text) {
    return VisibleGridText(text)
        .toHtmlEscaped()
        .replace(QStringLiteral("\r\n"), QStringLiteral("<br>"))
        .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  };
  QString tip = QStringLiteral("<p><b>") + html(subject) + QStringLiteral("</b>");
  if (!date.isEmpty()) tip += QStringLiteral("<br>") + html(date);
  if (!description.isEmpty()) tip += QStringLiteral("<br>") + html(description);
  return tip + QStringLiteral("</p>");
}

QStringList ElidedGridLines(const QString& text, const QFont& font, QPaintDevice* device, int width, int height) {
  const QString shown = VisibleGridText(text);
  const QFontMetrics metrics(font, device);
  QTextLayout layout(shown, font, device);
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  int top = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    if (top + metrics.height() > height) break;
    const bool more = line.textStart() + line.textLength() < shown.size();
    if (more && top + metrics.lineSpacing() + metrics.height() > height) {
      // The rest of the text on one line, cut with an ellipsis where it
      // reaches the box's edge.
      QString rest = shown.mid(line.textStart());
      rest.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
      lines << metrics.elidedText(rest, Qt::ElideRight, width);
      break;
    }
    lines << shown.mid(line.textStart(), line.textLength()).trimmed();
    top += metrics.lineSpacing();
  }
  layout.endLayout();
  return lines;
}

}  // namespace quarlen

#pragma once
// What a grid row says beyond its painting: the texts a screen reader hears
// and the tooltip that shows the whole article.
#include <QFont>
#include <QString>
#include <QStringList>

class QPaintDevice;

namespace quarlen {

// A grid text as the grid shows it: "&&" becomes "&", a single "&" (which
// underlines the next character) is dropped.
QString VisibleGridText(const QString& text);

// "unread" or "read", the words the read list uses.
QString ReadStateText(bool unread);

// The chart cell's accessible name: the ticker's chart ("No chart" without a ticker).
QString ChartCellName(const QString& ticker);

// The subject cell's accessible description: read state, date line and description.
QString SubjectCellDescription(bool unread, const QString& date, const QString& description);

// The row's tooltip: subject, date line and description in full, as rich text
// whose markup comes only from here (the article's own text is escaped).
QString ArticleToolTip(const QString& subject, const QString& date, const QString& description);

// The lines of text wrapped at word boundaries into a box of width x height
// in font (measured on device, which may be null): as many whole lines as fit,
// the last of them ending in an ellipsis when text goes on. Mnemonics are
// resolved first (VisibleGridText).
QStringList ElidedGridLines(const QString& text, const QFont& font, QPaintDevice* device, int width, int height);

}  // namespace quarlen

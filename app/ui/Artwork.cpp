#include "app/ui/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/ui/VerdanaFont.h"

namespace quarlen {

namespace {
// A speech bubble with a rising chart line: the messenger's mark.
void DrawMark(QPainter& p, const QRectF& box, const QColor& fill, const QColor& line) {
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath bubble;
  const qreal w = box.width(), h = box.height();
  bubble.addRoundedRect(QRectF(box.left(), box.top(), w, h * 0.8), w * 0.18, h * 0.18);
  QPolygonF tail;
  tail << QPointF(box.left() + w * 0.2, box.top() + h * 0.75) << QPointF(box.left() + w * 0.15, box.bottom())
       << QPointF(box.left() + w * 0.45, box.top() + h * 0.75) << QPointF(box.left() + w * 0.2, box.top() + h * 0.75);
  QPainterPath tailPath;
  tailPath.addPolygon(tail);
  // A union, not one path of both: the tail runs the other way round, so the
  // overlap would be a hole outlined across the bubble's foot (seen at large sizes).
  p.setPen(QPen(line.darker(140), qMax<qreal>(1.0, w / 16)));
  p.setBrush(fill);
  p.drawPath(bubble.united(tailPath));
  QPolygonF chart;
  chart << QPointF(box.left() + w * 0.15, box.top() + h * 0.6) << QPointF(box.left() + w * 0.4, box.top() + h * 0.4)
        << QPointF(box.left() + w * 0.6, box.top() + h * 0.5) << QPointF(box.left() + w * 0.85, box.top() + h * 0.15);
  p.setPen(QPen(line, qMax<qreal>(1.5, w / 9), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(chart);
}
}  // namespace

QPixmap TrayIconImage(int index, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  const QRectF box(size / 32.0, size / 32.0, size - size / 16.0, size - size / 16.0);
  if (index == 1) {
    DrawMark(p, box, QColor(0xFA, 0xB2, 0x05), QColor(0xCC, 0x00, 0x00));
  } else {
    DrawMark(p, box, QColor(0xB0, 0xCE, 0xF1), QColor(0x00, 0x66, 0x99));
  }
  return pixmap;
}

QIcon TrayIcon(int index) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(TrayIconImage(index, size));
  return icon;
}

QPixmap LogoImage() {
  QPixmap pixmap(181, 81);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  DrawMark(p, QRectF(6, 12, 52, 56), QColor(0xFA, 0xB2, 0x05), QColor(0x00, 0x66, 0x99));
  QLinearGradient gradient(0, 10, 0, 70);
  gradient.setColorAt(0, QColor(0x00, 0x66, 0x99));
  gradient.setColorAt(1, QColor(0x00, 0x33, 0x66));
  p.setPen(QPen(QBrush(gradient), 1));
  QFont title = VerdanaFont(8, true);
  title.setPixelSize(24);
  p.setFont(title);
  p.drawText(QRect(64, 10, 117, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quarlen"));
  QFont subtitle = VerdanaFont(8, true);
  subtitle.setPixelSize(13);
  p.setFont(subtitle);
  p.setPen(QColor(0xCC, 0x00, 0x00));
  p.drawText(QRect(64, 44, 117, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Messenger"));
  return pixmap;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  // The outline is size / 16 wide and centred on the edge: keep all of it inside.
  const qreal inset = qMax<qreal>(0.5, size / 32.0);
  DrawMark(p, QRectF(inset, inset, size - 2 * inset, size - 2 * inset), QColor(0xB0, 0xCE, 0xF1),
           QColor(0x00, 0x66, 0x99));
  return image;
}

}  // namespace quarlen

#include "platform/ui/QtText.h"

namespace quarlen {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string ToStdString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace quarlen

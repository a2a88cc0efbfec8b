#include "platform/ui/VerdanaFont.h"

#include <QStringList>

namespace quarlen {

QFont VerdanaFont(int points, bool bold) {
  // Verdana is rarely on Linux. Left to the font matcher, the fallback could
  // be any sans face with other widths, so the substitute is named here.
  QFont font;
  font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
  font.setPointSize(points);
  font.setBold(bold);
  // The grid's 6 and 7 point texts need smoothing to stay legible: drawn
  // without it, letters run together ("article" reads "artide").
  font.setStyleStrategy(QFont::PreferAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace quarlen

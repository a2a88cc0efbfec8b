// Renders the application icon into an icon theme folder, one PNG per size:
//   iconrender OUT_DIR NAME SIZE...   writes OUT_DIR/<SIZE>x<SIZE>/apps/NAME.png
// Runs at build time, so the installed icons are always the program's own artwork.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "app/ui/Artwork.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: iconrender OUT_DIR NAME SIZE...\n", stderr);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const int size = QString::fromLatin1(argv[i]).toInt();
    if (size < 8 || size > 1024) {
      std::fprintf(stderr, "iconrender: bad size '%s'\n", argv[i]);
      return 2;
    }
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
    const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
    if (!QDir().mkpath(folder) || !quarlen::ApplicationIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "iconrender: can't write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}

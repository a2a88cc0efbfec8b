#pragma once
// The program's own pictures, drawn in code so no binary assets are needed.
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace quarlen {

// Tray icon image 0 (normal) or 1 (the last refresh brought new articles), size x size.
QPixmap TrayIconImage(int index, int size = 16);
// The tray icon with images from 16 to 64 pixels, so a panel that draws it
// larger gets a sharp one.
QIcon TrayIcon(int index);
// The logo `Image1`, 181 x 81.
QPixmap LogoImage();
// The window icon.
QIcon ApplicationIcon();
// The application icon at one size (square, transparent background); needs no
// application object, so the icon theme files are rendered from it at build time.
QImage ApplicationIconImage(int size);

}  // namespace quarlen

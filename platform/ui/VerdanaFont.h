#pragma once
// The program's one typeface: "Verdana" where it is installed, else DejaVu
// Sans, which has Verdana's proportions, so texts keep the layout's widths.
#include <QFont>

namespace quarlen {

// Verdana (or its substitute) at points, bold or not, antialiased.
QFont VerdanaFont(int points, bool bold);

}  // namespace quarlen

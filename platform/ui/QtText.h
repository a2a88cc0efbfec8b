#pragma once
// The one conversion between the program's UTF-8 std::string and Qt's QString.
#include <QString>
#include <string>
#include <string_view>

namespace quarlen {

// UTF-8 text as a QString; invalid sequences become U+FFFD.
QString ToQString(std::string_view text);
// A QString as UTF-8 text.
std::string ToStdString(const QString& text);

}  // namespace quarlen

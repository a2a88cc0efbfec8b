#pragma once
// The notification settings file exactly as the program writes it with its defaults.
#include <string>

namespace quarlen {
inline const std::string ExampleFile =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
    "<Configuration>\r\n"
    "  <PlaySound>TRUE</PlaySound>\r\n"
    "  <ShowBaloon>TRUE</ShowBaloon>\r\n"
    "  <ShowBrowser>TRUE</ShowBrowser>\r\n"
    "  <RefreshInterval>30</RefreshInterval>\r\n"
    "  <KeepArticles>20</KeepArticles>\r\n"
    "</Configuration>\r\n";
}  // namespace quarlen

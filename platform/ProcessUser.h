#pragma once
// Who the program runs as, in the terms the front end needs.
#include <string>

namespace quarlen {

// A key that tells this machine's users apart (the user id; the user name on
// Windows), for names that one user's copies share and another's never meet.
std::string ProcessUserKey();
// Whether the program runs as the superuser, where the browser engine's
// sandbox refuses to start (root on Linux; never the case on Windows).
bool RunsAsSuperuser();

}  // namespace quarlen

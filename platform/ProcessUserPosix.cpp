#include <unistd.h>

#include "platform/ProcessUser.h"

namespace quarlen {

std::string ProcessUserKey() { return std::to_string(::getuid()); }

bool RunsAsSuperuser() { return ::geteuid() == 0; }

}  // namespace quarlen

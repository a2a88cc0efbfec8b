#include "platform/ConfigFolder.h"

namespace quarlen {

std::string SystemApplicationDataFolder() { return ApplicationDataFolder(ProcessEnv); }

}  // namespace quarlen

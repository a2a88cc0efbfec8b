#pragma once
// The usage ping as the banner, the channel tabs and the refresh cycle start
// it: it returns at once, and done runs on the UI thread with whether the
// feed server answered (the ping has set the status text either way).
#include <functional>

namespace quarlen {

using PingDone = std::function<void(bool answered)>;
using PingCall = std::function<void(PingDone done)>;

}  // namespace quarlen

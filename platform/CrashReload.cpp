#include "platform/CrashReload.h"

namespace quarlen {

std::chrono::milliseconds CrashReloadDelay(std::optional<std::chrono::steady_clock::time_point> lastReload,
                                           std::chrono::steady_clock::time_point now) {
  if (!lastReload || now - *lastReload >= CrashReloadGap) return std::chrono::milliseconds(0);
  // The page still comes back, once the gap is over: a second crash soon
  // after the first must not leave it blank until its next timed reload.
  return std::chrono::ceil<std::chrono::milliseconds>(*lastReload + CrashReloadGap - now);
}

}  // namespace quarlen

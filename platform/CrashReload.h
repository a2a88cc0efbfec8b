#pragma once
// When a page whose renderer ended abnormally loads again: at once, but never
// twice within CrashReloadGap, so a page that kills its renderer can't loop.
#include <chrono>
#include <optional>

namespace quarlen {

inline constexpr std::chrono::milliseconds CrashReloadGap{10000};

// How long to wait before the reload, given when the page last reloaded after
// a crash (none: at once).
std::chrono::milliseconds CrashReloadDelay(std::optional<std::chrono::steady_clock::time_point> lastReload,
                                           std::chrono::steady_clock::time_point now);

}  // namespace quarlen

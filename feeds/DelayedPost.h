#pragma once
// A one-shot timer for core code: a task run on the UI thread after a delay.
#include <chrono>
#include <functional>

#include "net/NetworkLoop.h"

namespace quarlen {

// Runs task on network.ui once delay has passed, timed on network.loop's
// thread; a loop destroyed before then drops the task. Never fails.
void PostAfter(NetworkContext network, std::chrono::milliseconds delay, std::function<void()> task);

}  // namespace quarlen

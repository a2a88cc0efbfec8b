#pragma once
// The whole program run behind main(): command line, single instance, the
// windows in start-up order, termination signals and the event loop.
#include <functional>

namespace quarlen {

class MessengerApp;

// Called once the main window shows, right before the event loop runs; the
// reliability probe's build attaches itself here.
using BeforeEventLoop = std::function<void(MessengerApp&)>;

// Runs the program and returns its exit code.
int RunMessenger(int argc, char** argv, const BeforeEventLoop& beforeEventLoop = {});

}  // namespace quarlen

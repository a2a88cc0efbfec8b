#pragma once
// A command runner for tests of widgets without the main window: the work runs
// as is, so what it throws reaches the test.
#include "platform/UiPorts.h"

namespace quarlen {

struct DirectRunner : ICommandRunner {
  void Run(const std::function<void()>& work) override { work(); }
};

}  // namespace quarlen

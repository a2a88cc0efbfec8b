#include <gtest/gtest.h>

#include <QStringList>
#include <stdexcept>

#include "app/ui/CommandRunner.h"
#include "platform/ui/QtText.h"

namespace quarlen {
namespace {

// What the work throws is shown once and stops there. Once the exit has begun
// commands run no more, while the UI thread's queued tasks (the saves'
// reports) still run and report their failures where no box is needed; once
// the program ends nothing runs.
TEST(CommandRunnerTest, ShowsWhatTheWorkThrowsAndRunsOnlyQueuedTasksDuringTheExit) {
  enum class State { Running, Exiting, Stopped };
  struct Case {
    const char* name;
    std::function<void()> work;
    State state;
    bool queued;  // run as a queued task of the UI thread, not as a command
    int ran;
    QStringList shown;
    QStringList reported;  // through the exit's error report
  };
  int ran = 0;
  const auto fails = [&] {
    ++ran;
    throw std::runtime_error("Disk full");
  };
  const Case cases[] = {
      {"plain work", [&] { ++ran; }, State::Running, false, 1, {}, {}},
      {"a failure", fails, State::Running, false, 1, {"Disk full"}, {}},
      {"no exception type",
       [&] {
         ++ran;
         throw 42;
       },
       State::Running,
       false,
       1,
       {"Unknown error"},
       {}},
      {"empty work", nullptr, State::Running, false, 0, {}, {}},
      {"a queued task's failure", fails, State::Running, true, 1, {"Disk full"}, {}},
      {"a command during the exit", [&] { ++ran; }, State::Exiting, false, 0, {}, {}},
      {"a queued task during the exit", [&] { ++ran; }, State::Exiting, true, 1, {}, {}},
      {"a queued task's failure during the exit", fails, State::Exiting, true, 1, {}, {"Disk full"}},
      {"a command after Stop", [&] { ++ran; }, State::Stopped, false, 0, {}, {}},
      {"a queued task after Stop", [&] { ++ran; }, State::Stopped, true, 0, {}, {}},
  };
  for (const Case& c : cases) {
    ran = 0;
    QStringList shown;
    QStringList reported;
    CommandRunner runner([&](const QString& text) { shown << text; }, [&](const QString& text) { reported << text; });
    if (c.state == State::Exiting) runner.BeginExit();
    if (c.state == State::Stopped) runner.Stop();
    ICommandRunner& run = c.queued ? runner.QueuedTasks() : runner;
    EXPECT_NO_THROW(run.Run(c.work)) << c.name;
    EXPECT_EQ(ran, c.ran) << c.name;
    EXPECT_EQ(shown, c.shown) << c.name;
    EXPECT_EQ(reported, c.reported) << c.name;
    EXPECT_EQ(runner.Stopped(), c.state == State::Stopped) << c.name;
  }
}

TEST(CommandRunnerTest, StringsCrossBetweenStdAndQtUnchanged) {
  for (const std::string& text :
       {std::string(), std::string("Quarlen"), std::string("Zürich \xE2\x82\xAC 5"), std::string("a\0b", 3)}) {
    EXPECT_EQ(ToStdString(ToQString(text)), text);
  }
  EXPECT_EQ(ToQString("\xE2\x82\xAC").size(), 1);
}

}  // namespace
}  // namespace quarlen

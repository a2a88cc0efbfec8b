#include <gtest/gtest.h>

#include <QStringList>
#include <stdexcept>

#include "app/ui/CommandRunner.h"
#include "platform/ui/QtText.h"

namespace quarlen {
namespace {

// What the work throws is shown once and stops there; once the program ends nothing runs.
TEST(CommandRunnerTest, ShowsWhatTheWorkThrowsAndRunsNothingAfterStop) {
  struct Case {
    const char* name;
    std::function<void()> work;
    bool stopped;
    int ran;
    QStringList shown;
  };
  int ran = 0;
  const Case cases[] = {
      {"plain work", [&] { ++ran; }, false, 1, {}},
      {"a failure",
       [&] {
         ++ran;
         throw std::runtime_error("Disk full");
       },
       false,
       1,
       {"Disk full"}},
      {"no exception type",
       [&] {
         ++ran;
         throw 42;
       },
       false,
       1,
       {"Unknown error"}},
      {"empty work", nullptr, false, 0, {}},
      {"after Stop", [&] { ++ran; }, true, 0, {}},
  };
  for (const Case& c : cases) {
    ran = 0;
    QStringList shown;
    CommandRunner runner([&](const QString& text) { shown << text; });
    if (c.stopped) runner.Stop();
    EXPECT_NO_THROW(runner.Run(c.work)) << c.name;
    EXPECT_EQ(ran, c.ran) << c.name;
    EXPECT_EQ(shown, c.shown) << c.name;
    EXPECT_EQ(runner.Stopped(), c.stopped) << c.name;
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

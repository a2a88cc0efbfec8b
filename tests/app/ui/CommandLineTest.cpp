#include <gtest/gtest.h>

#include "app/ui/CommandLine.h"

namespace quarlen {
namespace {

struct CommandLineCase {
  QStringList arguments;
  bool strict;
  bool run;
  int exitCode;
  const char* textContains;
};

TEST(CommandLineTest, AnswersHelpVersionAndBadArguments) {
  const CommandLineCase cases[] = {
      {{"quarlen-messenger"}, true, true, 0, ""},
      {{"quarlen-messenger", "-v"}, true, false, 0, "quarlen-messenger " QUARLEN_PROGRAM_VERSION "\n"},
      {{"/usr/bin/quarlen-messenger", "-h"}, false, false, 0, "Usage: quarlen-messenger [options]"},
      // --help wins over whatever else is on the line.
      {{"quarlen-messenger", "--bogus", "--help"}, true, false, 0, "--help"},
      // Before the toolkit has taken its own options they are left alone.
      {{"quarlen-messenger", "-platform", "offscreen", "-reverse"}, false, true, 0, ""},
      // Anything else is refused already then: the toolkit aborts without a display.
      {{"quarlen-messenger", "--bogus"}, false, false, 2, "'bogus'"},
      {{"quarlen-messenger", "-style", "fusion", "stray"}, false, false, 2, "'stray'"},
      {{"quarlen-messenger", "-platform", "offscreen"}, true, false, 2, "'platform'"},
      {{"quarlen-messenger", "--bogus"}, true, false, 2, "'bogus'"},
      {{"quarlen-messenger", "stray"}, true, false, 2, "Unexpected argument 'stray'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString() + (c.strict ? " (strict)" : ""));
    const CommandLineRequest request = ReadCommandLine(c.arguments, c.strict);
    EXPECT_EQ(request.run, c.run);
    EXPECT_EQ(request.exitCode, c.exitCode);
    EXPECT_TRUE(request.text.contains(QString::fromUtf8(c.textContains))) << request.text.toStdString();
    if (c.exitCode == 2) {
      EXPECT_TRUE(request.text.contains("--help"));
    }
  }
}

}  // namespace
}  // namespace quarlen

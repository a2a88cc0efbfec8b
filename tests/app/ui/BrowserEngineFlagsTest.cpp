#include <gtest/gtest.h>

#include "app/ui/BrowserEngineFlags.h"

namespace quarlen {
namespace {

TEST(BrowserEngineFlagsTest, QuietByDefaultAndTheUsersFlagsStand) {
  const struct {
    const char* user;
    bool root;
    bool engineLog;
    const char* flags;
  } cases[] = {
      {"", false, false, "--disable-logging --log-level=3"},
      {"", true, false, "--no-sandbox --disable-logging --log-level=3"},
      {"", true, true, "--no-sandbox"},
      {" --no-sandbox ", true, false, "--no-sandbox --disable-logging --log-level=3"},
      {"--log-level=0 --enable-gpu", false, false, "--log-level=0 --enable-gpu --disable-logging"},
      {"--enable-logging=stderr", false, false, "--enable-logging=stderr --log-level=3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BrowserEngineFlags(c.user, c.root, c.engineLog), QByteArray(c.flags)) << c.user << " " << c.root;
  }
}

}  // namespace
}  // namespace quarlen

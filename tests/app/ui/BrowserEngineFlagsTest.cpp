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

struct LeanFlagsCase {
  const char* given;
  const char* expected;
};

TEST(BrowserEngineFlagsTest, AddsWhatTheFlagsLeaveOpen) {
  const LeanFlagsCase cases[] = {
      // With the sandbox on, the zygote is what sandboxes the renderer: it stays.
      {"", "--disable-gpu --renderer-process-limit=1 --js-flags=--no-short-builtin-calls"},
      {"--no-sandbox",
       "--no-sandbox --disable-gpu --renderer-process-limit=1 --js-flags=--no-short-builtin-calls "
       "--no-zygote"},
      // The user's own choices stand, with or without a value.
      {" --no-sandbox --renderer-process-limit=4 ",
       "--no-sandbox --renderer-process-limit=4 --disable-gpu --js-flags=--no-short-builtin-calls "
       "--no-zygote"},
      {"--disable-gpu --log-level=3",
       "--disable-gpu --log-level=3 --renderer-process-limit=1 --js-flags=--no-short-builtin-calls"},
      {"--js-flags=--jitless", "--js-flags=--jitless --disable-gpu --renderer-process-limit=1"},
      // A flag that only begins like one of ours is another flag.
      {"--disable-gpu-compositing --no-sandboxing",
       "--disable-gpu-compositing --no-sandboxing --disable-gpu --renderer-process-limit=1 "
       "--js-flags=--no-short-builtin-calls"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    EXPECT_EQ(LeanEngineFlags(c.given).toStdString(), c.expected);
  }
}

TEST(BrowserEngineFlagsTest, SoftwareDrawingKeepsTheUsersSettings) {
  qputenv("QT_XCB_GL_INTEGRATION", "xcb_egl");
  qunsetenv("QT_QUICK_BACKEND");
  UseSoftwareDrawing();
  EXPECT_EQ(qgetenv("QT_XCB_GL_INTEGRATION"), "xcb_egl");
  EXPECT_EQ(qgetenv("QT_QUICK_BACKEND"), "software");
  qunsetenv("QT_XCB_GL_INTEGRATION");
  qunsetenv("QT_QUICK_BACKEND");
}

TEST(BrowserEngineFlagsTest, OnlyTheSoftwareDrawingNotesAreDropped) {
  const struct {
    const char* message;
    bool dropped;
  } cases[] = {
      {"QXcbIntegration: Cannot create platform OpenGL context, neither GLX nor EGL are enabled", true},
      {"No suitable graphics backend found\n", true},  // as Qt Quick sends it
      {"No suitable graphics backend found for the printer", false},
      {"QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSoftwareDrawingNote(QString::fromUtf8(c.message)), c.dropped) << c.message;
}

}  // namespace
}  // namespace quarlen

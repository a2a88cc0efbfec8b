// The widget tests paint without a screen: the offscreen platform, unless the
// caller chose another one.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox", 0);  // the engine refuses root otherwise
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

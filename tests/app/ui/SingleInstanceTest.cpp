#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/SingleInstance.h"

namespace quarlen {
namespace {

// What the running copy makes of what a later start sends: "show", then the
// launcher's activation token on a line of its own (a copy of an older
// version sends no token line and hangs up).
TEST(SingleInstanceTest, AnswersShowRequestsWithTheirActivationToken) {
  struct Row {
    QByteArray request;
    QStringList expected;
  } rows[] = {
      {"show\nwayland-token-1\n", {"wayland-token-1"}},
      {"show\n\n", {""}},
      {"show\n", {""}},
      {"shout\nx\n", {}},
      {"", {}},
  };
  for (const Row& row : rows) {
    QTemporaryDir folder;
    SingleInstance first(folder.filePath("config"), folder.path());
    ASSERT_EQ(first.Acquire(), SingleInstance::Role::First);
    QStringList tokens;
    first.OnShowRequest([&tokens](const QString& token) { tokens << token; });

    QLocalSocket later;
    later.connectToServer(first.ServerName());
    ASSERT_TRUE(later.waitForConnected(2000));
    later.write(row.request);
    later.waitForBytesWritten(2000);
    later.disconnectFromServer();
    // Answered on the event loop; a request that never counts leaves the list empty.
    QDeadlineTimer deadline(1000);
    while (tokens.size() < row.expected.size() && !deadline.hasExpired()) QTest::qWait(20);
    QTest::qWait(100);
    EXPECT_EQ(tokens, row.expected) << row.request.toStdString();
  }
}

}  // namespace
}  // namespace quarlen

#include "feeds/AtomicFileGroup.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/FaultyFileOps.h"
#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

constexpr int GroupSize = 4;

void AddGroup(AtomicFileGroup& group, const test::TempFolder& dir, const std::string& text) {
  for (int i = 0; i < GroupSize; ++i) group.Add(dir / ("f" + std::to_string(i)), text);
}

void ExpectAll(const test::TempFolder& dir, const std::string& text) {
  for (int i = 0; i < GroupSize; ++i) EXPECT_EQ(test::ReadBytes(dir / ("f" + std::to_string(i))), text) << "file " << i;
}

TEST(AtomicFileGroup, ReplacesEveryFile) {
  test::TempFolder dir;
  AtomicFileGroup first(dir / "journal");
  AddGroup(first, dir, "old");
  first.Commit();
  AtomicFileGroup second(dir / "journal");
  AddGroup(second, dir, "new");
  second.Commit();
  ExpectAll(dir, "new");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"f0", "f1", "f2", "f3"}));
}

TEST(AtomicFileGroup, WriteFailureAtAnyFileChangesNothing) {
  for (int failAt = 0; failAt < GroupSize; ++failAt) {
    SCOPED_TRACE("write " + std::to_string(failAt) + " fails");
    test::TempFolder dir;
    AtomicFileGroup first(dir / "journal");
    AddGroup(first, dir, "old");
    first.Commit();

    test::FaultyFileOps ops;
    ops.writesBeforeFailure = failAt;
    AtomicFileGroup second(dir / "journal", &ops);
    AddGroup(second, dir, "new");
    EXPECT_THROW(second.Commit(), FileWriteError);
    EXPECT_EQ(ops.renames, 0);
    ExpectAll(dir, "old");
    // No temporary and no journal stay behind.
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"f0", "f1", "f2", "f3"}));
    EXPECT_FALSE(AtomicFileGroup::Recover(dir / "journal"));
  }
}

TEST(AtomicFileGroup, RecoverFinishesRenamesCutOffAtAnyPoint) {
  // Rename 0 puts the journal in place; renames 1 to 4 are the files'.
  for (int cutAt = 0; cutAt <= GroupSize; ++cutAt) {
    SCOPED_TRACE("rename " + std::to_string(cutAt) + " fails");
    test::TempFolder dir;
    AtomicFileGroup first(dir / "journal");
    AddGroup(first, dir, "old");
    first.Commit();

    test::FaultyFileOps ops;
    ops.renamesBeforeFailure = cutAt;
    AtomicFileGroup second(dir / "journal", &ops);
    AddGroup(second, dir, "new");
    EXPECT_THROW(second.Commit(), FileWriteError);
    for (int i = 0; i < GroupSize; ++i)
      EXPECT_EQ(test::ReadBytes(dir / ("f" + std::to_string(i))), i < cutAt - 1 ? "new" : "old");

    // Without a journal nothing was renamed and nothing is left to finish.
    EXPECT_EQ(AtomicFileGroup::Recover(dir / "journal"), cutAt > 0);
    ExpectAll(dir, cutAt > 0 ? "new" : "old");
    if (cutAt == 0) continue;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"f0", "f1", "f2", "f3"}));
  }
}

TEST(AtomicFileGroup, RecoverRenamesOnlyTemporariesOverTheirOwnFiles) {
  test::TempFolder dir;
  test::WriteBytes(dir / "victim", "keep");
  test::WriteBytes(dir / "other", "other");
  test::WriteBytes(dir / "a.tmp", "new a");
  // The first pair does not belong together; the second does.
  test::WriteBytes(dir / "journal", (dir / "other") + "\r\n" + (dir / "victim") + "\r\n" + (dir / "a.tmp") + "\r\n" +
                                        (dir / "a") + "\r\n");
  EXPECT_TRUE(AtomicFileGroup::Recover(dir / "journal"));
  EXPECT_EQ(test::ReadBytes(dir / "victim"), "keep");
  EXPECT_EQ(test::ReadBytes(dir / "other"), "other");
  EXPECT_EQ(test::ReadBytes(dir / "a"), "new a");
  EXPECT_FALSE(std::filesystem::exists(dir / "journal"));
}

TEST(AtomicFileGroup, PathWithLineBreakIsRefused) {
  AtomicFileGroup group("/tmp/journal");
  EXPECT_THROW(group.Add("/tmp/a\nb", "x"), std::invalid_argument);
}

}  // namespace
}  // namespace quarlen

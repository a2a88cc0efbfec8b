#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/FaultyFileOps.h"
#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;

TEST(WriteFileAtomically, ReplacesTheFileAndLeavesNoTemporary) {
  test::TempFolder dir;
  const std::string path = dir / "settings.xml";
  test::WriteBytes(path, "old contents that are longer");
  WriteFileAtomically(path, "new");
  EXPECT_EQ(test::ReadBytes(path), "new");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"settings.xml"});
}

TEST(WriteFileAtomically, GivesTheRequestedMode) {
  test::TempFolder dir;
  const std::string path = dir / "secret.xml";
  WriteFileAtomically(path, "password", 0600);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(WriteFileAtomically, ReplacesAStaleTemporary) {
  test::TempFolder dir;
  const std::string path = dir / "a.dat";
  test::WriteBytes(TemporaryPathFor(path), "left over from a crash, much longer than the new text");
  WriteFileAtomically(path, "fresh");
  EXPECT_EQ(test::ReadBytes(path), "fresh");
  EXPECT_FALSE(fs::exists(TemporaryPathFor(path)));
}

TEST(WriteFileAtomically, FailureKeepsTheOldFileAndNamesIt) {
  test::TempFolder dir;
  const std::string path = dir / "a.dat";
  test::WriteBytes(path, "old");
  // Something the temporary cannot replace stands where it must go.
  fs::create_directory(TemporaryPathFor(path));
  fs::create_directory(TemporaryPathFor(path) + "/inside");
  try {
    WriteFileAtomically(path, "new");
    FAIL() << "no error";
  } catch (const FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot create file \"" + path + "\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(test::ReadBytes(path), "old");
}

TEST(WriteFileAtomically, MissingFolderFails) {
  test::TempFolder dir;
  EXPECT_THROW(WriteFileAtomically(dir / "no/such/file", "x"), FileWriteError);
}

}  // namespace
}  // namespace quarlen

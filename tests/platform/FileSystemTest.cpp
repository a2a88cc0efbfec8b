#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;

TEST(FileSystem, StatusExistenceAndReadingFollowWhatIsThere) {
  test::TempFolder dir;
  test::WriteBytes(dir / "file.dat", "seven b");
  fs::create_directory(dir / "folder");
  struct Case {
    std::string name;
    PathKind kind;
    std::uintmax_t size;
    std::optional<std::string> content;  // nullopt: ReadWholeFileIfPresent finds nothing
  };
  const Case cases[] = {
      {"file.dat", PathKind::File, 7, "seven b"},
      {"folder", PathKind::Folder, 0, std::nullopt},
      {"missing.dat", PathKind::Missing, 0, std::nullopt},
      // A file where a folder of the path should be: nothing is there.
      {"file.dat/inside.dat", PathKind::Missing, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.name;
    const PathStatus status = StatusOf(path);
    EXPECT_EQ(status.kind, c.kind);
    if (c.kind == PathKind::File) {
      EXPECT_EQ(status.size, c.size);
    }
    EXPECT_EQ(PathExists(path), c.kind != PathKind::Missing);
    EXPECT_EQ(IsFolder(path), c.kind == PathKind::Folder);
    if (c.kind == PathKind::Folder) {
      // A folder exists but is not a file to read.
      EXPECT_THROW(ReadWholeFileIfPresent(path), std::system_error);
    } else {
      EXPECT_EQ(ReadWholeFileIfPresent(path), c.content);
    }
  }
}

TEST(FileSystem, NewFileIsExclusiveAndRenameReplacesTheTarget) {
  test::TempFolder dir;
  const std::string temp = dir / "a.tmp";
  const std::string target = dir / "a.dat";
  test::WriteBytes(target, "old and longer");
  {
    NewFile file(temp, 0600);
    file.Write("new ");
    file.Write("text");
    file.SyncAndClose();
  }
  EXPECT_THROW(NewFile(temp, 0600), std::system_error);
#ifdef _WIN32
  // Windows keeps only the read-only attribute of the permission bits.
  SetPermissions(temp, 0444);
  EXPECT_FALSE(MayWrite(temp));
  SetPermissions(temp, 0644);
#else
  EXPECT_EQ(StatusOf(temp).mode & 0777, 0600u);
  SetPermissions(temp, 0644);
  EXPECT_EQ(StatusOf(temp).mode & 0777, 0644u);
#endif
  EXPECT_TRUE(MayWrite(temp));
  RenameReplacing(temp, target);
  EXPECT_EQ(ReadWholeFileIfPresent(target), "new text");
  EXPECT_FALSE(PathExists(temp));
  RemoveFile(target);
  RemoveFile(target);  // a missing file is no error
  EXPECT_FALSE(PathExists(target));
  EXPECT_THROW(RenameReplacing(temp, target), std::system_error);
}

TEST(FileSystem, MakeFolderCreatesOneLevel) {
  test::TempFolder dir;
  EXPECT_TRUE(MakeFolder(dir / "one"));
  EXPECT_TRUE(MakeFolder(dir / "one"));  // already there
  EXPECT_FALSE(MakeFolder(dir / "missing/two"));
  test::WriteBytes(dir / "file", "x");
  EXPECT_FALSE(MakeFolder(dir / "file"));
  const std::string first = MakeTemporaryFolder("quarlen-fs-");
  const std::string second = MakeTemporaryFolder("quarlen-fs-");
  EXPECT_TRUE(IsFolder(first));
  EXPECT_NE(first, second);
  fs::remove_all(first);
  fs::remove_all(second);
}

}  // namespace
}  // namespace quarlen

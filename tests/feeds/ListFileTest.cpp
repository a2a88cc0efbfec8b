#include "feeds/ListFile.h"

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

namespace quarlen {
namespace {

using namespace std::string_literals;
using Entries = std::vector<std::string>;

struct ParseCase {
  const char* name;
  std::string bytes;
  Entries entries;
};

class ParseListTextTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseListTextTest, SplitsIntoEntries) { EXPECT_EQ(ParseListText(GetParam().bytes), GetParam().entries); }

INSTANTIATE_TEST_SUITE_P(
    FormatRules, ParseListTextTest,
    ::testing::Values(ParseCase{"EmptyFile", "", {}}, ParseCase{"OneEntryCrLf", "a\r\n", {"a"}},
                      ParseCase{"LetterThenTwoCrLf", "a\r\n\r\n", {"a", ""}}, ParseCase{"OnlyALineEnd", "\r\n", {""}},
                      ParseCase{"LoneLineFeeds", "one\ntwo\n", {"one", "two"}},
                      ParseCase{"LoneCarriageReturns", "one\rtwo\r", {"one", "two"}},
                      ParseCase{"MixedLineEnds", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                      ParseCase{"NoFinalLineEnd", "a\r\nlast", {"a", "last"}},
                      ParseCase{"EmptyLineInTheMiddle", "a\n\nb\n", {"a", "", "b"}},
                      ParseCase{"LineFeedThenCarriageReturnIsTwoEnds", "a\n\rb", {"a", "", "b"}},
                      ParseCase{"CarriageReturnBeforeCrLf", "a\r\r\n", {"a", ""}},
                      ParseCase{"ByteZeroEndsTheText", "a\r\nb\0c\r\nd\r\n"s, {"a", "b"}},
                      ParseCase{"ByteZeroFirst", "\0a\r\n"s, {}},
                      ParseCase{"Utf8KeptAsIs", "Привет & \xE2\x82\xAC\r\n", {"Привет & \xE2\x82\xAC"}},
                      ParseCase{"SpacesKept", "  padded  \r\n", {"  padded  "}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FormatCase {
  const char* name;
  Entries entries;
  std::string bytes;
};

class FormatListTextTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatListTextTest, WritesOneLinePerEntry) { EXPECT_EQ(FormatListText(GetParam().entries), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    FormatRules, FormatListTextTest,
    ::testing::Values(FormatCase{"EmptyListIsEmptyFile", {}, ""}, FormatCase{"EmptyEntryIsEmptyLine", {""}, "\r\n"},
                      FormatCase{"EveryLineEndsInCrLf", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
                      FormatCase{"LineFeedInsideBecomesSpace", {"two\nlines"}, "two lines\r\n"},
                      FormatCase{"CrLfInsideBecomesTwoSpaces", {"x\r\ny"}, "x  y\r\n"},
                      FormatCase{"ByteZeroInsideBecomesSpace", {"a\0b"s}, "a b\r\n"},
                      FormatCase{"TrailingLineFeedBecomesSpace", {"end\n", "next"}, "end \r\nnext\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListTextRoundTrip, EveryEntryComesBackAtItsIndex) {
  const std::vector<Entries> lists = {
      {},
      {""},
      {"", ""},
      {"a", "", "b", ""},
      {"http://example.test/a?x=1&y=2", "unread", "read"},
      {"line\nbreak", "carriage\rreturn", "both\r\n"},
  };
  for (const auto& list : lists) {
    const Entries back = ParseListText(FormatListText(list));
    ASSERT_EQ(back.size(), list.size()) << FormatListText(list);
    for (std::size_t i = 0; i < list.size(); ++i) {
      std::string expected = list[i];
      for (char& c : expected)
        if (c == '\r' || c == '\n') c = ' ';
      EXPECT_EQ(back[i], expected);
    }
  }
}

TEST(ReadListFile, MissingFileIsNoList) {
  test::TempFolder dir;
  EXPECT_FALSE(ReadListFile(dir / "absent.dat").has_value());
}

TEST(ReadListFile, UnreadableFileThrows) {
  test::TempFolder dir;
  std::filesystem::create_directory(dir / "folder.dat");
  EXPECT_THROW(ReadListFile(dir / "folder.dat"), ListFileError);
}

TEST(WriteListFile, WritesWithCrLfAndReadsBack) {
  test::TempFolder dir;
  const std::string path = dir / "list.dat";
  test::WriteBytes(path, "old\nfile\n");
  WriteListFile(path, {"new", "text"});
  EXPECT_EQ(test::ReadBytes(path), "new\r\ntext\r\n");
  EXPECT_EQ(ReadListFile(path), (Entries{"new", "text"}));
}

}  // namespace
}  // namespace quarlen

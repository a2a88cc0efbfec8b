// Replays the fuzzer's seed corpus, and hostile documents too large to keep
// in it, through the same entry point the fuzzer uses.

#include "fuzz/feedparser/FeedFuzzEntry.h"
#include "tests/feedparser/ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quarlen {
namespace {

namespace fs = std::filesystem;

const fs::path CorpusFolder = fs::path(QUARLEN_SOURCE_DIR) / "fuzz" / "feedparser" / "corpus";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectCleanEnd(const TFeedRunResult& result, const std::string& what) {
  EXPECT_TRUE(result.Parsed || !result.Failure.empty()) << what << ": a failure without a message";
  EXPECT_TRUE(result.AllUtf8) << what << ": the model holds text that is not UTF-8";
  // The failure's message reaches the status bar: it must be UTF-8 too, even
  // when the parser quotes a cut piece of a windows-1251 source.
  EXPECT_TRUE(result.FailureUtf8) << what << ": the failure's message is not UTF-8";
}

TEST(CorpusReplay, EveryCorpusFileEndsInAModelOrAFailure) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(CorpusFolder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 20u) << "corpus missing at " << CorpusFolder;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    ExpectCleanEnd(FeedFuzzEntry(ReadFile(file)), file.filename().string());
  }
}

// What some corpus documents must give, beyond ending cleanly.
struct CorpusExpectation {
  const char* file;
  bool parsed;
  const char* failure;  // the start of the failure's message, when it fails
  int items;
};

class CorpusOutcomeTest : public ::testing::TestWithParam<CorpusExpectation> {};

TEST_P(CorpusOutcomeTest, GivesTheReadersResult) {
  const CorpusExpectation& c = GetParam();
  const TFeedRunResult result = FeedFuzzEntry(ReadFile(CorpusFolder / c.file));
  EXPECT_EQ(result.Parsed, c.parsed) << result.Failure;
  EXPECT_EQ(result.Failure.rfind(c.failure, 0), 0u) << result.Failure;
  EXPECT_EQ(result.ItemCount, c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CorpusOutcomeTest,
    ::testing::Values(
        CorpusExpectation{"rss20_ticker.xml", true, "", 2}, CorpusExpectation{"rss_windows1251.xml", true, "", 1},
        CorpusExpectation{"rdf_standard.xml", true, "", 2},
        CorpusExpectation{"rdf_no_channel.xml", false, "Required Field Missing. Field: enclosure -> length", 2},
        CorpusExpectation{"atom03_feed.xml", true, "", 2}, CorpusExpectation{"atom03_head.xml", true, "", 1},
        CorpusExpectation{"atom_missing_title.xml", false, "Required Field Missing. Field: entry -> title", 1},
        CorpusExpectation{"rss_missing_item_title.xml", false, "Required Field Missing. Field: item -> title", 2},
        CorpusExpectation{"unknown_root.html", false, "unkown format: html", 0},
        CorpusExpectation{"unknown_root_rdf.xml", false, "unkown format: RDF", 0}),
    [](const auto& info) {
      std::string name = info.param.file;
      std::replace_if(
          name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
      return name;
    });

TEST(CorpusReplay, ExternalEntitiesAreNeverLoaded) {
  // The entity names /etc/passwd; whatever the outcome, nothing of that file
  // may reach the model.
  const test::ParseOutcome out = test::LoadAndParse(ReadFile(CorpusFolder / "hostile_xxe_file.xml"));
  const std::string title = out.rss->Channel().Required().Title();
  EXPECT_EQ(title.find("root:"), std::string::npos);
  for (int i = 0; i < out.rss->Items().Count(); ++i)
    EXPECT_EQ(out.rss->Items()[i].Title().find("root:"), std::string::npos);

  // A remote DTD and parameter entity on a closed local port: the parse ends
  // without touching the network (it would fail or hang otherwise).
  const TFeedRunResult remote = FeedFuzzEntry(ReadFile(CorpusFolder / "hostile_xxe_http.xml"));
  ExpectCleanEnd(remote, "hostile_xxe_http.xml");
}

TEST(CorpusReplay, EntityExpansionStaysBounded) {
  const test::ParseOutcome out = test::LoadAndParse(ReadFile(CorpusFolder / "hostile_billion_laughs.xml"));
  EXPECT_LT(out.rss->Channel().Required().Title().size(), 1u << 20);
  for (int i = 0; i < out.rss->Items().Count(); ++i) EXPECT_LT(out.rss->Items()[i].Title().size(), 1u << 20);
}

TEST(CorpusReplay, WindowsCp1251TitlesComeOutAsUtf8) {
  const test::ParseOutcome out = test::LoadAndParse(ReadFile(CorpusFolder / "rss_windows1251.xml"));
  ASSERT_EQ(out.failure, "") << out.message;
  // "Новости рынка", "Акции выросли"
  EXPECT_EQ(out.rss->Channel().Required().Title(),
            "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8 \xD1\x80\xD1\x8B\xD0\xBD\xD0\xBA\xD0\xB0");
  ASSERT_EQ(out.rss->Items().Count(), 1);
  EXPECT_EQ(out.rss->Items()[0].Title(),
            "\xD0\x90\xD0\xBA\xD1\x86\xD0\xB8\xD0\xB8 \xD0\xB2\xD1\x8B\xD1\x80\xD0\xBE\xD1\x81\xD0\xBB\xD0\xB8");
}

// Hostile shapes generated here because they are too big for the corpus.
struct HostileCase {
  const char* name;
  std::string xml;
};

class HostileDocumentTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileDocumentTest, EndsCleanly) {
  const TFeedRunResult result = FeedFuzzEntry(GetParam().xml);
  ExpectCleanEnd(result, GetParam().name);
}

std::string Repeat(const std::string& part, std::size_t times) {
  std::string out;
  out.reserve(part.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += part;
  return out;
}

const std::string RssHead = "<rss><channel><title>t</title><link>l</link><description>d</description>";

INSTANTIATE_TEST_SUITE_P(
    Generated, HostileDocumentTest,
    ::testing::Values(
        HostileCase{"DeepNesting", RssHead + "<item><title>x</title><description>" + Repeat("<a>", 200000) +
                                       Repeat("</a>", 200000) + "</description></item></channel></rss>"},
        HostileCase{"DeepUnclosedNesting", Repeat("<rss>", 300000)},
        HostileCase{"HugeText",
                    RssHead + "<item><title>" + std::string(12u << 20, 'A') + "</title></item></channel></rss>"},
        HostileCase{"HugeAttribute", RssHead + "<item><title>x</title><guid isPermaLink=\"" +
                                         std::string(11u << 20, 'b') + "\">g</guid></item></channel></rss>"},
        HostileCase{"ManyItems", RssHead + Repeat("<item><title>x</title></item>", 100000) + "</channel></rss>"},
        // A few thousand attributes on one element are enough to reach the
        // attribute handling's limits; tens of thousands only add time.
        HostileCase{"ManyAttributes", "<feed " +
                                          [] {
                                            std::string a;
                                            for (int i = 0; i < 2000; ++i) a += "a" + std::to_string(i) + "=\"v\" ";
                                            return a;
                                          }() +
                                          "><entry><title>x</title></entry></feed>"},
        HostileCase{"NulBytes", std::string("<rss>\0<channel>", 15)},
        HostileCase{"InvalidUtf8Declared",
                    "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss><channel><title>\xC3\x28"
                    "</title></channel></rss>"},
        HostileCase{"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"x-nowhere\"?><rss/>"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarlen

// Runs the built feeddump program the way a publisher does and checks the
// JSON it prints and its exit status.

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

struct ToolRun {
  int status = -1;
  std::string output;
};

class Feeddump : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("feeddump-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& text) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  static ToolRun Execute(const std::string& arguments) {
    ToolRun run;
    FILE* pipe = ::popen((std::string("'") + FEEDDUMP_PATH + "' " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

  ToolRun DumpText(const std::string& text) { return Execute("'" + Write("feed.xml", text) + "'"); }

  std::filesystem::path folder_;
};

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.push_back(key);
  return keys;
}

const char* Feed =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
    "<rss version=\"0.92\"><channel><title>\xcd\xee\xe2\xee\xf1\xf2\xe8</title><link>http://127.0.0.1/</link>"
    "<description>D</description><language>en-us</language><category domain=\"d\">c</category>"
    "<skipHours><hour>12</hour><hour>0</hour></skipHours><skipDays><day>Monday</day></skipDays>"
    "<pubDate>Tue, 03 May 2005 18:14:20 GMT</pubDate><lastBuildDate>never</lastBuildDate>"
    "<item><title>A</title><ticker>http://c/?s=X%20Y</ticker><link>http://127.0.0.1/1</link>"
    "<guid isPermaLink=\"false\">g</guid><category>k</category></item>"
    "<item><description>only</description></item></channel></rss>";

TEST_F(Feeddump, PrintsEveryMemberOfTheModel) {
  const ToolRun run = DumpText(Feed);
  ASSERT_EQ(run.status, 0) << run.output;
  const Json json = Json::parse(run.output);
  EXPECT_EQ(Keys(json), (std::vector<std::string>{"xmlType", "version", "channel", "items"}));
  EXPECT_EQ(json["xmlType"], "rss");
  EXPECT_EQ(json["version"], "0.92");
  const Json& channel = json["channel"];
  EXPECT_EQ(Keys(channel),
            (std::vector<std::string>{"title",      "link",           "desc",      "language",  "xlang",
                                      "copyright",  "managingEditor", "webMaster", "pubDate",   "lastBuildDate",
                                      "categories", "generator",      "docs",      "cloud",     "ttl",
                                      "image",      "rating",         "textInput", "skipHours", "skipDays"}));
  EXPECT_EQ(channel["title"], "Новости");
  EXPECT_EQ(channel["language"], "langEN_US");
  EXPECT_EQ(channel["pubDate"], (Json{{"dateTime", "2005-05-03T18:14:20"}, {"timeZone", "GMT"}}));
  EXPECT_EQ(channel["lastBuildDate"]["dateTime"], "1899-12-30T00:00:00");
  EXPECT_EQ(channel["categories"], Json::parse(R"([{"category":"c","domain":"d"}])"));
  EXPECT_EQ(Keys(channel["cloud"]),
            (std::vector<std::string>{"domain", "port", "path", "registerProcedure", "protocol", "include"}));
  EXPECT_EQ(Keys(channel["image"]),
            (std::vector<std::string>{"include", "url", "title", "link", "width", "height", "description"}));
  EXPECT_EQ(channel["image"]["url"], "URL Required");
  EXPECT_EQ(Keys(channel["textInput"]), (std::vector<std::string>{"title", "description", "name", "link", "include"}));
  EXPECT_EQ(channel["skipHours"], Json::parse(R"(["h00","h12"])"));
  EXPECT_EQ(channel["skipDays"], Json::parse(R"(["Monday"])"));

  ASSERT_EQ(json["items"].size(), 2u);
  const Json& item = json["items"][0];
  EXPECT_EQ(Keys(item),
            (std::vector<std::string>{"title", "ticker", "link", "description", "author", "categories", "comments",
                                      "enclosure", "guid", "pubDate", "dateText", "source", "contentType"}));
  EXPECT_EQ(item["ticker"], "http://c/?s=X%20Y");
  EXPECT_EQ(item["guid"], (Json{{"guid", "g"}, {"isPermaLink", false}, {"include", true}}));
  EXPECT_EQ(item["categories"], Json::parse(R"([{"title":"k","domain":""}])"));
  EXPECT_EQ(Keys(item["author"]), (std::vector<std::string>{"name", "email", "url"}));
  EXPECT_EQ(Keys(item["enclosure"]), (std::vector<std::string>{"url", "length", "type", "include"}));
  EXPECT_EQ(Keys(item["source"]), (std::vector<std::string>{"title", "url", "include"}));
  EXPECT_EQ(item["contentType"], "ctText");
  EXPECT_TRUE(item["dateText"].is_string());
  EXPECT_EQ(json["items"][1]["title"], "");
  EXPECT_EQ(json["items"][1]["description"], "only");
}

TEST_F(Feeddump, ReadsStandardInput) {
  const std::string path = Write("in.xml", Feed);
  const ToolRun run = Execute("- < '" + path + "'");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(Json::parse(run.output)["channel"]["title"], "Новости");
}

struct FailureCase {
  std::string document;
  std::string error;  // a part of the "error" member
  std::size_t items;
};

TEST_F(Feeddump, FailuresPrintTheModelWithAnErrorAndExitOne) {
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "<a>";
  const FailureCase cases[] = {
      {"<rss><channel></rss>", "Opening and ending tag mismatch", 0},
      {"<html><body/></html>", "unkown format: html", 0},
      {"", "Document is empty", 0},
      {"<rss><channel><title>t</title><link>l</link><description>d</description><item><title>1</title></item>"
       "<item><link>x</link></item></channel></rss>",
       "Required Field Missing. Field: item -> title", 2},
      {"<!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><rss><channel><title>&x;</title>"
       "<link>l</link><description>d</description><category>c</category></channel></rss>",
       "Element \"title\" has no value", 0},  // the external entity is never read
      {"<rss>" + deep + "</rss>", "Excessive depth", 0},
      {"<rss><channel><title>" + std::string(10000001, 'x') + "</title></channel></rss>", "Text longer than", 0},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.error);
    const ToolRun run = DumpText(c.document);
    EXPECT_EQ(run.status, 1);
    const Json json = Json::parse(run.output);
    ASSERT_TRUE(json.contains("error"));
    EXPECT_NE(json["error"].get<std::string>().find(c.error), std::string::npos) << json["error"];
    EXPECT_EQ(json["items"].size(), c.items);
    EXPECT_TRUE(json.contains("channel"));
    EXPECT_EQ(run.output.find("root:"), std::string::npos);  // nothing of /etc/passwd
  }
}

TEST_F(Feeddump, MissingFileIsAFailure) {
  const ToolRun run = Execute("'" + (folder_ / "none.xml").string() + "'");
  EXPECT_EQ(run.status, 1);
  const Json json = Json::parse(run.output);
  EXPECT_NE(json["error"].get<std::string>().find("Cannot open"), std::string::npos);
  EXPECT_EQ(json["xmlType"], "rdf");
  EXPECT_EQ(json["version"], "2.0");
}

}  // namespace

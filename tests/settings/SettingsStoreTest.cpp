#include "platform/FileSystem.h"
#include "settings/SettingsStore.h"
#include "tests/settings/ExampleSettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/NotificationSettings.h"
#include "tests/support/FaultyFileOps.h"

namespace quarlen {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::SizeIs;

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTemporaryFolder("settings-store-test-");
    path_ = (folder_ / "KVTSettings.xml").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder_, ec);
  }

  SettingsStore MakeStore(SettingsFileMode mode = SettingsFileMode::Default) {
    return SettingsStore(
        path_, [this](const std::string& m) { reports_.push_back(m); }, mode);
  }
  void WriteFile(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
  std::string ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_)) names.push_back(e.path().filename().string());
    return names;
  }
  static void WriteDefaults(SettingsStore& store) {
    using namespace NotificationSettings;
    store.WriteBool(PlaySoundKey, true);
    store.WriteBool(ShowBaloonKey, true);
    store.WriteBool(ShowBrowserKey, true);
    store.WriteInteger(RefreshIntervalKey, 30);
    store.WriteInteger(KeepArticlesKey, 20);
  }

  fs::path folder_;
  std::string path_;
  std::vector<std::string> reports_;
};

TEST_F(SettingsStoreTest, FirstConfirmationWritesTheExampleFileByteForByte) {
  SettingsStore store = MakeStore();
  EXPECT_TRUE(store.ReadBool("PlaySound", true));
  EXPECT_EQ(store.ReadInteger("RefreshInterval", 30), 30);
  EXPECT_FALSE(fs::exists(path_)) << "reads must not create the file";

  WriteDefaults(store);
  EXPECT_EQ(ReadFile(), ExampleFile);
  // Writing the same values again rewrites the same content, and no temporary file stays behind.
  WriteDefaults(store);
  EXPECT_EQ(ReadFile(), ExampleFile);
  EXPECT_THAT(FolderEntries(), SizeIs(1));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SettingsStoreTest, FlushOfAMissingFileWritesAnEmptyRoot) {
  SettingsStore store = MakeStore();
  store.Flush();
  EXPECT_EQ(ReadFile(), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration/>\r\n");
}

TEST_F(SettingsStoreTest, KeysInAnotherOrderAndHandAddedKeysKeepTheirPlaces) {
  // Hand-edited: LF line ends, tabs, another key order, an extra key, a key in other letter case.
  WriteFile(
      "<?xml version=\"1.0\"?>\n<Configuration>\n\t<keeparticles>12</keeparticles>\n"
      "\t<MyNote>hello world</MyNote>\n\t<RefreshInterval>2</RefreshInterval>\n"
      "\t<PLAYSOUND>no</PLAYSOUND>\n</Configuration>\n");
  SettingsStore store = MakeStore();
  EXPECT_EQ(store.ReadInteger("KeepArticles", 20), 12);
  EXPECT_EQ(store.ReadInteger("RefreshInterval", 30), 2);
  EXPECT_FALSE(store.ReadBool("PlaySound", true));
  EXPECT_TRUE(store.ReadBool("ShowBaloon", true)) << "missing key gives the default";
  EXPECT_EQ(store.ReadString("MyNote", ""), "hello world");

  WriteDefaults(store);
  EXPECT_EQ(ReadFile(),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
            "<Configuration>\r\n"
            "  <keeparticles>20</keeparticles>\r\n"
            "  <MyNote>hello world</MyNote>\r\n"
            "  <RefreshInterval>30</RefreshInterval>\r\n"
            "  <PLAYSOUND>TRUE</PLAYSOUND>\r\n"
            "  <ShowBaloon>TRUE</ShowBaloon>\r\n"
            "  <ShowBrowser>TRUE</ShowBrowser>\r\n"
            "</Configuration>\r\n");
}

TEST_F(SettingsStoreTest, EveryWriteRereadsTheFileFirst) {
  SettingsStore store = MakeStore();
  store.WriteInteger("Port", 3128);
  // Someone edits the file between two writes of the store.
  WriteFile("<Configuration><Port>3128</Port><Added>x</Added></Configuration>");
  store.WriteString("Hostname", "proxy");
  EXPECT_EQ(store.ReadString("Added", ""), "x");
  EXPECT_THAT(ReadFile(), HasSubstr("  <Added>x</Added>\r\n  <Hostname>proxy</Hostname>\r\n"));
}

TEST_F(SettingsStoreTest, FlushRewritesAHandEditedFileInTheStoreLayout) {
  WriteFile("<Configuration>\n<B>2</B>   <A>1</A><!-- note --><C/></Configuration>");
  SettingsStore store = MakeStore();
  store.Flush();
  EXPECT_EQ(ReadFile(),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>\r\n"
            "  <B>2</B>\r\n  <A>1</A>\r\n  <C/>\r\n</Configuration>\r\n");
}

TEST_F(SettingsStoreTest, EmptyValues) {
  SettingsStore store = MakeStore();
  store.WriteString("Hostname", "");
  store.WriteString("Username", "u");
  EXPECT_EQ(ReadFile(),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>\r\n"
            "  <Hostname/>\r\n  <Username>u</Username>\r\n</Configuration>\r\n");
  EXPECT_EQ(store.ReadString("Hostname", "default"), "") << "present but empty is not the default";

  WriteFile("<Configuration><Flag></Flag><Count/></Configuration>");
  EXPECT_FALSE(store.ReadBool("Flag", true));
  EXPECT_EQ(store.ReadInteger("Count", 30), -1);
}

TEST_F(SettingsStoreTest, ReadOnlyFileIsReadButNeverWritten) {
  const std::string original = "<Configuration><RefreshInterval>45</RefreshInterval></Configuration>";
  WriteFile(original);
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  SettingsStore store = MakeStore();
  EXPECT_EQ(store.ReadInteger("RefreshInterval", 30), 45);
  EXPECT_TRUE(store.ReadOnly());
  WriteDefaults(store);
  store.Flush();
  EXPECT_EQ(ReadFile(), original);
  EXPECT_TRUE(reports_.empty()) << "read-only writes are silent";

  // Once writable again, the next re-read notices it (the read-only note comes from the last re-read).
  ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
  store.ReadInteger("RefreshInterval", 30);
  store.WriteInteger("RefreshInterval", 10);
  EXPECT_EQ(store.ReadInteger("RefreshInterval", 30), 10);
}

TEST_F(SettingsStoreTest, ValuesReadBackExactly) {
  const std::vector<std::string> values = {
      "a<b",
      "fish & chips",
      "x > y",
      "</Password>",
      "&amp;",
      "]]>",
      "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xBA\xD1\x81\xD0\xB8 \xD1\x81\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80",  // Cyrillic
      "\xE2\x82\xAC \xF0\x9F\x98\x80",  // euro, emoji
      "  padded  ",
      " ",
      "line1\r\nline2\rline3\n",
      "tab\there",
      "quote \" and ' apostrophe",
      "p@ss:w0rd!#$%^*()",
  };
  SettingsStore store = MakeStore(SettingsFileMode::OwnerOnly);
  for (std::size_t i = 0; i < values.size(); ++i) store.WriteString("Value" + std::to_string(i), values[i]);
  SettingsStore other = MakeStore();
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(other.ReadString("Value" + std::to_string(i), "?"), values[i]) << "value " << i;
  }
  const std::string file = ReadFile();
  EXPECT_THAT(file, HasSubstr("<Value0>a&#60;b</Value0>"));
  EXPECT_THAT(file, HasSubstr("<Value1>fish &#38; chips</Value1>"));
  EXPECT_THAT(file, HasSubstr("<Value12>quote \" and ' apostrophe</Value12>")) << "plain ASCII stays as it is";
  EXPECT_THAT(file, HasSubstr("<Value6>&#1055;&#1088;"));
  for (unsigned char c : file) EXPECT_LT(c, 0x80) << "the file must be pure ASCII under its iso-8859-1 header";
}

TEST_F(SettingsStoreTest, TextsThatXmlCannotCarryAreStoredAsCloseAsPossible) {
  SettingsStore store = MakeStore();
  store.WriteString("Control", std::string("a\x01"
                                           "b\x1F"
                                           "c",
                                           5));
  store.WriteString("Latin1", "caf\xE9");  // not UTF-8: the byte is taken as Latin-1
  EXPECT_EQ(store.ReadString("Control", ""), "abc");
  EXPECT_EQ(store.ReadString("Latin1", ""), "caf\xC3\xA9");
}

TEST_F(SettingsStoreTest, ReadsHandAddedCharacterDataForms) {
  WriteFile(
      "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<Configuration>"
      "<Latin>\xE9t\xE9</Latin><Cdata><![CDATA[<raw> & stuff]]></Cdata>"
      "<Entity>&lt;&amp;&gt;&quot;</Entity><Nested attr=\"1\">a<b>b</b>c</Nested>"
      "</Configuration>");
  SettingsStore store = MakeStore();
  EXPECT_EQ(store.ReadString("Latin", ""), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(store.ReadString("Cdata", ""), "<raw> & stuff");
  EXPECT_EQ(store.ReadString("Entity", ""), "<&>\"");
  EXPECT_EQ(store.ReadString("Nested", ""), "abc");
}

TEST_F(SettingsStoreTest, NeverLoadsExternalEntities) {
  const fs::path secret = folder_ / "secret.txt";
  std::ofstream(secret) << "SECRET";
  WriteFile("<?xml version=\"1.0\"?><!DOCTYPE Configuration [<!ENTITY e SYSTEM \"file://" + secret.string() +
            "\">]><Configuration><Hostname>a&e;b</Hostname></Configuration>");
  SettingsStore store = MakeStore();
  EXPECT_EQ(store.ReadString("Hostname", ""), "ab");
}

TEST_F(SettingsStoreTest, ForeignRootGivesDefaultsAndKeepsItsContent) {
  WriteFile("<Settings><PlaySound>FALSE</PlaySound></Settings>");
  SettingsStore store = MakeStore();
  EXPECT_TRUE(store.ReadBool("PlaySound", true));
  // The root name counts with its letter case.
  WriteFile("<configuration><PlaySound>FALSE</PlaySound></configuration>");
  EXPECT_TRUE(store.ReadBool("PlaySound", true));
  store.Flush();
  EXPECT_THAT(ReadFile(), HasSubstr("<configuration>\r\n  <PlaySound>FALSE</PlaySound>\r\n</configuration>"));
}

TEST_F(SettingsStoreTest, UnparsableFileIsReportedOnceAndNeverOverwritten) {
  const std::string broken = "<Configuration>\n<PlaySound>TRUE</Play>\n</Configuration>";
  WriteFile(broken);
  SettingsStore store = MakeStore();
  EXPECT_THROW(store.ReadBool("PlaySound", true), SettingsStoreError);
  ASSERT_THAT(reports_, SizeIs(1));
  EXPECT_THAT(reports_[0], HasSubstr(path_));
  EXPECT_THAT(reports_[0], HasSubstr("line 2"));
  EXPECT_THAT(reports_[0], HasSubstr("mismatch"));

  EXPECT_THROW(store.WriteBool("PlaySound", false), SettingsStoreError);
  EXPECT_THAT(reports_, SizeIs(2));
  store.Flush();
  EXPECT_THAT(reports_, SizeIs(2)) << "program end does not report again";
  EXPECT_EQ(ReadFile(), broken);

  for (const std::string empty : {"", "   \n"}) {
    WriteFile(empty);
    EXPECT_THROW(store.ReadInteger("KeepArticles", 20), SettingsStoreError);
  }
}

TEST_F(SettingsStoreTest, WriteFailureIsReportedAndThrown) {
  // The folder cannot be created: a plain file is in the way.
  std::ofstream(folder_ / "blocker") << "x";
  SettingsStore store((folder_ / "blocker" / "sub" / "KVTSettings.xml").string(),
                      [this](const std::string& m) { reports_.push_back(m); });
  EXPECT_EQ(store.ReadInteger("KeepArticles", 20), 20);
  EXPECT_THROW(store.WriteInteger("KeepArticles", 10), SettingsStoreError);
  ASSERT_THAT(reports_, SizeIs(1));
  EXPECT_THAT(reports_[0], HasSubstr("blocker"));
  store.Flush();
  EXPECT_THAT(reports_, SizeIs(2)) << "a failed write at program end is reported, not thrown";

  // A full disk or a failed rename leaves the old file whole and no temporary behind.
  for (const bool renameFails : {false, true}) {
    WriteFile("<Configuration><Port>1</Port></Configuration>");
    test::FaultyFileOps ops;
    (renameFails ? ops.renamesBeforeFailure : ops.writesBeforeFailure) = 0;
    SettingsStore faulty(path_, nullptr, SettingsFileMode::Default, &ops);
    EXPECT_THROW(faulty.WriteInteger("Port", 2), SettingsStoreError) << "rename fails: " << renameFails;
    EXPECT_EQ(ReadFile(), "<Configuration><Port>1</Port></Configuration>");
    EXPECT_THAT(FolderEntries(), SizeIs(2)) << "the file and the blocker only";
  }
}

TEST_F(SettingsStoreTest, CreatesMissingFoldersAndKeepsPermissions) {
  const fs::path nested = folder_ / "a" / "b" / "KVTNetworkSettings.xml";
  SettingsStore secret(nested.string(), nullptr, SettingsFileMode::OwnerOnly);
  secret.WriteString("Password", "p");
  EXPECT_EQ(fs::status(nested).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  // An ordinary store keeps the mode the user gave an existing file.
  WriteFile("<Configuration/>");
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  SettingsStore store = MakeStore();
  store.WriteBool("PlaySound", true);
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // The password file is tightened even when it was created readable by others.
  ::chmod(nested.c_str(), 0644);
  secret.WriteString("Password", "q");
  EXPECT_EQ(fs::status(nested).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SettingsStoreTest, LinkedFileStaysALink) {
  const fs::path real = folder_ / "real.xml";
  std::ofstream(real) << "<Configuration/>";
  fs::create_symlink(real, path_);
  SettingsStore store = MakeStore();
  store.WriteInteger("Port", 8080);
  EXPECT_TRUE(fs::is_symlink(path_));
  SettingsStore direct(real.string(), nullptr);
  EXPECT_EQ(direct.ReadInteger("Port", 0), 8080);
}

TEST_F(SettingsStoreTest, KeysMustBeElementNames) {
  SettingsStore store = MakeStore();
  for (const char* key : {"", "1abc", "a b", "a<b", "a/"}) {
    EXPECT_THROW(store.WriteString(key, "v"), std::invalid_argument) << key;
  }
  EXPECT_FALSE(fs::exists(path_));
}

struct BoolCase {
  const char* text;
  bool expected;
};

TEST(SettingsConversionTest, BooleanTexts) {
  const BoolCase cases[] = {
      {"TRUE", true},  {"true", true},   {"Yes", true},  {"y", true},   {"1", true},      {"-2", true},
      {"1.5", true},   {"0.01", true},   {"+3", true},   {"2e3", true}, {"FALSE", false}, {"no", false},
      {"N", false},    {"0", false},     {"0.0", false}, {"-0", false}, {"", false},      {"maybe", false},
      {"yes!", false}, {" TRUE", false}, {"1 ", false},  {".", false},  {"1e", false},    {"t", false},
  };
  for (const BoolCase& c : cases) EXPECT_EQ(SettingsTextToBool(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_EQ(SettingsBoolToText(true), "TRUE");
  EXPECT_EQ(SettingsBoolToText(false), "FALSE");
}

struct IntegerCase {
  const char* text;
  int expected;
};

TEST(SettingsConversionTest, IntegerTexts) {
  const IntegerCase cases[] = {
      {"30", 30},
      {"-3", -3},
      {"+7", 7},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", -1},
      {"abc", -1},
      {"", -1},
      {" 5", -1},
      {"5 ", -1},
      {"5.0", -1},
      {"+-5", -1},
      {"-", -1},
      {"0x10", -1},
      {"TRUE", -1},
  };
  for (const IntegerCase& c : cases) EXPECT_EQ(SettingsTextToInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST_F(SettingsStoreTest, StoredTextsGoThroughTheConversions) {
  WriteFile(
      "<Configuration><PlaySound>Y</PlaySound><ShowBaloon>1</ShowBaloon><ShowBrowser>nope</ShowBrowser>"
      "<KeepArticles>many</KeepArticles><RefreshInterval>-3</RefreshInterval></Configuration>");
  SettingsStore store = MakeStore();
  EXPECT_TRUE(store.ReadBool("PlaySound", false));
  EXPECT_TRUE(store.ReadBool("ShowBaloon", false));
  EXPECT_FALSE(store.ReadBool("ShowBrowser", true));
  EXPECT_EQ(store.ReadInteger("KeepArticles", 20), -1) << "not a number reads -1, not the default";
  EXPECT_EQ(store.ReadInteger("RefreshInterval", 30), -3);
  EXPECT_EQ(store.ReadString("KeepArticles", ""), "many");
  store.WriteInteger("RefreshInterval", -12);
  EXPECT_THAT(ReadFile(), HasSubstr("<RefreshInterval>-12</RefreshInterval>"));
}

TEST(SettingsFilePathTest, JoinsFolderAndName) {
  EXPECT_EQ(SettingsFilePath("/home/u/.config", "KVTSettings.xml"), "/home/u/.config/KVTSettings.xml");
  EXPECT_EQ(SettingsFilePath("/home/u/.config/", "KVTSettings.xml"), "/home/u/.config/KVTSettings.xml");
  EXPECT_EQ(SettingsFilePath("", "KVTSettings.xml"), "KVTSettings.xml");
}

}  // namespace
}  // namespace quarlen

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/SocketErrorText.h"

namespace quarlen {
namespace {

TEST(SystemText, WinsockNumbersHaveTheirShortTexts) {
  struct Case {
    int number;
    std::string text;
  };
  const Case cases[] = {
      {10061, "Connection refused."},
      {10060, "Connection timed out."},
      {10054, "Connection reset by peer."},
      {11001, "Host not found."},
      {10065, "No route to host."},
      {10048, "Address already in use."},
      {111, ""},  // a Linux number is not a Winsock one
      {0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(WinsockErrorText(c.number), c.text) << c.number;
}

TEST(SystemText, SocketErrorMessageNamesNumberAndDescription) {
#ifdef _WIN32
  EXPECT_EQ(SocketErrorMessage(10061, "No connection could be made"), "Socket Error # 10061\r\nConnection refused.");
#else
  EXPECT_EQ(SocketErrorMessage(111, "Connection refused"), "Socket Error # 111\r\nConnection refused");
#endif
  // A number without a Winsock text keeps the system's own.
  EXPECT_EQ(SocketErrorMessage(42, "Some reason"), "Socket Error # 42\r\nSome reason");
}

TEST(SystemText, CodePageNamesAndDecoding) {
  struct Case {
    std::string charset;
    unsigned page;
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"windows-1251", 1251, "\xCD\xEE\xE2\xEE\xF1\xF2\xE8",
       "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"},
      {"WIN-1251", 1251, "\xC0", "\xD0\x90"},
      {"CP1252", 1252, "\x80 caf\xE9", "\xE2\x82\xAC caf\xC3\xA9"},
      {"koi8-r", 20866, "\xF0\xD2\xC9", "\xD0\x9F\xD1\x80\xD0\xB8"},
      {"ISO-8859-5", 28595, "\xBF", "\xD0\x9F"},
      {"ibm866", 866, "\x8F", "\xD0\x9F"},
      {"windows-1251", 1251, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.charset);
    EXPECT_EQ(WindowsCodePageOf(c.charset), c.page);
    EXPECT_EQ(CodePageToUtf8(c.bytes, c.charset), c.utf8);
  }
  for (const char* unknown : {"windows-1249", "iso-8859-12", "cp", "utf-16", "x-unknown"}) {
    EXPECT_EQ(WindowsCodePageOf(unknown), 0u) << unknown;
  }
  EXPECT_EQ(CodePageToUtf8("abc", "x-no-such-code-page"), std::nullopt);
}

}  // namespace
}  // namespace quarlen

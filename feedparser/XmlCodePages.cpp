#include "feedparser/XmlCodePages.h"

#include <libxml/encoding.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/CodePage.h"

namespace quarlen {
namespace {

// windows-1251 first: the feed server writes it.
constexpr std::array<const char*, 24> CodePageNames{
    "windows-1251", "windows-1250", "windows-1252", "windows-1253", "windows-1254", "windows-1255",
    "windows-1256", "windows-1257", "windows-1258", "windows-874",  "koi8-r",       "koi8-u",
    "ibm866",       "cp866",        "iso-8859-5",   "iso-8859-2",   "iso-8859-3",   "iso-8859-4",
    "iso-8859-6",   "iso-8859-7",   "iso-8859-8",   "iso-8859-9",   "iso-8859-13",  "iso-8859-15"};

// libxml2's decoder contract: convert what fits, say in *inlen and *outlen how
// much was read and written, return the bytes written or a negative error. A
// single byte never becomes more than three UTF-8 bytes, so whole bytes fit.
template <std::size_t Index>
int Decode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  const int take = std::min(*inlen, *outlen / 3);
  const auto text = CodePageToUtf8(std::string_view(reinterpret_cast<const char*>(in), static_cast<std::size_t>(take)),
                                   CodePageNames[Index]);
  if (!text || text->size() > static_cast<std::size_t>(*outlen)) {
    *inlen = 0;
    *outlen = 0;
    return -2;
  }
  std::copy(text->begin(), text->end(), out);
  *inlen = take;
  *outlen = static_cast<int>(text->size());
  return *outlen;
}

template <std::size_t... Index>
void RegisterMissing(std::index_sequence<Index...>) {
  const xmlCharEncodingInputFunc decoders[] = {&Decode<Index>...};
  for (std::size_t i = 0; i < CodePageNames.size(); ++i) {
    xmlCharEncodingHandlerPtr found = xmlFindCharEncodingHandler(CodePageNames[i]);
    if (found != nullptr) {
      xmlCharEncCloseFunc(found);
      continue;
    }
    // Only code pages the system converts are offered; libxml2 keeps the handler for the process.
    if (!CodePageToUtf8("", CodePageNames[i])) continue;
    xmlNewCharEncodingHandler(CodePageNames[i], decoders[i], nullptr);
  }
}

}  // namespace

void RegisterXmlCodePages() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterMissing(std::make_index_sequence<CodePageNames.size()>()); });
}

}  // namespace quarlen

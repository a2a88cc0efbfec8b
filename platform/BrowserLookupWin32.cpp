#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/BrowserLookup.h"
#include "platform/WideText.h"

namespace quarlen {

std::string SystemBrowserPath() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return BrowserPathFromRegistryValue(std::nullopt);
  }
  std::wstring value;
  DWORD type = 0;
  DWORD bytes = 0;
  // The default value; a key without one reads as the empty text.
  if (::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0) {
    value.resize(bytes / sizeof(wchar_t) + 1);
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) ==
        ERROR_SUCCESS) {
      value.resize(size / sizeof(wchar_t));
    } else {
      value.clear();
    }
    while (!value.empty() && value.back() == L'\0') value.pop_back();
  }
  ::RegCloseKey(key);
  return BrowserPathFromRegistryValue(Utf8FromWide(value));
}

bool OpenUrlWith(const std::string& program, const std::string& url) {
  // The parameters are a command line the browser splits at spaces: the URL
  // goes in quotes as one argument, and a quote inside it (never valid in a
  // URL) is percent-encoded, so a page's link can't add options of its own.
  std::string quoted = "\"";
  for (char c : url) {
    if (c == '"') {
      quoted += "%22";
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  // The shell's answer above 32 means the program started.
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", WideFromUtf8(program).c_str(),
                                                                WideFromUtf8(quoted).c_str(), nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace quarlen

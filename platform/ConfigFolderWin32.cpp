#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

#include "platform/ConfigFolder.h"
#include "platform/WideText.h"

namespace quarlen {

std::string SystemApplicationDataFolder() {
  constexpr int ApplicationData = 26;  // the user's roaming application data
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, ApplicationData, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return Utf8FromWide(path);
}

}  // namespace quarlen

#include <windows.h>

#include "platform/ProcessUser.h"
#include "platform/WideText.h"

namespace quarlen {

std::string ProcessUserKey() {
  wchar_t name[257] = {};
  DWORD size = sizeof name / sizeof name[0];
  if (!::GetUserNameW(name, &size) || size == 0) return "user";
  // The size counts the terminating null.
  return Utf8FromWide(std::wstring_view(name, size - 1));
}

// The engine's sandbox works for administrators on Windows.
bool RunsAsSuperuser() { return false; }

}  // namespace quarlen

/* The stand-in browser of tools/windows/test-ui, registered as wine's http
   handler: appends its argument count and arguments, one line a call, to
   opened.txt beside itself (as UTF-8), and ends. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

int wmain(void) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
  while (length > 0 && path[length - 1] != L'\\') --length;
  wcscpy(path + length, L"opened.txt");
  FILE* out = _wfopen(path, L"ab");
  if (out == NULL || arguments == NULL) return 1;
  fprintf(out, "%d", count - 1);
  for (int i = 1; i < count; ++i) {
    char text[4096];
    WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, text, sizeof text, NULL, NULL);
    fprintf(out, " %s", text);
  }
  fputs("\n", out);
  fclose(out);
  return 0;
}

#include <sys/wait.h>
#include <unistd.h>

#include "platform/BrowserLookup.h"
#include "platform/ConfigFolder.h"

namespace quarlen {

std::string SystemBrowserPath() { return FindBrowserOnPath(ProcessEnv("PATH").value_or("/usr/bin:/bin")); }

bool OpenUrlWith(const std::string& program, const std::string& url) {
  if (program.empty()) return false;
  // Everything the child needs is made before the fork: between fork and exec
  // only async-signal-safe calls may run in a process with threads.
  std::string programCopy = program;
  std::string urlCopy = url;
  char* const argv[] = {programCopy.data(), urlCopy.data(), nullptr};
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    // The grandchild runs the browser; the child ends at once, so the browser
    // belongs to init and never lingers as a zombie of ours.
    if (::fork() == 0) {
      ::execvp(argv[0], argv);
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quarlen

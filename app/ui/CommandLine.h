#pragma once
// The command line: --help and --version print and end the start before any
// window system is touched; the program itself takes no arguments.
#include <QString>
#include <QStringList>

namespace quarlen {

struct CommandLineRequest {
  bool run = true;   // false: print `text` and exit with `exitCode`
  int exitCode = 0;  // 0 for --help and --version, 2 for a bad command line
  QString text;      // for stdout when exitCode is 0, else for stderr
};

// arguments: the whole command line, the program name first. While `strict`
// is false, the toolkit's own options (-platform, -style ...) are let through
// and anything else is a bad command line, so it is reported before a window
// system is needed; once the toolkit has taken its options, `strict` reports
// whatever is left.
CommandLineRequest ReadCommandLine(const QStringList& arguments, bool strict);

// Prints the request's text to stdout or stderr.
void PrintCommandLineText(const CommandLineRequest& request);

}  // namespace quarlen

#include "app/ui/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

#include "platform/BuildConfig.h"

namespace quarlen {

namespace {
// The options the toolkit takes out of the command line when it starts (its
// documented ones, of the application and the X11 platform). They are known
// here so that anything else can be refused before the toolkit starts: with
// no display it would abort before a wrong option could be reported.
void AddToolkitOptions(QCommandLineParser& parser) {
  static const char* const withValue[] = {"platform",      "platformpluginpath",
                                          "platformtheme", "plugin",
                                          "qmljsdebugger", "qwindowgeometry",
                                          "qwindowicon",   "qwindowtitle",
                                          "session",       "display",
                                          "geometry",      "title",
                                          "name",          "style",
                                          "stylesheet",    "visual",
                                          "ncols",         "im",
                                          "dialogs",       "fontengine"};
  static const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "cmap", "testability"};
  for (const char* name : withValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : flags) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
}
}  // namespace

CommandLineRequest ReadCommandLine(const QStringList& arguments, bool strict) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "A news messenger for traders: it refreshes the news feed every few minutes, keeps the newest articles\n"
      "and announces new ones from the notification area. Closing the window keeps it running there;\n"
      "File > Exit ends it. A second start shows the running copy's window."));
  // Our own help option: the toolkit's adds --help-all, which needs a display.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays this help and exits."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  // The toolkit's options are single-dash words ("-platform offscreen").
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  if (!strict) AddToolkitOptions(parser);
  const bool parsed = parser.parse(arguments);

  CommandLineRequest request;
  // --help and --version win over anything else on the line, as is usual.
  if (parser.isSet(help)) {
    request.run = false;
    // Before the application object exists the parser can't name the program,
    // so the usage line is ours: the name it was started by, without a folder.
    const QString name =
        arguments.isEmpty() ? QStringLiteral("quarlen-messenger") : QFileInfo(arguments.first()).fileName();
    const QString text = parser.helpText();
    request.text = QStringLiteral("Usage: %1 [options]").arg(name) + text.mid(text.indexOf(QLatin1Char('\n')));
  } else if (parser.isSet(version)) {
    request.run = false;
    request.text = QStringLiteral("quarlen-messenger %1\n").arg(QString::fromLatin1(build::ProgramVersion));
  } else if (!parsed || !parser.positionalArguments().isEmpty()) {
    request.run = false;
    request.exitCode = 2;
    const QString error = !parsed
                              ? parser.errorText()
                              : QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
    request.text =
        QStringLiteral("quarlen-messenger: %1\nTry 'quarlen-messenger --help' for more information.\n").arg(error);
  }
  return request;
}

void PrintCommandLineText(const CommandLineRequest& request) {
  std::FILE* out = request.exitCode == 0 ? stdout : stderr;
  std::fputs(request.text.toLocal8Bit().constData(), out);
  std::fflush(out);
}

}  // namespace quarlen

#include "app/ui/ProgramEntry.h"

#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>

#include "app/ui/BrowserEngineFlags.h"
#include "app/ui/CommandLine.h"
#include "app/ui/DesktopIntegration.h"
#include "app/ui/MessengerApp.h"
#include "app/ui/QuarlenApplication.h"
#include "app/ui/SingleInstance.h"
#include "platform/BrowserLookup.h"
#include "platform/ConfigFolder.h"
#include "platform/ProcessUser.h"
#if QUARLEN_LINUX_DESKTOP
#include "platform/TerminationSignals.h"
#endif

namespace quarlen {

int RunMessenger(int argc, char** argv, const BeforeEventLoop& beforeEventLoop) {
  // --help and --version need no display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (CommandLineRequest request = ReadCommandLine(arguments, false); !request.run) {
    PrintCommandLineText(request);
    return request.exitCode;
  }
  const bool engineLog = qEnvironmentVariable(EngineLogVariable) == QLatin1String("1");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
          LeanEngineFlags(BrowserEngineFlags(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), RunsAsSuperuser(), engineLog)));
  SetBrowserEngineLogRules(engineLog);
  UseSoftwareDrawing();
  QuarlenApplication application(argc, argv);
  if (CommandLineRequest request = ReadCommandLine(application.arguments(), true); !request.run) {
    PrintCommandLineText(request);
    return request.exitCode;
  }

  MainFormEnvironment environment;
  // The XDG folder on Linux, the roaming application data on Windows.
  environment.applicationDataFolder = SystemApplicationDataFolder();
  EnsureApplicationDataFolder(environment.applicationDataFolder);
  environment.configFolder = ConfigFolderPath(environment.applicationDataFolder);
  // xdg-open on the search path on Linux, the registry's http handler on Windows.
  environment.browserPath = SystemBrowserPath();
  // Exit ends the process once the saves are written, even from inside a
  // message box and with requests still out on the network thread: nothing
  // after this may run, and the embedded browser's processes end with their
  // parent.
  environment.endProcess = [](int code) {
    std::fflush(nullptr);
    std::_Exit(code);
  };
  // Closing hides the window only while a notification area shows the icon,
  // asked at that moment (panels come and go).
  DesktopIntegration* desktop = nullptr;
  environment.hasTray = [&desktop] { return desktop != nullptr && desktop->TrayShowsIcon(); };

  // Before the store is loaded: a second copy would write the same list files.
  SingleInstance instance(QString::fromStdString(environment.configFolder), SingleInstance::DefaultSocketFolder());
  switch (instance.Acquire()) {
    case SingleInstance::Role::First:
      break;
    case SingleInstance::Role::Other:
      return 0;
    case SingleInstance::Role::OtherSilent:
      std::fputs("Quarlen Messenger is already running, but did not answer.\n", stderr);
      return 1;
  }

  MessengerApp messenger(environment);
  TfrmMainForm& mainForm = messenger.MainForm();
  desktop = &messenger.Desktop();
  CommandRunner& run = messenger.Runner();
  instance.OnShowRequest([&run, desktop](const QString& activationToken) {
    run.Run([desktop, &activationToken] { desktop->ShowWindow(activationToken); });
  });
  // The exit ends the process; the settings files are written first, then the
  // lock goes, so the next start finds everything in place.
  mainForm.AddExitHook([&instance] { instance.Release(); });

  // The session manager's quit at logout takes the same way out as Exit.
  application.OnQuitRequest([&run, &mainForm] { run.Run([&mainForm] { mainForm.Exit2Click(); }); });

#if QUARLEN_LINUX_DESKTOP
  // A session logout or Ctrl+C ends the program as the Exit command does.
  TerminationSignals terminationSignals;
  QSocketNotifier signalNotifier(terminationSignals.ReadFd(), QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &mainForm, [&] {
    // Emptied whatever happens next: a byte left in the pipe would wake the
    // loop on every turn. A second signal during the exit only empties it.
    terminationSignals.Drain();
    run.Run([&mainForm] { mainForm.Exit2Click(); });
  });
#endif

  messenger.CompleteStartup();
  mainForm.show();
  if (beforeEventLoop) beforeEventLoop(messenger);
  application.exec();
  // The loop ended some other way (QCoreApplication::exit): the exit is taken
  // now, and the loop runs again so that the saves can report back; the exit
  // ends the process itself.
  run.Run([&mainForm] { mainForm.Exit2Click(); });
  return application.exec();
}

}  // namespace quarlen

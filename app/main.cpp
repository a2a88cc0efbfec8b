// The program entry: windows are created in a fixed order, then the event loop runs.
#include <QSocketNotifier>
#include <unistd.h>

#include "app/ui/MessengerApp.h"
#include "app/ui/QuarlenApplication.h"
#include "platform/BrowserLookup.h"
#include "platform/ConfigFolder.h"
#include "platform/TerminationSignals.h"
#ifdef QUARLEN_RELIABILITY_PROBE
#include "tools/reliability/ReliabilityProbe.h"
#endif

int main(int argc, char** argv) {
  using namespace quarlen;
  // The embedded browser's sandbox refuses to start for root; without this the
  // program would abort at its first banner.
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
  }
  QuarlenApplication application(argc, argv);

  MainFormEnvironment environment;
  environment.applicationDataFolder = ApplicationDataFolder(ProcessEnv);
  EnsureApplicationDataFolder(environment.applicationDataFolder);
  environment.configFolder = ConfigFolderPath(environment.applicationDataFolder);
  environment.browserPath = FindBrowserOnPath(ProcessEnv("PATH").value_or("/usr/bin:/bin"));

  MessengerApp messenger(environment);
  TfrmMainForm& mainForm = messenger.MainForm();

  // A session logout or Ctrl+C ends the program as the Exit command does.
  TerminationSignals terminationSignals;
  QSocketNotifier signalNotifier(terminationSignals.ReadFd(), QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &mainForm, [&] {
    terminationSignals.Drain();
    mainForm.Exit2Click();
  });

  messenger.CompleteStartup();
  mainForm.show();
#ifdef QUARLEN_RELIABILITY_PROBE
  ReliabilityProbe probe(mainForm);  // only in the reliability runs' build
#endif
  return application.exec();
}

#pragma once
// One running copy per user and config folder: the first start holds a lock
// file there and listens on a local socket; a later start asks it to show its
// window instead of loading the store a second time.
#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

namespace quarlen {

class SingleInstance {
 public:
  enum class Role {
    First,        // this process holds the lock and answers later starts
    Other,        // another copy runs and was asked to show its window
    OtherSilent,  // another copy holds the lock but did not answer
  };

  // configFolder: where the lock file lies (created if missing, one level, mode 0700).
  // socketFolder: where the local socket is made (a per-user runtime folder).
  SingleInstance(const QString& configFolder, const QString& socketFolder);
  ~SingleInstance();

  // Takes the lock or, when another copy holds it, asks that copy to show its
  // window. A lock that can't be made at all (unwritable folder) gives First,
  // so the program still starts and reports the folder the usual way.
  Role Acquire();

  // Stops answering and gives the lock up; the program ends right after.
  void Release();

  // Called, on the event loop, whenever a later start asks for the window,
  // with the activation token the desktop gave that start (empty if none).
  void OnShowRequest(std::function<void(const QString&)> handler) { onShow_ = std::move(handler); }

  // The per-user socket folder: $XDG_RUNTIME_DIR when it exists, else the
  // temporary folder.
  static QString DefaultSocketFolder();
  // The socket's full name, derived from the user id and the config folder.
  QString ServerName() const { return serverName_; }

 private:
  bool AskRunningCopy();
  void Listen();

  QString configFolder_;
  QString serverName_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void(const QString&)> onShow_;
};

}  // namespace quarlen

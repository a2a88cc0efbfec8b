#include "app/ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <algorithm>

#include "platform/ConfigFolder.h"
#include "platform/ProcessUser.h"

namespace quarlen {

namespace {
constexpr char ShowRequest[] = "show\n";
constexpr char ShownAnswer[] = "shown\n";
// A first copy that holds the lock listens a moment later; give it that long.
constexpr int AnswerWaitMs = 5000;
}  // namespace

SingleInstance::SingleInstance(const QString& configFolder, const QString& socketFolder) : configFolder_(configFolder) {
  // The socket name follows the config folder, so two users, or one user
  // with two config folders (tests run side by side), never meet.
  const QByteArray folderHash =
      QCryptographicHash::hash(QDir::cleanPath(configFolder).toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  serverName_ = QDir(socketFolder)
                    .filePath(QStringLiteral("quarlen-messenger-%1-%2")
                                  .arg(QString::fromStdString(ProcessUserKey()))
                                  .arg(QString::fromLatin1(folderHash)));
}

SingleInstance::~SingleInstance() { Release(); }

void SingleInstance::Release() {
  // Closing the server removes its socket file.
  if (server_) server_->close();
  server_.reset();
  if (lock_) lock_->unlock();
  lock_.reset();
}

QString SingleInstance::DefaultSocketFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
  return QDir::tempPath();
}

SingleInstance::Role SingleInstance::Acquire() {
  // The folder holds the list files: made where every other start makes it,
  // readable by its owner only.
  EnsureFolderExists(configFolder_.toStdString());
  lock_ = std::make_unique<QLockFile>(QDir(configFolder_).filePath(QStringLiteral("quarlen-messenger.lock")));
  // The copy runs for weeks: only a lock whose owner is gone is stale, never
  // an old one. QLockFile finds the owner gone by its process id and name.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) {
    Listen();
    return Role::First;
  }
  if (lock_->error() != QLockFile::LockFailedError) {
    // No lock can be made here at all; the store will report the folder.
    lock_.reset();
    return Role::First;
  }
  lock_.reset();
  return AskRunningCopy() ? Role::Other : Role::OtherSilent;
}

bool SingleInstance::AskRunningCopy() {
  // A connection and a written request prove nothing: the kernel accepts both
  // for a copy that is stopped or hung. Only its answer counts.
  QElapsedTimer waited;
  waited.start();
  const auto left = [&waited] { return std::max<qint64>(0, AnswerWaitMs - waited.elapsed()); };
  do {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(static_cast<int>(left()))) {
      // The launcher's activation token travels along: on Wayland only the
      // running copy's window can use it to come forward.
      socket.write(ShowRequest + qgetenv("XDG_ACTIVATION_TOKEN").replace('\n', ' ') + '\n');
      QByteArray answer;
      while (!answer.contains('\n') && left() > 0 &&
             (socket.bytesAvailable() > 0 || socket.waitForReadyRead(static_cast<int>(left())))) {
        answer += socket.readAll();
      }
      socket.abort();
      if (answer.startsWith(ShownAnswer)) return true;
    }
    if (left() > 0) QThread::msleep(100);
  } while (left() > 0);
  return false;
}

void SingleInstance::Listen() {
  // We hold the lock, so a socket left by a killed copy is nobody's.
  QLocalServer::removeServer(serverName_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->setMaxPendingConnections(4);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      // A request is "show", then the start's activation token on a line of
      // its own (a copy of an older version sends no token line and hangs up);
      // anything else on the socket is ignored.
      auto answer = [this, socket](bool hungUp) {
        const QByteArray request = socket->property("request").toByteArray();
        if (!request.startsWith(ShowRequest)) {
          if (!hungUp && request.size() >= qsizetype(sizeof ShowRequest - 1)) socket->disconnectFromServer();
          return;
        }
        const QByteArray token = request.mid(sizeof ShowRequest - 1);
        if (!token.contains('\n') && !hungUp) return;
        socket->setProperty("request", QByteArray());
        if (onShow_) onShow_(QString::fromUtf8(token.left(token.indexOf('\n'))));
        if (hungUp) return;
        // The later start waits for this before it exits quietly.
        socket->write(ShownAnswer);
        socket->disconnectFromServer();
      };
      auto read = [socket] {
        socket->setProperty("request", socket->property("request").toByteArray() + socket->readAll());
      };
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [read, answer] {
        read();
        answer(false);
      });
      QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, read, answer] {
        read();
        answer(true);
        socket->deleteLater();
      });
    }
  });
  if (!server_->listen(serverName_)) {
    qWarning("Quarlen Messenger: later starts can't reach this copy: %s", qPrintable(server_->errorString()));
  }
}

}  // namespace quarlen

#include "Tavix/app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavix {
namespace {

using namespace std::chrono_literals;

constexpr char kReopen[] = "reopen\n";
constexpr char kDone[] = "ok\n";

QString runtimeFolder() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath();
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), base_(runtimeFolder() + "/" + name + "-" + QString::number(getuid())) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool SingleInstance::tryLock() {
    if (lockFd_ < 0) {
        const QByteArray path = QFile::encodeName(base_ + ".lock");
        lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFd_ < 0) return false;
    }
    return flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds waitForPrevious) {
    const auto deadline = std::chrono::steady_clock::now() + waitForPrevious;
    bool locked = tryLock();
    while (!locked && std::chrono::steady_clock::now() < deadline) {
        QThread::msleep(50);
        locked = tryLock();
    }
    if (!locked && lockFd_ < 0) {
        // No lock file can be made here (a foreign file in the way): run rather than refuse.
        qWarning("tavix: cannot create %s; not checking for another instance",
                 qPrintable(base_ + ".lock"));
        return Claim::claimed;
    }
    if (!locked) return askToReopen() ? Claim::handedOver : Claim::noAnswer;
    serve();
    return Claim::claimed;
}

void SingleInstance::serve() {
    // The lock is ours, so a socket file left here belongs to an instance that has died.
    QLocalServer::removeServer(socketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath())) {
        qWarning("tavix: cannot listen on %s: %s", qPrintable(socketPath()),
                 qPrintable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine()) {
                    // A line never comes from something that is not Tavix: drop it.
                    if (client->bytesAvailable() > 64) client->abort();
                    return;
                }
                const QByteArray line = client->readLine(64);
                if (line == kReopen) {
                    client->write(kDone);
                    client->flush();
                    emit reopenRequested();
                }
                client->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::askToReopen() {
    // The running instance may still be starting: give it a moment to listen.
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(500)) {
            socket.write(kReopen);
            if (!socket.waitForBytesWritten(1000)) return false;
            while (!socket.canReadLine()) {
                if (!socket.waitForReadyRead(2000)) return false;
            }
            return socket.readLine(64) == kDone;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QThread::msleep(100);
    }
}

}  // namespace tavix

#include "Tavix/app/SingleInstance.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavix {
namespace {

using namespace std::chrono_literals;

constexpr char kReopen[] = "reopen\n";
constexpr char kDone[] = "ok\n";

// Owned by this user and writable by no one else.
QString unsafeBecause(const struct stat& info) {
    if (info.st_uid != getuid()) return QString("it belongs to uid %1").arg(info.st_uid);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return QString("others may write to it (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QChar('0'));
    }
    return {};
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name + "-" + QString::number(getuid())) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::privateFolder() {
    // Qt's runtime location: $XDG_RUNTIME_DIR, else "runtime-<user>" under the temporary
    // folder, never the shared temporary folder itself. Qt gives nothing (and says why) when
    // that folder is someone else's or open to others.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        problem_ =
            "no runtime folder of your own for the single-instance lock; set "
            "XDG_RUNTIME_DIR to a folder only you can write to";
        return {};
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        problem_ = QString("cannot create %1: %2").arg(folder, qt_error_string(errno));
        return {};
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem_ = folder + " is not a folder";
        return {};
    }
    if (const QString why = unsafeBecause(info); !why.isEmpty()) {
        problem_ = QString("the runtime folder %1 is not yours alone: %2").arg(folder, why);
        return {};
    }
    return folder;
}

bool SingleInstance::tryLock() {
    if (lockFd_ < 0) {
        const QByteArray path = QFile::encodeName(base_ + ".lock");
        lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFd_ < 0) {
            problem_ = QString("cannot open %1: %2").arg(base_ + ".lock", qt_error_string(errno));
            return false;
        }
        // Checked on what was opened, so no rename in between can swap it.
        struct stat info {};
        QString why = fstat(lockFd_, &info) != 0 ? qt_error_string(errno) : unsafeBecause(info);
        if (why.isEmpty() && !S_ISREG(info.st_mode)) why = "it is not a plain file";
        if (!why.isEmpty()) {
            problem_ = QString("the lock file %1 is not yours alone: %2").arg(base_ + ".lock", why);
            ::close(lockFd_);
            lockFd_ = -1;
            return false;
        }
    }
    return flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds waitForPrevious) {
    folder_ = privateFolder();
    if (folder_.isEmpty()) return Claim::refused;
    base_ = folder_ + "/" + name_;
    const auto deadline = std::chrono::steady_clock::now() + waitForPrevious;
    bool locked = tryLock();
    while (!locked && lockFd_ >= 0 && std::chrono::steady_clock::now() < deadline) {
        QThread::msleep(50);
        locked = tryLock();
    }
    if (lockFd_ < 0) return Claim::refused;
    if (!locked) return askToReopen() ? Claim::handedOver : Claim::noAnswer;
    serve();
    return Claim::claimed;
}

bool SingleInstance::peerIsUser(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == getuid();
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
            if (!peerIsUser(static_cast<int>(client->socketDescriptor()))) {
                client->abort();
                continue;
            }
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
            // Only our own instance may tell this start to leave.
            if (!peerIsUser(static_cast<int>(socket.socketDescriptor()))) return false;
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

#pragma once

#include <QObject>
#include <QString>

#include <chrono>

class QLocalServer;

namespace tavix {

// One running Tavix per user: the instance holds a lock file and answers on a local socket, both
// in the user's runtime folder, which must belong to the user and be writable by nobody else:
// in a shared folder another user could plant a lock that stops Tavix, or answer in its place.
// A later start asks the running one to reopen and leaves.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    enum class Claim {
        claimed,     // this process is the instance
        handedOver,  // the running instance was asked to reopen; this one should exit with 0
        noAnswer,    // another holds the instance but did not answer
        refused,     // the folder or the lock file is not the user's alone; problem() says why
    };

    // `name` tells instances of different kinds apart ("tavix", "tavix-demo").
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // `waitForPrevious`: how long to wait for a running instance to end before asking it to
    // reopen (a relaunched process waits for the one that started it).
    Claim claim(std::chrono::milliseconds waitForPrevious = std::chrono::milliseconds(0));

    QString socketPath() const { return base_ + ".socket"; }
    // The user's private runtime folder, once claimed.
    const QString& folder() const { return folder_; }
    const QString& problem() const { return problem_; }

    // Whether the process at the other end of a connected local socket runs as this user.
    static bool peerIsUser(int socket);

  signals:
    // Another start of Tavix asked for this instance.
    void reopenRequested();

  private:
    // The runtime folder, made 0700 when missing; empty with problem_ set when it is not safe.
    QString privateFolder();
    bool tryLock();
    bool askToReopen();
    void serve();

    QString name_;
    QString folder_;
    QString base_;
    QString problem_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace tavix

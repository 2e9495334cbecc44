#pragma once

#include <QObject>
#include <QString>

#include <chrono>

class QLocalServer;

namespace tavix {

// One running Tavix per user: the instance holds a lock file and answers on a local socket, both
// named with the user id in $XDG_RUNTIME_DIR (else the temporary folder). A later start asks
// the running one to reopen and leaves.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    enum class Claim {
        claimed,     // this process is the instance
        handedOver,  // the running instance was asked to reopen; this one should exit with 0
        noAnswer,    // another holds the instance but did not answer
    };

    // `name` tells instances of different kinds apart ("tavix", "tavix-demo").
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // `waitForPrevious`: how long to wait for a running instance to end before asking it to
    // reopen (a relaunched process waits for the one that started it).
    Claim claim(std::chrono::milliseconds waitForPrevious = std::chrono::milliseconds(0));

    QString socketPath() const { return base_ + ".socket"; }

  signals:
    // Another start of Tavix asked for this instance.
    void reopenRequested();

  private:
    bool tryLock();
    bool askToReopen();
    void serve();

    QString base_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace tavix

#pragma once

#include <QObject>

namespace tavix {

// SIGTERM, SIGINT and SIGHUP end the application's event loop the orderly way, so that
// everything done on quitting (aboutToQuit) is done. The handler only writes a byte to a pipe; the main
// thread's event loop reads it.
class TerminationSignals : public QObject {
    Q_OBJECT

  public:
    // Once per process, after the application object exists.
    explicit TerminationSignals(QObject* parent = nullptr);
};

}  // namespace tavix

#pragma once

#include <QObject>

#include <functional>
#include <vector>

#include "platform/WakeNotice.h"

namespace tavix::platform {

// systemd-logind's PrepareForSleep(false) on the system bus: the machine has resumed. Without a
// system bus (a container, a minimal system) no wake is ever reported.
class LogindWakeNotice final : public QObject, public WakeNotice {
    Q_OBJECT
  public:
    // On the main thread, once the application object exists.
    LogindWakeNotice();
    void observe(std::function<void()> onWake) override;
    bool connected() const { return connected_; }
    // Tells the observers as a wake would: the session came back after another user had the
    // seat, and the devices must be looked for again just the same.
    void announce();

  private slots:
    void prepareForSleep(bool sleeping);

  private:
    bool connected_ = false;
    std::vector<std::function<void()>> observers_;
};

}  // namespace tavix::platform

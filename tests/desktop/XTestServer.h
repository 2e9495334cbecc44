#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

typedef struct _XDisplay Display;

namespace tavix::testing {

// An X server of the test's own, on whatever display number is free.
class PrivateXServer {
  public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    // Empty when no server could be started.
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = 0;
    std::string display_;
};

// Plays the window manager: announces the show-desktop and workspace requests and takes the
// messages sent to the root.
class FakeWindowManager {
  public:
    explicit FakeWindowManager(const std::string& name);
    ~FakeWindowManager();
    FakeWindowManager(const FakeWindowManager&) = delete;
    FakeWindowManager& operator=(const FakeWindowManager&) = delete;

    bool connected() const { return display_ != nullptr; }
    void announce();
    void setShowing(bool on);
    void setDesktops(unsigned long current, unsigned long count);
    // The first value of the next client message of this type (the requested showing state, the
    // requested workspace), if one comes.
    std::optional<long> nextRequest(const char* type = "_NET_SHOWING_DESKTOP");

  private:
    Display* display_;
    unsigned long root_ = 0;
    unsigned long showing_ = 0;
};

}  // namespace tavix::testing

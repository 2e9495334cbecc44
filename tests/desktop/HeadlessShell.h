#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/PrivateBus.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::testing {

// A real desktop shell started headless for one test: its own session bus (and, for GNOME, a
// stand-in system bus) that starts nothing on demand, a temporary HOME and XDG_RUNTIME_DIR,
// software rendering, a virtual 1280x800 screen. Stopped with everything it started.
class HeadlessShell {
  public:
    enum class Kind { gnomeShell, kwin, sway };

    // Waits (bounded) until the shell answers on its bus: GNOME Shell with the start-up
    // overview closed again, KWin with its shortcuts registered (by itself, or by Plasma's
    // kglobalacceld, started beside a KWin that has no registry inside), on two desktops in a row.
    explicit HeadlessShell(Kind kind);
    ~HeadlessShell();
    HeadlessShell(const HeadlessShell&) = delete;
    HeadlessShell& operator=(const HeadlessShell&) = delete;

    // Why the shell is not usable here (no binary, no GL, too slow), for a skip; empty when it is.
    const std::string& failure() const { return failure_; }
    const std::string& busAddress() const { return session_->address(); }
    // Sway's IPC socket; Sway runs as an unprivileged user (nobody) when this process is root,
    // since it refuses to run as root.
    const std::filesystem::path& swaySocket() const { return swaySocket_; }

  private:
    void start(Kind kind);
    bool waitUntilReady(Kind kind);
    pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const char* logName);
    std::string logTail() const;
    bool exited();
    void startSway(std::vector<std::string> env);

    std::filesystem::path swaySocket_;

    TempDirectory directory_;
    std::unique_ptr<PrivateBus> session_;
    std::unique_ptr<PrivateBus> system_;
    pid_t pid_ = 0;
    pid_t daemon_ = 0;
    bool reaped_ = false;
    std::string failure_;
};

}  // namespace tavix::testing

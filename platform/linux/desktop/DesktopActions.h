#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/desktop/ActionLog.h"
#include "platform/linux/desktop/ActionsConfig.h"
#include "platform/linux/desktop/DesktopActionTable.h"
#include "platform/linux/desktop/SessionBus.h"
#include "platform/linux/desktop/ShortcutSettings.h"
#include "platform/linux/desktop/ShowDesktopX11.h"
#include "platform/linux/desktop/SwayIpc.h"
#include "platform/linux/desktop/SwitchDesktopX11.h"
#include "platform/linux/output/ChordOutput.h"

namespace tavix::platform::desktop {

// The session this process runs in, as detectSession decides from the environment (or the given
// values); the bus is connected only when the environment names no desktop.
Session detectRunningSession(const std::function<std::unique_ptr<SessionBus>()>& connectBus,
                             const std::optional<std::string>& currentDesktop = std::nullopt,
                             const std::optional<std::string>& sessionType = std::nullopt,
                             std::optional<bool> swaySocket = std::nullopt);

// Does a desktop action the way the running desktop offers it: the user's trigger from
// actions.conf if there is a usable one, then the built-in triggers of the desktop in turn,
// until one goes through. An action the desktop does not have and the user gave no trigger for
// does nothing, and says once in the log which line of actions.conf would give it one.
class DesktopActions {
  public:
    struct Services {
        std::shared_ptr<output::ChordOutput> chords;
        std::function<std::unique_ptr<SessionBus>()> connectBus = &SessionBus::connect;
        std::function<std::unique_ptr<SwayIpc>()> connectSway = &SwayIpc::connectFromEnvironment;
        // Chosen for the detected desktop when absent.
        std::shared_ptr<ShortcutSettings> shortcuts;
        std::shared_ptr<ShowDesktopMessenger> showDesktop = std::make_shared<X11ShowDesktop>();
        std::shared_ptr<DesktopSwitcher> switchDesktop = std::make_shared<X11DesktopSwitcher>();
        std::shared_ptr<ActionLog> log = std::make_shared<SyslogActionLog>();
        // Starts a program without a shell; false when it could not be started.
        std::function<bool(const std::vector<std::string>&)> spawn = &spawnDetached;
        // Read from the environment when absent.
        std::optional<std::string> currentDesktop;
        std::optional<std::string> sessionType;
        // Whether SWAYSOCK is set, read from the environment when absent.
        std::optional<bool> swaySocket;
        std::optional<std::filesystem::path> configFile;
    };

    explicit DesktopActions(Services services);

    // On the calling thread; D-Bus calls wait at most SessionBus::kTimeoutMs. True when a
    // trigger went through.
    bool run(DesktopAction action);
    // What was detected; detection happens once, on first use.
    Session session();

    static bool spawnDetached(const std::vector<std::string>& words);
    // $XDG_CONFIG_HOME, ~/.config when it is unset or not absolute.
    static std::filesystem::path configHome();
    static std::filesystem::path defaultConfigFile() {
        return configHome() / "Tavix" / "actions.conf";
    }

  private:
    bool fire(const Trigger& trigger, SessionBus* bus, bool probe);
    bool pressChord(const output::KeyChord& chord);
    bool runSway(const SwayCommand& command);
    void reportMissing(DesktopAction action);
    std::optional<Trigger> userTrigger(DesktopAction action);

    Services services_;
    std::mutex mutex_;
    std::optional<Session> session_;
    // The config file as last read; re-read when it changes, its problems logged once per read.
    std::optional<std::filesystem::file_time_type> configTime_;
    ActionsConfig config_;
    bool chordFailureReported_ = false;
    std::set<DesktopAction> missingReported_;
};

}  // namespace tavix::platform::desktop

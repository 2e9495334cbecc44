#include "platform/linux/desktop/DesktopActions.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <thread>

#include "platform/linux/desktop/CallTarget.h"

extern char** environ;

namespace tavix::platform::desktop {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

DesktopActions::DesktopActions(Services services) : services_(std::move(services)) {
    if (!services_.configFile) services_.configFile = defaultConfigFile();
}

std::filesystem::path DesktopActions::configHome() {
    std::filesystem::path base = environment("XDG_CONFIG_HOME");
    if (!base.empty() && base.is_absolute()) return base;
    return std::filesystem::path(environment("HOME")) / ".config";
}

bool DesktopActions::spawnDetached(const std::vector<std::string>& words) {
    if (words.empty()) return false;
    std::vector<std::string> copy = words;
    std::vector<char*> argv;
    argv.reserve(copy.size() + 1);
    for (auto& word : copy) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

Session detectRunningSession(const std::function<std::unique_ptr<SessionBus>()>& connectBus,
                             const std::optional<std::string>& currentDesktop,
                             const std::optional<std::string>& sessionType,
                             std::optional<bool> swaySocket) {
    std::string type = sessionType.value_or(environment("XDG_SESSION_TYPE"));
    if (type.empty() && !environment("DISPLAY").empty() && environment("WAYLAND_DISPLAY").empty()) {
        type = "x11";
    }
    std::unique_ptr<SessionBus> bus;
    bool connected = false;
    return detectSession(
        currentDesktop.value_or(environment("XDG_CURRENT_DESKTOP")), type,
        [&](const std::string& name) {
            if (!connected && connectBus) bus = connectBus();
            connected = true;
            return bus && bus->hasOwner(name);
        },
        swaySocket.value_or(!environment("SWAYSOCK").empty()));
}

Session DesktopActions::session() {
    std::lock_guard guard(mutex_);
    if (!session_) {
        session_ = detectRunningSession(services_.connectBus, services_.currentDesktop,
                                        services_.sessionType, services_.swaySocket);
        if (!services_.shortcuts) {
            switch (session_->desktop) {
                case Desktop::gnome:
                    services_.shortcuts = std::make_shared<GnomeShortcutSettings>();
                    break;
                case Desktop::kde:
                    services_.shortcuts =
                        std::make_shared<KdeShortcutSettings>(configHome() / "kglobalshortcutsrc");
                    break;
                case Desktop::sway:
                case Desktop::other:
                    break;
            }
        }
    }
    return *session_;
}

std::optional<Trigger> DesktopActions::userTrigger(DesktopAction action) {
    std::lock_guard guard(mutex_);
    std::error_code error;
    const auto time = std::filesystem::last_write_time(*services_.configFile, error);
    if (error) {
        configTime_.reset();
        config_ = {};
        return std::nullopt;
    }
    if (time != configTime_) {
        configTime_ = time;
        config_ = ActionsConfig::read(*services_.configFile);
        for (const auto& problem : config_.problems) {
            if (services_.log) services_.log->report(problem + "; the built-in action is used");
        }
    }
    const auto found = config_.overrides.find(action);
    return found == config_.overrides.end() ? std::nullopt : std::optional(found->second);
}

bool DesktopActions::run(DesktopAction action) {
    const Session current = session();
    std::unique_ptr<SessionBus> bus;
    bool connected = false;
    auto busFor = [&]() -> SessionBus* {
        if (!connected && services_.connectBus) bus = services_.connectBus();
        connected = true;
        return bus.get();
    };
    auto needsBus = [](const Trigger& trigger) {
        return std::holds_alternative<DBusCall>(trigger) ||
               std::holds_alternative<PropertyToggle>(trigger);
    };

    // The user's own trigger is taken as written: no probing, a failure falls back.
    if (const auto own = userTrigger(action)) {
        if (fire(*own, needsBus(*own) ? busFor() : nullptr, false)) return true;
    }
    const auto& builtIn = builtInTriggers(current.desktop, action);
    for (const auto& trigger : builtIn) {
        const bool ewmh = std::holds_alternative<ShowDesktopMessage>(trigger) ||
                          std::holds_alternative<SwitchDesktopMessage>(trigger);
        if (ewmh && !current.x11) continue;
        if (fire(trigger, needsBus(trigger) ? busFor() : nullptr, true)) return true;
    }
    if (builtIn.empty()) reportMissing(action);
    return false;
}

// Only Sway lacks actions so far.
void DesktopActions::reportMissing(DesktopAction action) {
    std::lock_guard guard(mutex_);
    if (!services_.log || !missingReported_.insert(action).second) return;
    const std::string name(desktopActionName(action));
    services_.log->report(name +
                          " does nothing: Sway has no such action of its own; give it one in " +
                          services_.configFile->string() + ", for example \"" + name +
                          " = sway exec $menu\" or \"" + name + " = command PROGRAM ARGUMENTS\"");
}

bool DesktopActions::runSway(const SwayCommand& command) {
    auto ipc = services_.connectSway ? services_.connectSway() : nullptr;
    const auto result = ipc ? ipc->runCommand(command.command) : std::nullopt;
    if (result && !result->success && services_.log) {
        services_.log->report("Sway refused \"" + command.command + "\": " + result->error);
    }
    return result && result->success;
}

bool DesktopActions::pressChord(const output::KeyChord& chord) {
    const bool pressed = services_.chords && services_.chords->pressChord(chord);
    std::lock_guard guard(mutex_);
    // Once until a chord gets through again: every gesture would say the same.
    if (!pressed && !chordFailureReported_ && services_.log) {
        services_.log->report("key chord " + output::formatKeyChord(chord) +
                              " not sent: there is no virtual keyboard (Tavix needs write access "
                              "to /dev/uinput); the next way of doing the action is tried");
    }
    chordFailureReported_ = !pressed;
    return pressed;
}

bool DesktopActions::fire(const Trigger& trigger, SessionBus* bus, bool probe) {
    if (const auto* call = std::get_if<DBusCall>(&trigger)) {
        return bus && (!probe || (bus->offers(*call) && callReachesTarget(*bus, *call))) &&
               bus->call(*call);
    }
    if (const auto* toggle = std::get_if<PropertyToggle>(&trigger)) {
        if (!bus || !bus->offersProperty(toggle->service, toggle->path, toggle->interface,
                                         toggle->name)) {
            return false;
        }
        const auto value =
            bus->getProperty(toggle->service, toggle->path, toggle->interface, toggle->name);
        const bool* on = value ? std::get_if<bool>(&*value) : nullptr;
        return on && bus->setProperty(toggle->service, toggle->path, toggle->interface,
                                      toggle->name, !*on);
    }
    if (const auto* shortcut = std::get_if<LiveShortcut>(&trigger)) {
        std::shared_ptr<ShortcutSettings> shortcuts;
        {
            std::lock_guard guard(mutex_);
            shortcuts = services_.shortcuts;
        }
        const auto chord = shortcuts ? shortcuts->chord(*shortcut) : std::nullopt;
        return chord && pressChord(*chord);
    }
    if (const auto* fixed = std::get_if<ChordTrigger>(&trigger)) {
        return pressChord(fixed->chord);
    }
    if (std::holds_alternative<ShowDesktopMessage>(trigger)) {
        return services_.showDesktop && services_.showDesktop->toggleShowingDesktop();
    }
    if (const auto* message = std::get_if<SwitchDesktopMessage>(&trigger)) {
        return services_.switchDesktop && services_.switchDesktop->switchDesktop(message->step);
    }
    if (const auto* command = std::get_if<CommandLine>(&trigger)) {
        return services_.spawn && services_.spawn(command->words);
    }
    if (const auto* command = std::get_if<SwayCommand>(&trigger)) return runSway(*command);
    return false;
}

}  // namespace tavix::platform::desktop

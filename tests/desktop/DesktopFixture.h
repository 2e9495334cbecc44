#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/desktop/DesktopActions.h"
#include "tests/PrivateBus.h"
#include "tests/mouse_settings/TempDirectory.h"

extern char** environ;

namespace tavix::testing {

// A python-dbusmock service from one of our templates, logging every call to a file.
class MockService {
  public:
    MockService(const std::string& address, const std::string& template_,
                const std::string& busName, const std::filesystem::path& log,
                const std::string& parameters = "{}")
        : log_(log) {
        const std::string path = std::string(TAVIX_DESKTOP_MOCKS) + "/" + template_;
        std::vector<std::string> words{
            "/usr/bin/python3", "-m", "dbusmock", "--session", "-t", path, "-l",
            log.string(),       "-p", parameters};
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        std::vector<std::string> env{"DBUS_SESSION_BUS_ADDRESS=" + address, "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
        // Ready once it owns its name.
        ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", address.c_str());
        auto connection = platform::desktop::SessionBus::connect();
        for (int i = 0; connection && i < 200; ++i) {
            if (connection->hasOwner(busName)) {
                ready_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    ~MockService() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    MockService(const MockService&) = delete;
    MockService& operator=(const MockService&) = delete;

    bool ready() const { return ready_; }
    // Every call, without the time stamps and the signals the mock sends.
    std::vector<std::string> calls() const {
        std::vector<std::string> lines;
        std::istringstream in(readFile(log_));
        for (std::string line; std::getline(in, line);) {
            const auto space = line.find(' ');
            std::string call = space == std::string::npos ? line : line.substr(space + 1);
            if (!call.starts_with("emit ")) lines.push_back(std::move(call));
        }
        return lines;
    }

  private:
    std::filesystem::path log_;
    pid_t pid_ = 0;
    bool ready_ = false;
};

struct RecordingChords final : platform::output::ChordOutput {
    bool pressChord(const platform::output::KeyChord& chord) override {
        if (!keyboard) return false;
        pressed.push_back(platform::output::formatKeyChord(chord));
        return true;
    }
    std::vector<std::string> pressed;
    bool keyboard = true;  // false: as without /dev/uinput
};

struct FakeShortcuts final : platform::desktop::ShortcutSettings {
    std::optional<platform::output::KeyChord> chord(
        const platform::desktop::LiveShortcut& shortcut) override {
        const auto found = bindings.find(shortcut.group + "/" + shortcut.name);
        if (found == bindings.end()) return std::nullopt;
        return platform::output::parseKeyChord(found->second);
    }
    std::map<std::string, std::string> bindings;
};

struct FakeSwitcher final : platform::desktop::DesktopSwitcher {
    bool switchDesktop(int step) override {
        steps.push_back(step);
        return answer;
    }
    std::vector<int> steps;
    bool answer = true;
};

struct FakeShowDesktop final : platform::desktop::ShowDesktopMessenger {
    bool toggleShowingDesktop() override {
        ++toggles;
        return answer;
    }
    int toggles = 0;
    bool answer = true;
};

struct RecordingLog final : platform::desktop::ActionLog {
    void report(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

}  // namespace tavix::testing

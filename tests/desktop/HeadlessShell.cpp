#include "tests/desktop/HeadlessShell.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/linux/desktop/SessionBus.h"
#include "platform/linux/desktop/SwayIpc.h"

extern char** environ;

namespace tavix::testing {
namespace {

using platform::desktop::SessionBus;
using Clock = std::chrono::steady_clock;

// Generous: on a loaded two-core machine GNOME Shell takes up to about 5 s to answer.
constexpr auto kStartBound = std::chrono::seconds(30);
constexpr auto kSettleBound = std::chrono::seconds(10);
constexpr auto kStopBound = std::chrono::seconds(5);
constexpr const char* kDaemon = "/usr/lib/x86_64-linux-gnu/libexec/kglobalacceld";

// No activation: nothing the shell asks for on demand (accessibility, portals) starts with the
// user's own environment.
constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

bool waitFor(Clock::duration bound, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + bound;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::vector<std::string> shellEnvironment(const std::filesystem::path& root,
                                          const std::string& session, const std::string& system) {
    static const std::vector<std::string> kReplaced{"HOME=",
                                                    "XDG_RUNTIME_DIR=",
                                                    "XDG_CONFIG_HOME=",
                                                    "XDG_DATA_HOME=",
                                                    "XDG_CACHE_HOME=",
                                                    "XDG_STATE_HOME=",
                                                    "XDG_CURRENT_DESKTOP=",
                                                    "XDG_SESSION_TYPE=",
                                                    "DISPLAY=",
                                                    "WAYLAND_DISPLAY=",
                                                    "DBUS_SESSION_BUS_ADDRESS=",
                                                    "DBUS_SYSTEM_BUS_ADDRESS=",
                                                    "QT_QPA_PLATFORM="};
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (std::ranges::none_of(kReplaced, [&](const auto& p) { return text.starts_with(p); })) {
            env.emplace_back(text);
        }
    }
    const auto home = root / "home";
    for (std::string own : std::initializer_list<std::string>{
             "HOME=" + home.string(), "XDG_RUNTIME_DIR=" + (root / "run").string(),
             "XDG_CONFIG_HOME=" + (home / ".config").string(),
             "XDG_DATA_HOME=" + (home / ".local/share").string(),
             "XDG_CACHE_HOME=" + (home / ".cache").string(), "GSETTINGS_BACKEND=keyfile",
             "LIBGL_ALWAYS_SOFTWARE=1", "NO_AT_BRIDGE=1", "DBUS_SESSION_BUS_ADDRESS=" + session}) {
        env.push_back(std::move(own));
    }
    if (!system.empty()) env.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + system);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> result;
    result.reserve(words.size() + 1);
    for (auto& word : words) result.push_back(word.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

HeadlessShell::HeadlessShell(Kind kind) {
    start(kind);
}

void HeadlessShell::start(Kind kind) {
    const auto& root = directory_.path();
    std::error_code error;
    std::filesystem::create_directories(root / "home", error);
    std::filesystem::create_directories(root / "run", error);
    std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    writeFile(root / "bus.conf", kBusConfig);
    session_ = std::make_unique<PrivateBus>((root / "bus.conf").string());
    if (kind == Kind::gnomeShell)
        system_ = std::make_unique<PrivateBus>((root / "bus.conf").string());
    if (session_->address().empty() || (system_ && system_->address().empty())) {
        failure_ = "no dbus-daemon to start";
        return;
    }

    if (kind == Kind::sway) {
        startSway(shellEnvironment(root, session_->address(), ""));
        return;
    }
    std::vector<std::string> argv;
    if (kind == Kind::gnomeShell) {
        argv = {"/usr/bin/gnome-shell",
                "--headless",
                "--wayland",
                "--no-x11",
                "--virtual-monitor",
                "1280x800",
                "--wayland-display=tavix-test-wayland"};
    } else {
        argv = {
            "/usr/bin/kwin_wayland", "--virtual", "--width", "1280", "--height", "800", "--socket",
            "tavix-test-wayland"};
        // Two desktops in a row, so that each has a neighbour.
        std::filesystem::create_directories(root / "home/.config", error);
        writeFile(root / "home/.config/kwinrc", "[Desktops]\nNumber=2\nRows=1\n");
    }
    if (!std::filesystem::exists(argv.front())) {
        failure_ = argv.front() + " is not installed";
        return;
    }
    const auto env = shellEnvironment(root, session_->address(), system_ ? system_->address() : "");
    pid_ = spawn(argv, env, "shell.log");
    if (pid_ == 0 && kind == Kind::kwin) {
        // Debian's binary carries a file capability that a container may refuse to exec; a
        // plain copy has none, but KWin 6 finds its platform plugin only from /usr/bin.
        const auto copy = root / "kwin_wayland";
        if (std::filesystem::copy_file(argv.front(), copy, error)) {
            argv.front() = copy.string();
            pid_ = spawn(argv, env, "shell.log");
        }
    }
    if (pid_ == 0) {
        failure_ = argv.front() + " could not be started";
        return;
    }
    if (!waitUntilReady(kind) && failure_.empty()) {
        failure_ = argv.front() + " did not come up: " + logTail();
    }
}

// In the shell's process group, so that the destructor stops it with the shell; 0 on failure.
pid_t HeadlessShell::spawn(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env, const char* logName) {
    const auto& root = directory_.path();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = (root / logName).string();
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // A crash on the way out leaves its core in the temporary folder, not the build tree.
    posix_spawn_file_actions_addchdir_np(&actions, root.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, pid_);
    auto words = argv;
    auto environment = env;
    auto args = pointers(words);
    auto envp = pointers(environment);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, args.front(), &actions, &attributes, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) return 0;
    const rlimit noCore{0, 0};
    prlimit(pid, RLIMIT_CORE, &noCore, nullptr);
    return pid;
}

bool HeadlessShell::waitUntilReady(Kind kind) {
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", session_->address().c_str());
    auto bus = SessionBus::connect();
    if (!bus) return false;
    bool gone = false;
    auto alive = [&] {
        gone = gone || exited();
        return !gone;
    };
    if (kind == Kind::kwin) {
        // KWin 6 and 5 keep the shortcut registry inside; a KWin built without it needs
        // Plasma's daemon beside it, where that is installed.
        if (!waitFor(kStartBound, [&] { return !alive() || bus->hasOwner("org.kde.KWin"); }) ||
            gone) {
            return false;
        }
        if (!bus->hasOwner("org.kde.kglobalaccel") && std::filesystem::exists(kDaemon)) {
            auto env = shellEnvironment(directory_.path(), session_->address(), "");
            env.emplace_back("QT_QPA_PLATFORM=offscreen");
            daemon_ = spawn({kDaemon}, env, "kglobalacceld.log");
        }
        return waitFor(kStartBound,
                       [&] {
                           if (!alive()) return true;
                           const auto names = bus->callForValue({"org.kde.kglobalaccel",
                                                                 "/component/kwin",
                                                                 "org.kde.kglobalaccel.Component",
                                                                 "shortcutNames",
                                                                 {}});
                           const auto* list =
                               names ? std::get_if<std::vector<std::string>>(&*names) : nullptr;
                           return list && std::ranges::find(*list, "Show Desktop") != list->end();
                       }) &&
               !gone;
    }
    auto overview = [&] {
        return bus->getProperty("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell",
                                "OverviewActive");
    };
    if (!waitFor(kStartBound, [&] { return !alive() || overview(); }) || gone) return false;
    // The shell opens the overview once it has started; close it so that tests start from the
    // desktop.
    waitFor(kSettleBound, [&] { return overview() == platform::desktop::DBusValue(true); });
    bus->setProperty("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "OverviewActive",
                     false);
    if (!waitFor(kSettleBound, [&] { return overview() == platform::desktop::DBusValue(false); })) {
        failure_ = "GNOME Shell kept its start-up overview open";
        return false;
    }
    // Rendering in software on a busy machine, a newer shell answers late for a while after
    // start, beyond the bus timeout of the actions: wait (bounded) until it answers promptly.
    waitFor(kSettleBound, [&] {
        const auto asked = Clock::now();
        overview();
        return Clock::now() - asked < std::chrono::milliseconds(100);
    });
    return true;
}

std::string HeadlessShell::logTail() const {
    const std::string log = readFile(directory_.path() / "shell.log");
    constexpr std::size_t kTail = 800;
    return log.size() > kTail ? "…" + log.substr(log.size() - kTail) : log;
}

bool HeadlessShell::exited() {
    reaped_ = reaped_ || waitpid(pid_, nullptr, WNOHANG) == pid_;
    return reaped_;
}

// The whole process group: whatever the shell started goes with it.
HeadlessShell::~HeadlessShell() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    if (!waitFor(kStopBound, [this] { return exited(); })) {
        kill(-pid_, SIGKILL);
        if (!reaped_) waitpid(pid_, nullptr, 0);
    }
    if (daemon_ > 0) {
        kill(daemon_, SIGKILL);
        waitpid(daemon_, nullptr, 0);
    }
}

// Headless, software-rendered, with no input devices and a config of its own: nothing of the
// user's Sway setup is read. Root cannot run Sway, so then it runs as nobody, which must be able
// to reach the temporary folder and own its runtime folder.
void HeadlessShell::startSway(std::vector<std::string> env) {
    const auto& root = directory_.path();
    const std::filesystem::path sway = "/usr/bin/sway";
    if (!std::filesystem::exists(sway)) {
        failure_ = "sway is not installed";
        return;
    }
    writeFile(root / "sway.config", "output HEADLESS-1 resolution 1280x800\n");
    for (std::string own : {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                            "WLR_RENDERER=pixman", "XDG_CURRENT_DESKTOP=sway"}) {
        env.push_back(std::move(own));
    }
    constexpr uid_t kNobody = 65534;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) break;
        }
        if (::chown(root.c_str(), kNobody, kNobody) != 0) {
            failure_ = "the temporary folder could not be given to nobody";
            return;
        }
    }
    std::vector<std::string> argv{sway.string(), "-c", (root / "sway.config").string()};
    auto args = pointers(argv);
    auto envp = pointers(env);
    const std::string log = (root / "shell.log").string();
    // Only async-signal-safe calls between fork and exec.
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0 || ::chdir(root.c_str()) != 0) {
            ::_exit(127);
        }
        if (asRoot &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            ::_exit(127);
        }
        ::execve(args.front(), args.data(), envp.data());
        ::_exit(127);
    }
    if (pid_ < 0) {
        pid_ = 0;
        failure_ = "sway could not be started";
        return;
    }
    const rlimit noCore{0, 0};
    prlimit(pid_, RLIMIT_CORE, &noCore, nullptr);
    const auto socket = root / "run" /
                        ("sway-ipc." + std::to_string(asRoot ? kNobody : ::getuid()) + "." +
                         std::to_string(pid_) + ".sock");
    bool gone = false;
    const bool ready = waitFor(kStartBound, [&] {
        gone = gone || exited();
        if (gone) return true;
        auto ipc = platform::desktop::SwayIpc::connect(socket);
        const auto reply =
            ipc ? ipc->request(platform::desktop::SwayIpc::Message::getWorkspaces, "")
                : std::nullopt;
        return reply && platform::desktop::focusedSwayWorkspace(*reply).has_value();
    });
    if (!ready || gone) {
        failure_ = "sway did not come up: " + logTail();
        return;
    }
    swaySocket_ = socket;
}

}  // namespace tavix::testing

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/mouse_settings/TempDirectory.h"
#include "tests/touch/SimDevices.h"

namespace tavix::testing {
namespace {

namespace fs = std::filesystem;

// `tavix` in a process of its own, with its folders in `home` and its output in a file.
pid_t startTavix(const fs::path& home, const std::vector<std::string>& options,
                 const fs::path& output, pid_t relaunchOf = 0) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (relaunchOf) setenv("TAVIX_RELAUNCH_OF", std::to_string(relaunchOf).c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    setenv("TMPDIR", (home / "tmp").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A decimal-comma locale, which Qt hands to the C library: the log must stay JSON.
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // The exit status is about the orderly quit here, not about what Qt keeps until exit.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (!freopen(output.c_str(), "w", stdout)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(TAVIX_BINARY)};
    for (const auto& option : options) argv.push_back(const_cast<char*>(option.c_str()));
    argv.push_back(nullptr);
    execv(TAVIX_BINARY, argv.data());
    _exit(127);
}

std::size_t count(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

int exitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(SingleInstanceTest, ASecondStartReopensTheRunningOneAndSigtermEndsItCleanly) {
    TempDirectory home;
    for (const char* folder : {"run", "tmp"}) fs::create_directory(home.path() / folder);
    fs::permissions(home.path() / "run", fs::perms::owner_all);
    const fs::path firstOutput = home.path() / "first.out";

    const pid_t first = startTavix(home.path(), {"--demo", "--verbose"}, firstOutput);
    // The demo profile is always new: its first launch asks for the settings window.
    ASSERT_TRUE(eventually([&] { return count(readFile(firstOutput), "TavixOpenSettings") == 1; }))
        << readFile(firstOutput);
    EXPECT_TRUE(fs::exists(home.path() / "run" / ("tavix-demo-" + std::to_string(getuid()) + ".socket")));

    const pid_t second = startTavix(home.path(), {"--demo"}, home.path() / "second.out");
    EXPECT_EQ(exitStatus(second), 0);
    EXPECT_TRUE(eventually([&] { return count(readFile(firstOutput), "TavixOpenSettings") == 2; }));

    // A relaunched copy waits for the running one to end instead of handing over to it.
    const fs::path relaunchedOutput = home.path() / "relaunched.out";
    const pid_t relaunched =
        startTavix(home.path(), {"--demo", "--verbose"}, relaunchedOutput, first);
    usleep(500'000);
    EXPECT_EQ(waitpid(relaunched, nullptr, WNOHANG), 0);
    EXPECT_EQ(readFile(relaunchedOutput), "");

    // The demo is playing (taps are posted), and a SIGTERM ends it the orderly way: status 0
    // and its temporary folder gone.
    EXPECT_TRUE(eventually([&] { return readFile(firstOutput).find("\"post\"") != std::string::npos; }));
    kill(first, SIGTERM);
    EXPECT_EQ(exitStatus(first), 0);
    std::istringstream log(readFile(firstOutput));
    for (std::string line; std::getline(log, line);) {
        EXPECT_TRUE(nlohmann::json::accept(line)) << line;
    }
    EXPECT_TRUE(eventually([&] { return count(readFile(relaunchedOutput), "TavixOpenSettings") == 1; }));
    kill(relaunched, SIGTERM);
    EXPECT_EQ(exitStatus(relaunched), 0);
    EXPECT_TRUE(fs::is_empty(home.path() / "tmp"));
}

}  // namespace
}  // namespace tavix::testing

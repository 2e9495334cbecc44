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

// `tavix` in a process of its own, with its folders in `home` (the runtime folder `runtime`,
// none when empty) and its output in a file, its errors in the same name with ".err".
pid_t startTavix(const fs::path& home, const std::vector<std::string>& options,
                 const fs::path& output, pid_t relaunchOf = 0, const std::string& runtime = "run") {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (relaunchOf) setenv("TAVIX_RELAUNCH_OF", std::to_string(relaunchOf).c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    if (runtime.empty()) {
        unsetenv("XDG_RUNTIME_DIR");
    } else {
        setenv("XDG_RUNTIME_DIR", (home / runtime).c_str(), 1);
    }
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
    if (!freopen((output.string() + ".err").c_str(), "w", stderr)) _exit(126);
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

// A process that has not ended within ten seconds is killed: a test fails, none hangs.
int exitStatus(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10'000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
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

std::vector<fs::path> demoFolders(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("tavix-demo.")) found.push_back(entry);
    }
    return found;
}

TEST(SingleInstanceTest, TheLockAndSocketLiveOnlyInAFolderTheUserAloneCanWrite) {
    TempDirectory home;
    fs::create_directory(home.path() / "tmp");
    fs::permissions(home.path() / "tmp", fs::perms::all | fs::perms::sticky_bit);
    const fs::path output = home.path() / "out";

    // No XDG_RUNTIME_DIR: a folder of the user's own under the temporary one, never the shared
    // temporary folder itself.
    const pid_t first = startTavix(home.path(), {"--demo", "--verbose"}, output, 0, "");
    ASSERT_TRUE(eventually([&] {
        return readFile(output).find("TavixOpenSettings") != std::string::npos;
    })) << readFile(output.string() + ".err");
    std::vector<fs::path> inTmp;
    for (const auto& entry : fs::directory_iterator(home.path() / "tmp")) inTmp.push_back(entry);
    ASSERT_EQ(inTmp.size(), 1u);
    EXPECT_EQ(fs::status(inTmp[0]).permissions(), fs::perms::owner_all);
    EXPECT_TRUE(fs::exists(inTmp[0] / ("tavix-demo-" + std::to_string(getuid()) + ".socket")));
    kill(first, SIGTERM);
    EXPECT_EQ(exitStatus(first), 0);

    // A runtime folder others may write to is refused, with the reason.
    fs::permissions(inTmp[0], fs::perms::all);
    const std::string refusal = "not starting";
    EXPECT_EQ(exitStatus(startTavix(home.path(), {"--demo"}, output, 0, "")), 1);
    EXPECT_NE(readFile(output.string() + ".err").find(refusal), std::string::npos);
    fs::permissions(inTmp[0], fs::perms::owner_all);

    // A runtime folder or a lock file of another user's making stops nothing silently: each
    // is refused by name.
    if (getuid() != 0) GTEST_SKIP() << "planting another user's files needs root";
    ASSERT_EQ(chown(inTmp[0].c_str(), 65534, 65534), 0);
    EXPECT_EQ(exitStatus(startTavix(home.path(), {"--demo"}, output, 0, "")), 1);
    EXPECT_NE(readFile(output.string() + ".err").find(refusal), std::string::npos);

    fs::create_directory(home.path() / "run");
    fs::permissions(home.path() / "run", fs::perms::owner_all);
    const fs::path lock =
        home.path() / "run" / ("tavix-demo-" + std::to_string(getuid()) + ".lock");
    writeFile(lock, "");
    ASSERT_EQ(chown(lock.c_str(), 65534, 65534), 0);
    EXPECT_EQ(exitStatus(startTavix(home.path(), {"--demo"}, output)), 1);
    EXPECT_NE(readFile(output.string() + ".err").find("belongs to uid 65534"), std::string::npos)
        << readFile(output.string() + ".err");
}

TEST(SingleInstanceTest, AKilledDemoLeavesNothingInTmpAndTheNextDemoClearsItsFolder) {
    TempDirectory home;
    for (const char* folder : {"run", "tmp"}) fs::create_directory(home.path() / folder);
    fs::permissions(home.path() / "run", fs::perms::owner_all);
    const fs::path output = home.path() / "out";

    const pid_t killed = startTavix(home.path(), {"--demo", "--verbose"}, output);
    ASSERT_TRUE(eventually(
        [&] { return readFile(output).find("TavixOpenSettings") != std::string::npos; }));
    kill(killed, SIGKILL);
    exitStatus(killed);
    EXPECT_TRUE(fs::is_empty(home.path() / "tmp"));
    const auto left = demoFolders(home.path() / "run");
    ASSERT_EQ(left.size(), 1u);

    const fs::path nextOutput = home.path() / "next.out";
    const pid_t next = startTavix(home.path(), {"--demo", "--verbose"}, nextOutput);
    ASSERT_TRUE(eventually(
        [&] { return readFile(nextOutput).find("TavixOpenSettings") != std::string::npos; }));
    EXPECT_FALSE(fs::exists(left[0]));
    EXPECT_EQ(demoFolders(home.path() / "run").size(), 1u);
    kill(next, SIGTERM);
    EXPECT_EQ(exitStatus(next), 0);
    EXPECT_TRUE(demoFolders(home.path() / "run").empty());
}

}  // namespace
}  // namespace tavix::testing

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/linux/DesktopWorkspace.h"
#include "platform/linux/SystemClock.h"

namespace tavix::platform {
namespace {

TEST(SystemClock, UptimeMovesForwardAndWallTimeIsNow) {
    SystemClock clock;
    const double before = clock.uptime();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GT(clock.uptime(), before);
    EXPECT_GT(before, 0.0);
    const auto drift = clock.wallNow() - std::chrono::system_clock::now();
    EXPECT_LT(std::chrono::abs(drift), std::chrono::seconds(1));
}

TEST(DesktopWorkspace, AnswersFromTheFileSystemAndStartsProgramsWithoutAShell) {
    DesktopWorkspace workspace;
    EXPECT_TRUE(workspace.fileExists("/"));
    EXPECT_FALSE(workspace.fileExists("/System/Applications/Apps.app"));

    const auto marker =
        std::filesystem::temp_directory_path() / ("tavix-workspace-" + std::to_string(getpid()));
    std::filesystem::remove(marker);
    std::atomic<int> opened{-1};
    // The argument would run a command if it ever reached a shell.
    workspace.openApplication("/usr/bin/touch", {.arguments = {marker.string()}, .activates = true},
                              [&](bool ok) { opened = ok; });
    EXPECT_EQ(opened, 1);
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(std::filesystem::exists(marker));
    std::filesystem::remove(marker);

    workspace.openApplication("/nonexistent/Tavix.app", {}, [&](bool ok) { opened = ok; });
    EXPECT_EQ(opened, 0);
}

}  // namespace
}  // namespace tavix::platform

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "Tavix/app/SingleInstance.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::testing {
namespace {

namespace fs = std::filesystem;

// Accepts one connection on a fresh socket from a child running as `uid`; returns the
// accepted descriptor, or -1.
int acceptFrom(const fs::path& path, uid_t uid) {
    const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    if (bind(server, raw, sizeof address) != 0 || listen(server, 1) != 0) return -1;
    chmod(path.c_str(), 0777);
    const pid_t child = fork();
    if (child == 0) {
        const int client = socket(AF_UNIX, SOCK_STREAM, 0);
        if (setuid(uid) != 0) _exit(1);
        _exit(connect(client, raw, sizeof address) == 0 ? 0 : 1);
    }
    const int accepted = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    waitpid(child, nullptr, 0);
    close(server);
    unlink(path.c_str());
    return accepted;
}

TEST(LocalPeerTest, OnlyAPeerRunningAsTheSameUserIsBelieved) {
    TempDirectory folder;
    fs::permissions(folder.path(), fs::perms::all);
    const int same = acceptFrom(folder.path() / "s", getuid());
    ASSERT_GE(same, 0);
    EXPECT_TRUE(SingleInstance::peerIsUser(same));
    close(same);
    if (getuid() != 0) GTEST_SKIP() << "a peer of another user needs root";
    const int other = acceptFrom(folder.path() / "s", 65534);
    ASSERT_GE(other, 0);
    EXPECT_FALSE(SingleInstance::peerIsUser(other));
    close(other);
}

}  // namespace
}  // namespace tavix::testing

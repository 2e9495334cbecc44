#include "platform/linux/DesktopWorkspace.h"

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>

extern char** environ;

namespace tavix::platform {

void DesktopWorkspace::openApplication(const std::string& path,
                                       const OpenConfiguration& configuration,
                                       Completion completion) {
    std::vector<std::string> words{path};
    words.insert(words.end(), configuration.arguments.begin(), configuration.arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const bool started =
        posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
    if (started) {
        // Reap the child without holding up the caller.
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    }
    if (completion) completion(started);
}

bool DesktopWorkspace::openURL(const std::string& url) {
    bool started = false;
    openApplication("/usr/bin/xdg-open", {.arguments = {url}}, [&](bool ok) { started = ok; });
    return started;
}

bool DesktopWorkspace::fileExists(const std::string& path) const {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace tavix::platform

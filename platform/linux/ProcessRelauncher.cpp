#include "platform/linux/ProcessRelauncher.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string_view>

extern char** environ;

namespace tavix::platform {

std::string ProcessRelauncher::runningProgram() {
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error) return {};
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
    return path;
}

ProcessRelauncher::ProcessRelauncher(std::string program, std::vector<std::string> arguments,
                                     double delaySeconds)
    : program_(std::move(program)), arguments_(std::move(arguments)), delay_(delaySeconds) {}

bool ProcessRelauncher::relaunch() {
    if (program_.empty()) return false;
    // Everything the child needs is made now: after fork() in a threaded process only
    // async-signal-safe calls are allowed.
    std::vector<std::string> words = arguments_;
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const std::string prefix = std::string(kRelaunchVariable) + "=";
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0) variables.emplace_back(*entry);
    }
    variables.push_back(prefix + std::to_string(getpid()));
    std::vector<char*> envp;
    envp.reserve(variables.size() + 1);
    for (auto& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    timespec delay{};
    delay.tv_sec = static_cast<time_t>(delay_);
    delay.tv_nsec = static_cast<long>((delay_ - static_cast<double>(delay.tv_sec)) * 1e9);

    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid > 0) return true;

    // The child: hold nothing of ours while it waits (a grabbed mouse, the instance lock), and
    // let the new program start with default signal handling.
    close_range(3, UINT_MAX, 0);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaction(signal, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    while (nanosleep(&delay, &delay) == -1 && errno == EINTR) {
    }
    execve(program_.c_str(), argv.data(), envp.data());
    _exit(127);
}

}  // namespace tavix::platform

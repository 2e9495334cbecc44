#include "platform/linux/DevicePermissions.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <thread>

#include "platform/MainQueue.h"
#include "platform/linux/input/InputAccess.h"

#if !defined(TAVIX_UDEV_RULE_INSTALLED) || !defined(TAVIX_UDEV_RULE_VENDOR) || \
    !defined(TAVIX_UDEV_RULE_LOCAL) || \
    !defined(TAVIX_RULE_HELPER) || !defined(TAVIX_HELP_PAGE)
#error "the build names the udev rule, its helper and the help page"
#endif

extern char** environ;

namespace tavix::platform {
namespace {

// A file:// URL; bytes outside the unreserved set (and '/') are percent-encoded.
std::string fileURL(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0xF];
        }
    }
    return url;
}

}  // namespace

DevicePermissions::Locations DevicePermissions::configured() {
    return {.rules = {TAVIX_UDEV_RULE_INSTALLED, TAVIX_UDEV_RULE_VENDOR, TAVIX_UDEV_RULE_LOCAL},
            .helper = TAVIX_RULE_HELPER,
            .helpPage = fileURL(TAVIX_HELP_PAGE)};
}

DevicePermissions::DevicePermissions(Locations locations) : locations_(std::move(locations)) {}

MouseAccess DevicePermissions::mouseAccess() {
    return input::magicMouseAccess(locations_.sysClassInput, locations_.devInput);
}

bool DevicePermissions::canPostEvents() { return input::canWriteUinput(locations_.uinput); }

bool DevicePermissions::ruleInstalled() const {
    std::error_code error;
    return std::any_of(locations_.rules.begin(), locations_.rules.end(),
                       [&](const auto& rule) { return std::filesystem::exists(rule, error); });
}

void DevicePermissions::requestGrants(Completion completion) {
    auto finish = [completion = std::move(completion)](bool asked) {
        if (completion) completion(asked);
    };
    if (ruleInstalled() || ::access(locations_.pkexec.c_str(), X_OK) != 0 ||
        ::access(locations_.helper.c_str(), R_OK) != 0) {
        finish(false);
        return;
    }
    if (asking_->exchange(true)) {
        finish(true);
        return;
    }
    std::string pkexec = locations_.pkexec;
    std::string helper = locations_.helper;
    char* argv[] = {pkexec.data(), helper.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, pkexec.c_str(), nullptr, nullptr, argv, environ) != 0) {
        asking_->store(false);
        finish(false);
        return;
    }
    // pkexec waits for the user to authenticate: never on the main thread.
    std::thread([pid, asking = asking_, finish = std::move(finish)] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        asking->store(false);
        const bool installed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        mainQueue().async([finish, installed] { finish(installed); });
    }).detach();
}

}  // namespace tavix::platform

#include "tests/desktop/XTestServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace tavix::testing {

PrivateXServer::PrivateXServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    std::vector<std::string> words{"Xvfb", "-displayfd", "3", "-nolisten",
                                   "tcp",  "-screen",    "0", "320x240x24"};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    char buffer[32] = {};
    if (pid_ > 0 && poll(&p, 1, 10000) == 1 && read(fds[0], buffer, sizeof buffer - 1) > 0) {
        display_ = ":" + std::to_string(std::atoi(buffer));
    }
    close(fds[0]);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

FakeWindowManager::FakeWindowManager(const std::string& name)
    : display_(XOpenDisplay(name.c_str())) {
    if (!display_) return;
    root_ = DefaultRootWindow(display_);
    showing_ = XInternAtom(display_, "_NET_SHOWING_DESKTOP", False);
    XSelectInput(display_, root_, SubstructureRedirectMask);
    XSync(display_, False);
}

FakeWindowManager::~FakeWindowManager() {
    if (display_) XCloseDisplay(display_);
}

void FakeWindowManager::announce() {
    unsigned long atoms[] = {showing_, XInternAtom(display_, "_NET_CURRENT_DESKTOP", False)};
    XChangeProperty(display_, root_, XInternAtom(display_, "_NET_SUPPORTED", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(atoms), 2);
    XSync(display_, False);
}

void FakeWindowManager::setDesktops(unsigned long current, unsigned long count) {
    for (auto [name, value] : {std::pair{"_NET_CURRENT_DESKTOP", current},
                               std::pair{"_NET_NUMBER_OF_DESKTOPS", count}}) {
        XChangeProperty(display_, root_, XInternAtom(display_, name, False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&value), 1);
    }
    XSync(display_, False);
}

void FakeWindowManager::setShowing(bool on) {
    unsigned long value = on;
    XChangeProperty(display_, root_, showing_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    XSync(display_, False);
}

std::optional<long> FakeWindowManager::nextRequest(const char* type) {
    const Atom wanted = XInternAtom(display_, type, False);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && event.xclient.message_type == wanted) {
                return event.xclient.data.l[0];
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

}  // namespace tavix::testing

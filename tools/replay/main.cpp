#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>

#include "Tavix/touch/MultitouchManager.h"
#include "replay/EvemuInput.h"
#include "replay/Quote.h"
#include "replay/Replay.h"

namespace {

constexpr std::string_view kUsage =
    "usage: tavix-replay [SCRIPT]\n"
    "Plays a touch script (standard input when no SCRIPT is named) and prints what the system\n"
    "did as an event log on standard output.\n"
    "A script is one JSON object per line; \"t\" is the uptime in seconds, from 0 to 1e9\n"
    "(about 31 years), never decreasing.\n"
    "Exit status: 0 the script played to its end; 1 the log could not be written;\n"
    "2 bad usage, a script that cannot be read, or a malformed line (the message names it).\n";

}  // namespace

// tavix-replay [SCRIPT]: plays a touch script and prints the event log on standard output.
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::string_view argument = argc == 2 ? argv[1] : "";
    if (argument == "--help" || argument == "-h") {
        std::cout << kUsage << std::flush;
        return std::cout ? 0 : 1;
    }
    if (argc > 2) {
        std::cerr << kUsage;
        return 2;
    }
    // Checked first: a file opened later would take the free descriptor and receive the log.
    if (fcntl(STDOUT_FILENO, F_GETFL) == -1) {
        std::cerr << "tavix-replay: cannot write the event log: standard output is closed\n";
        return 1;
    }
    int fd = STDIN_FILENO;
    std::string name = "standard input";
    if (argc == 2) {
        name = tavix::replay::quote(argument, PATH_MAX);
        fd = open(argv[1], O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::cerr << "tavix-replay: cannot open " << name << ": " << std::strerror(errno)
                      << '\n';
            return 2;
        }
    }
    tavix::replay::LineReader script(fd, name);
    // An evemu recording ("# EVEMU" first line) plays as the touch script it stands for.
    std::optional<tavix::replay::LineReader> evemu;
    if (const auto first = script.peek(); first && tavix::platform::input::isEvemuHeader(*first)) {
        tavix::platform::input::EvemuProblem problem;
        auto converted = tavix::replay::evemuScript(script, problem);
        if (!converted) {
            std::cerr << "tavix-replay: " << problem.what << '\n';
            return 2;
        }
        evemu.emplace(std::move(*converted));
    }
    // The replay ends (the devices stop) before the process does.
    tavix::replay::Replay replay(std::cout, tavix::MultitouchManager::frameworkPath());
    return replay.play(evemu ? *evemu : script, std::cerr);
}

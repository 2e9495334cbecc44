#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "Tavix/touch/MultitouchManager.h"
#include "tools/replay/EvemuInput.h"
#include "tools/replay/Replay.h"

// tavix-replay [SCRIPT]: plays a touch script (standard input when none is named) and prints the
// event log on standard output.
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc > 2) {
        std::cerr << "usage: tavix-replay [SCRIPT]\n";
        return 2;
    }
    std::ifstream file;
    if (argc == 2) {
        file.open(argv[1]);
        if (!file) {
            std::cerr << "tavix-replay: cannot open " << argv[1] << '\n';
            return 2;
        }
    }
    std::istream& input = argc == 2 ? file : std::cin;
    // An evemu recording ("# EVEMU" first line) plays as the touch script it stands for.
    std::istringstream buffered;
    const bool buffer = input.peek() == '#';
    if (buffer) {
        std::string text{std::istreambuf_iterator<char>(input), {}};
        if (tavix::platform::input::isEvemuHeader(text)) {
            std::istringstream recording(text);
            tavix::platform::input::EvemuProblem problem;
            auto script = tavix::replay::evemuScript(recording, problem);
            if (!script) {
                std::cerr << "tavix-replay: line " << problem.line << ": " << problem.what << '\n';
                return 2;
            }
            text = std::move(*script);
        }
        buffered.str(std::move(text));
    }
    int status = 0;
    {
        tavix::replay::Replay replay(std::cout, tavix::MultitouchManager::frameworkPath());
        status = replay.play(buffer ? buffered : input, std::cerr);
    }
    std::cout.flush();
    return status;
}

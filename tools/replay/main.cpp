#include <fstream>
#include <iostream>

#include "Tavix/touch/MultitouchManager.h"
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
    int status = 0;
    {
        tavix::replay::Replay replay(std::cout, tavix::MultitouchManager::frameworkPath());
        status = replay.play(argc == 2 ? file : std::cin, std::cerr);
    }
    std::cout.flush();
    return status;
}

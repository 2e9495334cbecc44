// Run by the relaunch tests: the first run records itself and relaunches; the run that follows
// records the arguments, the relaunch variable it was given and the binary it runs. argv[1]
// names the record. With TAVIX_PROBE_UPGRADE set, the first run has that file renamed over its
// own, as a package upgrade would, between its start and the relaunch.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/ProcessRelauncher.h"

int main(int argc, char** argv) {
    using tavix::platform::ProcessRelauncher;
    const std::string program = ProcessRelauncher::runningProgram();
    if (argc < 2) return 2;
    const bool first = !std::filesystem::exists(argv[1]);
    std::ofstream record(argv[1], std::ios::app);
    if (first) {
        record << "first " << getpid() << '\n';
        record.close();
        if (const char* upgrade = std::getenv("TAVIX_PROBE_UPGRADE")) {
            if (std::rename(upgrade, program.c_str()) != 0) return 3;
        }
        ProcessRelauncher relauncher(program, {argv, argv + argc});
        return relauncher.relaunch() ? 0 : 1;
    }
    const char* from = std::getenv(ProcessRelauncher::kRelaunchVariable);
    record << "second " << (from ? from : "-");
    for (int i = 1; i < argc; ++i) record << '\0' << argv[i];
    record << '\0' << std::filesystem::read_symlink("/proc/self/exe").string() << '\n';
    return 0;
}

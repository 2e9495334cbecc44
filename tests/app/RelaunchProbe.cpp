// Run by the relaunch tests: the first run records itself and relaunches; the run that follows
// records the arguments, the relaunch variable it was given, any descriptor of the first run it
// still holds and the binary it runs. argv[1] names the record. With TAVIX_PROBE_UPGRADE set, the
// first run has that file renamed over its own, as a package upgrade would, between its start and
// the relaunch.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/ProcessRelauncher.h"

// Whether a descriptor of the run before came through the relaunch.
bool holdsOldDescriptors() {
    for (int fd = 3; fd < 1024; ++fd) {
        if (fcntl(fd, F_GETFD) != -1) return true;
    }
    return false;
}

int main(int argc, char** argv) {
    using tavix::platform::ProcessRelauncher;
    const bool inherited = holdsOldDescriptors();
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
        // Held open through the relaunch, as the grabbed mouse and the instance lock are.
        [[maybe_unused]] const int held = ::open("/dev/null", O_RDONLY);
        ProcessRelauncher relauncher(program, {argv, argv + argc});
        return relauncher.relaunch() ? 0 : 1;
    }
    const char* from = std::getenv(ProcessRelauncher::kRelaunchVariable);
    record << "second " << (from ? from : "-") << (inherited ? " holding descriptors" : "");
    for (int i = 1; i < argc; ++i) record << '\0' << argv[i];
    record << '\0' << std::filesystem::read_symlink("/proc/self/exe").string() << '\n';
    return 0;
}

// Run by the relaunch test: the first run records itself and relaunches; the run that follows
// records the arguments and the relaunch variable it was given. argv[1] names the record.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/ProcessRelauncher.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const bool first = !std::filesystem::exists(argv[1]);
    std::ofstream record(argv[1], std::ios::app);
    if (first) {
        record << "first " << getpid() << '\n';
        record.close();
        tavix::platform::ProcessRelauncher relauncher({argv, argv + argc});
        return relauncher.relaunch() ? 0 : 1;
    }
    const char* from = std::getenv(tavix::platform::ProcessRelauncher::kRelaunchVariable);
    record << "second " << (from ? from : "-");
    for (int i = 1; i < argc; ++i) record << '\0' << argv[i];
    record << '\n';
    return 0;
}

#pragma once

class QCoreApplication;

namespace tavix {

// What `tavix` was asked to do. Parsing prints and exits for --help, --version and bad input.
struct CommandLine {
    bool demo = false;
    bool verbose = false;

    static CommandLine parse(const QCoreApplication& application);
};

}  // namespace tavix

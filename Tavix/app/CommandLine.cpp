#include "Tavix/app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace tavix {

CommandLine CommandLine::parse(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tavix turns the touch surface of an Apple Magic Mouse into a gesture pad.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        "demo",
        "Run on a simulated mouse that plays a recorded tour of the gestures, over and over. "
        "Nothing reaches the desktop, and your settings are left alone.");
    const QCommandLineOption verbose("verbose",
                                     "With --demo, print every event Tavix posts as a JSON line.");
    parser.addOption(demo);
    parser.addOption(verbose);
    parser.process(application);
    return {.demo = parser.isSet(demo), .verbose = parser.isSet(verbose)};
}

}  // namespace tavix

#include <QApplication>
#include <QWindow>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Tavix/app/AppDelegate.h"
#include "Tavix/app/CommandLine.h"
#include "Tavix/app/Demo.h"
#include "Tavix/app/LinuxPlatform.h"
#include "Tavix/app/SingleInstance.h"
#include "Tavix/app/TerminationSignals.h"
#include "Tavix/ui/TavixApp.h"
#include "platform/linux/ProcessRelauncher.h"

#ifndef TAVIX_DEMO_SCRIPT
#error "the build names the demo script in TAVIX_DEMO_SCRIPT"
#endif

namespace {

using namespace std::chrono_literals;

bool hasVisibleWindows() {
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible()) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    tavix::executablePath();  // now, before an upgrade can replace the file
    const std::vector<std::string> arguments(argv, argv + argc);
    // Without a display Tavix still runs its gestures, with nothing on screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication::setApplicationName("Tavix");
    QApplication::setApplicationVersion(TAVIX_VERSION);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const auto options = tavix::CommandLine::parse(application);
    tavix::TerminationSignals termination;

    // A copy started by a relaunch waits for the process that started it to end.
    const bool relaunched =
        qEnvironmentVariableIsSet(tavix::platform::ProcessRelauncher::kRelaunchVariable);
    qunsetenv(tavix::platform::ProcessRelauncher::kRelaunchVariable);
    tavix::SingleInstance instance(options.demo ? "tavix-demo" : "tavix");
    switch (instance.claim(relaunched ? 5s : 0ms)) {
        case tavix::SingleInstance::Claim::claimed:
            break;
        case tavix::SingleInstance::Claim::handedOver:
            return 0;
        case tavix::SingleInstance::Claim::noAnswer:
            std::cerr << "tavix: another Tavix is running but does not answer\n";
            return 1;
        case tavix::SingleInstance::Claim::refused:
            std::cerr << "tavix: " << instance.problem().toStdString() << "; not starting\n";
            return 1;
    }

    std::unique_ptr<tavix::Demo> demo;
    if (options.demo) {
        demo = std::make_unique<tavix::Demo>(options.verbose, instance.folder());
        std::string problem = "cannot make a folder in " + instance.folder().toStdString();
        if (!demo->ready() || !demo->install(TAVIX_DEMO_SCRIPT, arguments, problem)) {
            std::cerr << "tavix: " << problem << '\n';
            return 1;
        }
    } else {
        tavix::installLinuxPlatform(arguments);
    }

    tavix::AppDelegate delegate;
    QObject::connect(&instance, &tavix::SingleInstance::reopenRequested, &delegate,
                     [&delegate] { delegate.applicationShouldHandleReopen(hasVisibleWindows()); });
    if (demo) demo->start();
    delegate.applicationDidFinishLaunching();
    tavix::ui::TavixApp scenes;
    return application.exec();
}

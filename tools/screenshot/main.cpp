// tavix-screenshot OUTPUT.png: the settings window as it opens, rendered off screen while the
// demo script plays, at the moment fingers rest on the mouse after a first gesture.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <iostream>
#include <string>
#include <vector>

#include "Tavix/AppState.h"
#include "Tavix/app/Demo.h"
#include "Tavix/ui/SettingsView.h"
#include "Tavix/ui/TavixApp.h"
#include "Tavix/ui/TouchPreview.h"
#include "Tavix/ui/WidgetSnapshot.h"

#ifndef TAVIX_DEMO_SCRIPT
#error "the build names the demo script in TAVIX_DEMO_SCRIPT"
#endif

namespace {

constexpr int kPatienceMs = 20000;
constexpr qreal kPixelRatio = 2;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tavix-screenshot OUTPUT.png\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::vector<std::string> arguments(argv, argv + argc);
    const QTemporaryDir scratch;  // no single instance here, so a folder of its own
    tavix::Demo demo(false, scratch.path());
    QApplication application(argc, argv);
    std::string problem = "cannot make a temporary folder";
    if (!demo.ready() || !demo.install(TAVIX_DEMO_SCRIPT, arguments, problem)) {
        std::cerr << "tavix-screenshot: " << problem << '\n';
        return 1;
    }

    auto& state = tavix::AppState::shared();
    state.boot();
    tavix::ui::TavixApp scenes(state, true);
    scenes.openWindow(QString::fromLatin1(tavix::ui::TavixApp::kSettingsIdentifier));
    auto* window = scenes.settingsWindow();
    const auto* preview = window->findChild<tavix::ui::TouchPreview*>();
    demo.start();

    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kPatienceMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (preview->points().size() >= 2 && !preview->isAnimating() &&
            state.live().lastGesture != "—")
            break;
    }
    if (!tavix::ui::WidgetSnapshot::save(*window, QString::fromLocal8Bit(argv[1]), kPixelRatio)) {
        std::cerr << "tavix-screenshot: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}

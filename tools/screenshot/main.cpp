// tavix-screenshot OUTPUT.png: the settings window as it opens, rendered off screen at a fixed
// moment of the demo script, for the README.
//
// The same picture on every run: the script's frames are delivered one by one under a virtual
// clock (no real time, no threads), the settings and mouse preferences start empty in a fresh
// folder, animations are run to their end, and the look is pinned: Fusion with its standard
// palette, DejaVu Sans with WenQuanYi Micro Hei (fonts-dejavu-core, fonts-wqy-microhei) at a
// fixed pixel size, the window at its opening size, pixel ratio 2.
#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Tavix/AppState.h"
#include "Tavix/touch/MultitouchManager.h"
#include "Tavix/ui/AnimationClock.h"
#include "Tavix/ui/SettingsView.h"
#include "Tavix/ui/TavixApp.h"
#include "Tavix/ui/WidgetSnapshot.h"
#include "platform/multitouch/SimControlLoader.h"
#include "platform/sim/SimulatedPlatform.h"
#include "replay/TouchScript.h"

#ifndef TAVIX_DEMO_SCRIPT
#error "the build names the demo script in TAVIX_DEMO_SCRIPT"
#endif

namespace {

namespace line = tavix::replay::line;

// Seconds into the script: three fingers closing, the pinch just recognised.
constexpr double kMoment = 4.09;
constexpr int kBodyPixelSize = 13;
constexpr qreal kPixelRatio = 2;

// Everything the application reads or writes lands in `folder`; the interface is Chinese.
void isolate(const QTemporaryDir& folder) {
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(variable, QFile::encodeName(folder.path()));
    qunsetenv("LANGUAGE");
    qputenv("LC_ALL", "C.UTF-8");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void pinLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(kBodyPixelSize);
    QApplication::setFont(font);
}

struct Script {
    std::vector<MTSimDevice> devices;
    std::vector<std::pair<double, line::Frame>> frames;
};

// The script's devices and its frames up to `until`; what else it does the window does not
// show (the window owns the configuration). Empty, with the problem in `error`, when it cannot
// be read.
std::optional<Script> load(const char* path, double until, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = std::string("cannot open the demo script ") + path;
        return std::nullopt;
    }
    Script script;
    std::string text;
    for (std::size_t number = 1; std::getline(in, text); ++number) {
        auto [parsed, problem] = tavix::replay::parseLine(text);
        if (!problem.empty()) {
            error = std::string(path) + ":" + std::to_string(number) + ": " + problem;
            return std::nullopt;
        }
        if (const auto* device = std::get_if<line::Device>(&parsed)) {
            script.devices.push_back({.handle = device->handle,
                                      .family = device->family,
                                      .deviceID = device->deviceID,
                                      .width = device->width,
                                      .height = device->height,
                                      .builtIn = device->builtIn,
                                      .attached = device->attached});
        } else if (auto* timed = std::get_if<line::Timed>(&parsed); timed && timed->t <= until) {
            if (auto* frame = std::get_if<line::Frame>(&timed->action))
                script.frames.emplace_back(timed->t, std::move(*frame));
        }
    }
    return script;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tavix-screenshot OUTPUT.png\n";
        return 2;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::cerr << "tavix-screenshot: cannot make a temporary folder\n";
        return 1;
    }
    isolate(folder);
    QApplication application(argc, argv);
    pinLook();

    tavix::platform::SimulatedPlatform services;
    services.permissions->setTrusted(true);
    services.permissions->setCanPostEvents(true);
    auto animations = std::make_shared<tavix::platform::VirtualClock>();
    tavix::ui::installAnimationClock(animations);
    auto control = tavix::platform::mt::SimControl::open(tavix::MultitouchManager::frameworkPath());
    if (!control) {
        std::cerr << "tavix-screenshot: the multitouch framework cannot play a script\n";
        return 1;
    }
    control->reset();
    std::string problem;
    const auto script = load(TAVIX_DEMO_SCRIPT, kMoment, problem);
    if (!script) {
        std::cerr << "tavix-screenshot: " << problem << '\n';
        return 1;
    }
    for (const MTSimDevice& device : script->devices) control->declareDevice(&device);

    auto& state = tavix::AppState::shared();
    state.boot();
    tavix::ui::TavixApp scenes(state, true);
    scenes.openWindow(QString::fromLatin1(tavix::ui::TavixApp::kSettingsIdentifier));
    // Each frame on this thread at its own time, its results published before the next.
    for (const auto& [t, frame] : script->frames) {
        std::vector<MTSimContact> contacts;
        for (const auto& c : frame.contacts) contacts.push_back({c.id, c.state, c.x, c.y});
        services.clock->set(t);
        control->deliverFrame(frame.device.value_or(MT_SIM_NULL_DEVICE), contacts.data(),
                              static_cast<int32_t>(contacts.size()), t);
        services.queue->drain();
        QCoreApplication::processEvents();
    }
    animations->advance(10);
    QCoreApplication::processEvents();

    const bool saved = tavix::ui::WidgetSnapshot::save(
        *scenes.settingsWindow(), QString::fromLocal8Bit(argv[1]), kPixelRatio);
    tavix::MultitouchManager::shared().stopAll();
    if (!saved) {
        std::cerr << "tavix-screenshot: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}

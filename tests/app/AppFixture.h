#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>

#include <memory>
#include <utility>

#include "Tavix/AppState.h"
#include "Tavix/events/InputMonitor.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGestures.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/multitouch/SimControlLoader.h"
#include "platform/preferences/sim/InMemoryPreferenceStore.h"
#include "platform/sim/SimulatedPlatform.h"
#include "tests/mouse_settings/TempDirectory.h"
#include "tests/touch/SimDevices.h"

namespace tavix {

struct AppStateTestAccess {
    // The shared state made afresh, as a new process would make it.
    static AppState& fresh() {
        reset();
        return AppState::shared();
    }
    static void reset() { delete std::exchange(AppState::instance(), nullptr); }
    static void tick(AppState& state) { state.tick(); }
};

namespace testing {

// Runs the Qt event loop for a while.
inline void runEvents(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Simulated services, a simulated framework with no devices, and the user defaults, the data
// folder and the mouse preferences in a temporary folder of the test's own.
class AppFixture : public ::testing::Test {
  protected:
    static constexpr int64_t kMouse = 1;

    void SetUp() override {
        config = home.path() / "config";
        data = home.path() / "data";
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config.string()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(config.string()));
        previousStore_ = platform::installPreferenceStore(store);
        control = freshControl(MultitouchManager::frameworkPath().c_str());
        platform.clock->set(100);
    }

    void TearDown() override {
        MultitouchManager::shared().stopAll();
        MultitouchManager::shared().onFrame = nullptr;
        GestureEngine::shared().onStatus = nullptr;
        SystemGestures::shared().onGesture = nullptr;
        InputMonitor::shared().stop();
        AppStateTestAccess::reset();
        platform::installPreferenceStore(previousStore_);
    }

    void attachMouse(int64_t handle = kMouse, uint64_t deviceID = 7) {
        declare(control, simDevice(handle, MTDeviceInfo::kMagicMouseFamily, deviceID));
    }
    // Delivers one frame of the mouse at `uptime`; returns the callbacks called.
    int frame(double uptime, std::vector<MTSimContact> contacts, int64_t handle = kMouse) {
        platform.clock->set(uptime);
        return control.deliverFrame(handle, contacts.data(), static_cast<int32_t>(contacts.size()),
                                    uptime);
    }
    AppState& state() { return AppStateTestAccess::fresh(); }
    std::filesystem::path statusFile() const { return data / "Tavix" / "status.json"; }

    TempDirectory home;
    ScopedEnvironment xdgData{"XDG_DATA_HOME", (home.path() / "data").c_str()};
    ScopedEnvironment xdgConfig{"XDG_CONFIG_HOME", (home.path() / "config").c_str()};
    std::filesystem::path config;
    std::filesystem::path data;
    platform::SimulatedPlatform platform;
    std::shared_ptr<platform::InMemoryPreferenceStore> store =
        std::make_shared<platform::InMemoryPreferenceStore>();
    platform::mt::SimControl control{};

  private:
    std::shared_ptr<platform::PreferenceStore> previousStore_;
};

}  // namespace testing
}  // namespace tavix

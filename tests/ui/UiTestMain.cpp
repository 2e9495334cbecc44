#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <memory>

#include "Tavix/ui/AnimationClock.h"
#include "tests/ui/UiTest.h"

namespace tavix::ui::test {

platform::VirtualClock& clock() {
    static auto& c = *[] {
        auto shared = std::make_shared<platform::VirtualClock>(100.0);
        installAnimationClock(shared);
        return new std::shared_ptr<platform::VirtualClock>(shared);
    }();
    return *c;
}

}  // namespace tavix::ui::test

int main(int argc, char** argv) {
    // Nothing reaches a display or the user's own configuration and caches.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        qputenv(var, home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qunsetenv("LANGUAGE");
    qputenv("LC_ALL", "C.UTF-8");

    QApplication app(argc, argv);
    // One look for the images wherever the tests run.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    tavix::ui::test::clock();

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

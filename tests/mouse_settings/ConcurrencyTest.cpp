#include <barrier>
#include <thread>
#include <vector>

#include "Tavix/mouse_settings/MouseSettings.h"
#include "tests/mouse_settings/PreferencesFixture.h"

namespace tavix {
namespace {

class MouseSettingsConcurrencyTest : public testing::PreferencesFixture {};

// The first writes of the process race to create the HID client and find the framework.
TEST_F(MouseSettingsConcurrencyTest, SimultaneousFirstUseCreatesOneClient) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 20;
    std::barrier start(kThreads);
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&start, t] {
            start.arrive_and_wait();
            for (int i = 0; i < kRounds; ++i) {
                MouseSettings::setMissionControlTap(t % 2 == 0);
                MouseSettings::setNaturalScroll(true);
            }
        });
    }
    threads.clear();
    EXPECT_EQ(hid().clientsCreated(), 1);
    EXPECT_EQ(hid().properties().size(), std::size_t{kThreads * kRounds});
    EXPECT_EQ(center->posted().size(), std::size_t{kThreads * kRounds});
}

}  // namespace
}  // namespace tavix

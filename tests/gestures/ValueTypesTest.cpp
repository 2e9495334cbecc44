#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/EventMarker.h"
#include "Tavix/events/GesturePhase.h"
#include "Tavix/gestures/GestureConfig.h"
#include "Tavix/gestures/LiveStatus.h"

namespace tavix {
namespace {

using ::testing::ElementsAre;

TEST(GestureConfig, DefaultsMatchTheMemberwiseForm) {
    const GestureConfig defaults;
    const GestureConfig memberwise{true, true,
                                   0.2,  1.5,
                                   0.5,  true,
                                   0.3,  2.5,
                                   true, 0.84,
                                   4.0,  PinchAction::apps,
                                   true, ZoomMode::native,
                                   4.0,  1.6};
    EXPECT_EQ(defaults, memberwise);
    EXPECT_EQ(defaults, GestureConfig{});
}

TEST(PinchAction, RawValuesTitlesAndOrder) {
    std::vector<std::string_view> raw, titles;
    for (PinchAction a : PinchAction::allCases()) {
        raw.push_back(a.rawValue());
        titles.push_back(a.title());
        EXPECT_EQ(a.id(), a.rawValue());
        EXPECT_EQ(PinchAction::fromRawValue(a.rawValue()), a);
    }
    EXPECT_THAT(raw, ElementsAre("apps", "missionControl", "spotlight", "showDesktop"));
    EXPECT_THAT(titles, ElementsAre("应用程序索引", "调度中心", "聚焦搜索", "显示桌面"));
    for (const char* other : {"Apps", "showdesktop", "", "launchpad"}) {
        EXPECT_EQ(PinchAction::fromRawValue(other), std::nullopt) << other;
    }
}

TEST(ZoomMode, RawValuesTitlesAndOrder) {
    EXPECT_THAT(ZoomMode::allCases(), ElementsAre(ZoomMode::native, ZoomMode::keyboard));
    EXPECT_EQ(ZoomMode(ZoomMode::native).title(), "原生捏合（平滑）");
    EXPECT_EQ(ZoomMode(ZoomMode::keyboard).title(), "快捷键 \u2318+ / \u2318\u2212");
    EXPECT_EQ(ZoomMode::fromRawValue("keyboard"), ZoomMode::keyboard);
    EXPECT_EQ(ZoomMode::fromRawValue("Native"), std::nullopt);
}

TEST(LiveStatus, StartsEmptyInTheDistantPast) {
    const LiveStatus status;
    EXPECT_EQ(status.fingers, 0);
    EXPECT_EQ(status.lastGesture, "\u2014");
    EXPECT_LT(status.lastGestureTime, platform::WallTime{});
}

TEST(GesturePhase, OnlyTheFourCodesExist) {
    EXPECT_EQ(gesturePhaseFromRawValue(8), GesturePhase::cancelled);
    EXPECT_EQ(gesturePhaseFromRawValue(1), GesturePhase::began);
    for (int64_t raw : {0, 3, 5, 6, 7, 9, 16, -1}) {
        EXPECT_EQ(gesturePhaseFromRawValue(raw), std::nullopt) << raw;
    }
    EXPECT_EQ(kTavixEventMarker, ('T' << 24) | ('A' << 16) | ('V' << 8) | 'I');
}

}  // namespace
}  // namespace tavix

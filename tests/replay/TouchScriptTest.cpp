#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/replay/TouchScript.h"

namespace tavix::replay {
namespace {

using ::testing::HasSubstr;

TEST(TouchScript, ReadsEveryKindOfLine) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(parseLine("").line));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(parseLine("   # note").line));

    const auto device = std::get<line::Device>(
        parseLine(R"({"device": {"handle": 2, "family": 113, "deviceID": 18446744073709551615,
                     "widthMM": 50.004, "heightMM": 90, "builtIn": true, "attached": false}})")
            .line);
    EXPECT_EQ(device.handle, 2);
    EXPECT_EQ(device.deviceID, UINT64_MAX);
    EXPECT_EQ(device.width, 5000);  // hundredths, rounded
    EXPECT_EQ(device.height, 9000);
    EXPECT_TRUE(device.builtIn);
    EXPECT_FALSE(device.attached);
    EXPECT_TRUE(std::get<line::Device>(parseLine(R"({"device": {"handle": 1}})").line).attached);

    const auto timed =
        std::get<line::Timed>(parseLine(R"({"t": 1.5, "frame": {"device": null, "contacts": [
                     {"id": -3, "state": 4, "x": 0.5, "y": 1}]}})")
                                  .line);
    EXPECT_EQ(timed.t, 1.5);
    const auto& frame = std::get<line::Frame>(timed.action);
    EXPECT_EQ(frame.device, std::nullopt);
    ASSERT_EQ(frame.contacts.size(), 1u);
    EXPECT_EQ(frame.contacts[0].id, -3);

    const auto input = std::get<line::Input>(
        std::get<line::Timed>(parseLine(R"({"t": 2, "input": "scrollWheel", "marker": true})").line)
            .action);
    EXPECT_EQ(input.type, platform::EventType::scrollWheel);
    EXPECT_TRUE(input.marker);
}

TEST(TouchScript, ConfigReplacesOnlyTheNamedFields) {
    const auto parsed = parseLine(
        R"({"t": 0, "config": {"zoomMode": "keyboard", "zoomGain": 2, "tapEnabled": false,
            "pinch3Action": "showDesktop"}})");
    ASSERT_EQ(parsed.error, "");
    GestureConfig config;
    config.oneTapMaxDuration = 0.4;
    applyConfig(std::get<line::Config>(std::get<line::Timed>(parsed.line).action), config);
    EXPECT_EQ(config.zoomMode, ZoomMode::keyboard);
    EXPECT_EQ(config.zoomGain, 2.0);
    EXPECT_FALSE(config.tapEnabled);
    EXPECT_EQ(config.pinch3Action, PinchAction::showDesktop);
    EXPECT_EQ(config.oneTapMaxDuration, 0.4);
}

// Every kind of malformed line is refused with a message that says what is wrong.
TEST(TouchScript, RefusesMalformedLinesWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"{\"t\": 1, \"frame\": ", "not JSON"},
        {"[1, 2]", "JSON object"},
        {R"({"t": 1})", "needs one of"},
        {R"({"t": 1, "rescan": true, "poll": true})", "one action"},
        {R"({"t": 1, "rescan": true, "extra": 3})", "unknown member \"extra\""},
        {R"({"t": "1", "rescan": true})", "\"t\" must be a number"},
        {R"({"t": -1, "rescan": true})", "must not be negative"},
        {R"({"t": 1, "frame": {"device": 1, "contacts": [{"id": 1.5, "state": 4, "x": 0, "y": 0}]}})",
         "must be an integer"},
        {R"({"t": 1, "frame": {"device": 1, "contacts": [{"id": 1, "state": 4, "x": 0}]}})",
         "missing \"y\""},
        {R"({"t": 1, "frame": {"device": 0, "contacts": []}})", "1 or more"},
        {R"({"t": 1, "frame": {"device": 1, "contacts": [{"id": 4294967296, "state": 4, "x": 0, "y": 0}]}})",
         "too large"},
        {R"({"t": 1, "cursor": [1]})", "[x, y]"},
        {R"({"t": 1, "input": "doubleTap"})", "unknown input"},
        {R"({"t": 1, "input": "magnify", "marker": 1})", "true or false"},
        {R"({"t": 1, "config": {"zoomGain": "high"}})", "must be a number"},
        {R"({"t": 1, "config": {"zoomMode": "Native"}})", "unknown zoomMode"},
        {R"({"t": 1, "config": {"speed": 1}})", "unknown config field"},
        {R"({"t": 1, "exists": "/a"})", "array of paths"},
        {R"({"t": 1, "dryRun": "yes"})", "true or false"},
        {R"({"device": {"handle": 1, "colour": "white"}})", "unknown member \"colour\""},
        {R"({"device": {"family": 112}})", "missing \"handle\""},
        {R"({"device": {"handle": 1, "widthMM": -5}})", "must not be negative"},
        {R"({"device": {"handle": 1}, "t": 1})", "unknown member \"t\""},
    };
    for (const auto& [text, reason] : cases) {
        const auto parsed = parseLine(text);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(parsed.line)) << text;
        EXPECT_THAT(parsed.error, HasSubstr(reason)) << text;
    }
}

}  // namespace
}  // namespace tavix::replay

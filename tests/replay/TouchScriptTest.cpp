#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <sstream>

#include "platform/sim/VirtualClock.h"
#include "replay/EventLog.h"
#include "replay/TouchScript.h"

namespace tavix::replay {
namespace {

using ::testing::HasSubstr;
using namespace std::string_view_literals;

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
    const std::pair<std::string_view, const char*> cases[] = {
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
        {R"({"t": 1, "mouse": {"smartZoom": 1}})", "true or false"},
        {R"({"t": 1, "mouse": {"naturalScroll": true}})", "unknown mouse setting"},
        {R"({"t": 1, "mouse": true})", "must be an object"},
        {R"({"device": {"handle": 1, "colour": "white"}})", "unknown member \"colour\""},
        {R"({"device": {"family": 112}})", "missing \"handle\""},
        {R"({"device": {"handle": 1, "widthMM": -5}})", "must not be negative"},
        {R"({"device": {"handle": 1}, "t": 1})", "unknown member \"t\""},
        {R"({"t": 1000000000.000001, "rescan": true})", "must not exceed 1e9"},
        {R"({"t": 1e41, "rescan": true})", "must not exceed 1e9"},
        // The JSON reader would stop at the NUL and accept the line.
        {"{\"t\": 1, \"rescan\": true}\0 garbage"sv, "a NUL byte at column 25"},
        {"# a comment\0"sv, "a NUL byte"},
    };
    for (const auto& [text, reason] : cases) {
        const auto parsed = parseLine(text);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(parsed.line)) << text;
        EXPECT_THAT(parsed.error, HasSubstr(reason)) << text;
    }
    EXPECT_EQ(parseLine(R"({"t": 1e9, "rescan": true})").error, "");
}

// What a message echoes of a line cannot drive the terminal and stays short, however long the
// token; every escape is unambiguous.
TEST(TouchScript, MessagesEchoScriptTextEscapedAndShort) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"t": 1, "input": "\u001b]0;owned\u0007\u009b2J"})",
         R"(unknown input "\u001b]0;owned\u0007\u009b2J")"},
        {R"({"t": 1, "config": {"a\"b\\n\nc": 1}})", R"(unknown config field "a\"b\\n\nc")"},
        {R"({"t": 1, "rescan": true, "\u202e\u0000": 1})", R"(unknown member "\u202e\u0000")"},
        {R"({"t": 1, "config": {"zoomMode": "€)" + std::string(100, 'x') + "\"}}",
         "unknown zoomMode \"€" + std::string(39, 'x') + "\"… (103 bytes in all)"},
        {"{\"t\": 1, \"input\": nul\xff}", R"(last read: '"input": nul\xff')"},
        {R"({"t": 1, "input": ")" + std::string(1'000'000, 'a'), "aaaa… (1000104 bytes in all))"},
    };
    for (const auto& [text, message] : cases) {
        const std::string error = parseLine(text).error;
        EXPECT_THAT(error, HasSubstr(message)) << error;
        EXPECT_LT(error.size(), 300u);
    }
}

// Times up to the bound keep their microseconds in the log and in the wall clock; the log never
// shows stack bytes or a number JSON does not have, whatever it is given.
TEST(EventLog, WritesTimesToTheMicrosecondAndOnlyJsonNumbers) {
    std::ostringstream out;
    EventLog log(out);
    for (const double t : {0.0, 1.1, 1.2345674, kMaxTime - 1e-6, kMaxTime, 1e41, 1e303}) {
        log.mouseIDsChanged(t, true);
    }
    platform::Event event;
    event.setType(platform::EventType::gesture);
    event.setDoubleValue(platform::EventField::gestureZoomValue, INFINITY);
    log.posted(2, platform::EventTapLocation::session, event);
    event.setType(platform::EventType::leftMouseDown);
    event.setLocation({NAN, -1e308});
    log.posted(2, platform::EventTapLocation::hid, event);
    ASSERT_EQ(log.flush(), 0);

    std::vector<std::string> times;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(object.is_object()) << line;
        times.push_back(line.substr(5, line.find(',') - 5));
    }
    EXPECT_EQ(times, (std::vector<std::string>{"0.0", "1.1", "1.234567", "999999999.999999",
                                               "1000000000.0", "1e+41", "1e+303", "2.0", "2.0"}));
    EXPECT_THAT(out.str(), HasSubstr(R"("magnification":null)"));
    EXPECT_THAT(out.str(), HasSubstr(R"("x":null,"y":-1e+308)"));

    const auto epoch = platform::WallTime{platform::VirtualClock::kEpoch};
    EXPECT_EQ(platform::VirtualClock(kMaxTime - 1e-6).wallNow() - epoch,
              std::chrono::microseconds(999'999'999'999'999));
    // Far beyond, the wall clock holds still rather than wrapping into the past.
    EXPECT_GT(platform::VirtualClock(1e300).wallNow(), epoch);
}

}  // namespace
}  // namespace tavix::replay

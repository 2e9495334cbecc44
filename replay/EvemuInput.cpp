#include "replay/EvemuInput.h"

#include <linux/input-event-codes.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/linux/input/MultitouchDecoder.h"
#include "replay/ScriptWriter.h"

namespace tavix::replay {

using namespace platform::input;

namespace {

// Where the recording's first event plays.
constexpr double kStartS = 1.0;
// The longest recording a touch script can play from there.
constexpr double kMaxSpanS = 1e9 - kStartS;

std::size_t lineOf(std::istream& in, std::string_view prefix) {
    in.clear();
    in.seekg(0);
    std::string text;
    for (std::size_t number = 1; std::getline(in, text); ++number) {
        if (std::string_view(text).starts_with(prefix)) return number;
    }
    return 1;
}

std::string seconds(double t) {
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, t, std::chars_format::fixed, 6);
    return {text, result.ec == std::errc() ? result.ptr : text};
}

}  // namespace

std::optional<std::string> evemuScript(LineReader& in, EvemuProblem& problem) {
    std::string whole;
    while (const auto line = in.next()) {
        whole += *line;
        whole += '\n';
    }
    if (in.error() != 0) {
        problem = {0, "cannot read " + in.name() + ": " + std::strerror(in.error())};
        return std::nullopt;
    }
    std::istringstream source(whole);
    auto recording = parseEvemu(source, problem);
    if (!recording) {
        problem.what = "line " + std::to_string(problem.line) + ": " + problem.what;
        return std::nullopt;
    }

    const auto model = magicMouseModel(recording->vendor, recording->product);
    if (!model) {
        char ids[64];
        (void)std::snprintf(ids, sizeof ids, "not a Magic Mouse (vendor %04x, product %04x)",
                      recording->vendor, recording->product);
        const std::size_t line = lineOf(source, "I:");
        problem = {line, "line " + std::to_string(line) + ": " + ids};
        return std::nullopt;
    }
    const AxisRange x = recording->axis(ABS_MT_POSITION_X);
    const AxisRange y = recording->axis(ABS_MT_POSITION_Y);
    if (!x.valid() || !y.valid()) {
        const std::size_t line = lineOf(source, "A:");
        problem = {line, "line " + std::to_string(line) +
                             ": no usable ABS_MT_POSITION_X and _Y axes (A: 35, A: 36)"};
        return std::nullopt;
    }

    std::ostringstream script;
    ScriptWriter writer(script);
    writer.device(1, *model, 1);
    MultitouchDecoder decoder(model->geometry, x, y);
    const double first = recording->events.empty() ? 0 : recording->events.front().event.time;
    double previous = first;
    for (const auto& e : recording->events) {
        auto fail = [&](const std::string& why) {
            problem = {e.line, "line " + std::to_string(e.line) + ": " + why};
        };
        if (e.event.time < previous) {
            fail("time " + seconds(e.event.time) + " is before the previous event's (" +
                 seconds(previous) + ")");
            return std::nullopt;
        }
        if (e.event.time - first > kMaxSpanS) {
            fail("time " + seconds(e.event.time) +
                 " is more than 1e9 seconds after the first event");
            return std::nullopt;
        }
        previous = e.event.time;
        if (!decoder.feed(e.event)) continue;
        writer.report(1, kStartS + (e.event.time - first), decoder.frame());
    }
    return script.str();
}

}  // namespace tavix::replay

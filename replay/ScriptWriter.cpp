#include "replay/ScriptWriter.h"

#include <linux/input-event-codes.h>

#include <charconv>
#include <string_view>

namespace tavix::replay {
namespace {

template <class Number>
std::string text(Number value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

const char* pressName(uint16_t code) {
    if (code == BTN_LEFT) return "leftMouseDown";
    if (code == BTN_RIGHT) return "rightMouseDown";
    return "otherMouseDown";
}

}  // namespace

void ScriptWriter::line(double t, const std::string& body) {
    char time[40];
    auto written = std::to_chars(time, time + sizeof time, t, std::chars_format::fixed, 6);
    if (written.ec != std::errc()) written = std::to_chars(time, time + sizeof time, t);
    out_ << "{\"t\": " << std::string_view(time, written.ptr) << ", " << body << "}\n";
}

void ScriptWriter::device(int64_t handle, const platform::input::MagicMouseModel& model,
                          uint64_t deviceID) {
    out_ << "{\"device\": {\"handle\": " << handle << ", \"family\": " << model.family
         << ", \"deviceID\": " << deviceID
         << ", \"widthMM\": " << text(model.geometry.width / 100.0)
         << ", \"heightMM\": " << text(model.geometry.height / 100.0) << "}}\n";
}

void ScriptWriter::report(int64_t handle, double t, const platform::input::DecodedFrame& frame) {
    if (frame.touches) {
        std::string body = "\"frame\": {\"device\": " + text(handle) + ", \"contacts\": [";
        for (std::size_t i = 0; i < frame.contacts.size(); ++i) {
            const MTContact& c = frame.contacts[i];
            if (i) body += ", ";
            body += "{\"id\": " + text(c.identifier) + ", \"state\": " + text(c.state) +
                    ", \"x\": " + text(c.normalized.position.x) +
                    ", \"y\": " + text(c.normalized.position.y) + "}";
        }
        line(t, body + "]}");
    }
    bool moved = false;
    bool scrolled = false;
    for (const auto& e : frame.pointer) {
        if (e.type != EV_REL) continue;
        if (e.code == REL_X || e.code == REL_Y) {
            (e.code == REL_X ? pointer_.x : pointer_.y) += e.value;
            moved = true;
        }
        scrolled = scrolled || e.code == REL_WHEEL || e.code == REL_HWHEEL ||
                   e.code == REL_WHEEL_HI_RES || e.code == REL_HWHEEL_HI_RES;
    }
    if (moved) line(t, "\"cursor\": [" + text(pointer_.x) + ", " + text(pointer_.y) + "]");
    for (const auto& e : frame.pointer) {
        if (e.type != EV_KEY ||
            (e.code != BTN_LEFT && e.code != BTN_RIGHT && e.code != BTN_MIDDLE)) {
            continue;
        }
        // A script names only the left button's release: the others are not in the tap's mask.
        if (e.value == 1) {
            line(t, std::string("\"input\": \"") + pressName(e.code) + "\"");
        } else if (e.value == 0 && e.code == BTN_LEFT) {
            line(t, "\"input\": \"leftMouseUp\"");
        }
    }
    if (scrolled) line(t, "\"input\": \"scrollWheel\"");
}

}  // namespace tavix::replay

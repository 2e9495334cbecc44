#include "replay/EventLog.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tavix::replay {
namespace {

using platform::EventField;

// The shortest text that reads back as the same double; JSON has no infinity or NaN, so those
// are null.
void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];  // the longest shortest form, "-2.2250738585072014e-308", has 24
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendInteger(std::string& out, int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Seconds rounded to the microsecond, with at least one decimal: 1.0, 1.1, 1.234567. A time whose
// microsecond count would leave 64 bits (a script cannot reach one) is written as it is.
void appendTime(std::string& out, double t) {
    if (!(std::fabs(t) < 9e12)) {
        appendNumber(out, t);
        return;
    }
    const int64_t micros = std::llround(std::fabs(t) * 1e6);
    if (t < 0 && micros != 0) out += '-';
    appendInteger(out, micros / 1'000'000);
    out += '.';
    char fraction[6];
    int64_t rest = micros % 1'000'000;
    for (int i = 5; i >= 0; --i, rest /= 10) fraction[i] = static_cast<char>('0' + rest % 10);
    std::size_t digits = 6;
    while (digits > 1 && fraction[digits - 1] == '0') --digits;
    out.append(fraction, digits);
}

void appendString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    (void)std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void appendBool(std::string& out, bool value) {
    out += value ? "true" : "false";
}

}  // namespace

void EventLog::begin(double t) {
    line_.assign("{\"t\":");
    appendTime(line_, t);
}

void EventLog::end() {
    line_ += "}\n";
    if (error_ != 0) return;
    errno = 0;
    out_ << line_;
    noteFailure();
}

int EventLog::flush() {
    if (error_ != 0) return error_;
    errno = 0;
    out_.flush();
    noteFailure();
    return error_;
}

// The stream's failed write is the last call that set errno; the first failure is the one told.
void EventLog::noteFailure() {
    if (!out_) error_ = errno != 0 ? errno : EIO;
}

void EventLog::posted(double t, platform::EventTapLocation location, const platform::Event& event) {
    begin(t);
    line_ +=
        location == platform::EventTapLocation::hid ? ",\"post\":\"hid\"" : ",\"post\":\"session\"";
    line_ += ",\"type\":";
    appendInteger(line_, static_cast<int64_t>(event.type()));
    if (platform::isMouseEventType(event.type())) {
        line_ += ",\"x\":";
        appendNumber(line_, event.location().x);
        line_ += ",\"y\":";
        appendNumber(line_, event.location().y);
        line_ += ",\"button\":";
        appendInteger(line_, event.integerValue(EventField::mouseEventButtonNumber));
        line_ += ",\"clickState\":";
        appendInteger(line_, event.integerValue(EventField::mouseEventClickState));
    } else if (platform::isKeyEventType(event.type())) {
        line_ += ",\"key\":";
        appendInteger(line_, event.integerValue(EventField::keyboardEventKeycode));
        line_ += ",\"flags\":";
        appendInteger(line_, static_cast<int64_t>(event.flags()));
    } else if (event.type() == platform::EventType::gesture) {
        line_ += ",\"gesture\":";
        appendInteger(line_, event.integerValue(EventField::gestureHIDType));
        line_ += ",\"phase\":";
        appendInteger(line_, event.integerValue(EventField::gesturePhase));
        line_ += ",\"magnification\":";
        appendNumber(line_, event.doubleValue(EventField::gestureZoomValue));
    }
    line_ += ",\"marker\":";
    appendInteger(line_, event.integerValue(EventField::eventSourceUserData));
    end();
}

void EventLog::status(double t, const LiveStatus& status) {
    begin(t);
    line_ += ",\"status\":{\"fingers\":";
    appendInteger(line_, status.fingers);
    line_ += ",\"lastGesture\":";
    appendString(line_, status.lastGesture);
    line_ += '}';
    end();
}

void EventLog::system(double t, SystemGesture gesture, SystemDirection direction) {
    begin(t);
    line_ += ",\"system\":";
    appendString(line_, systemGestureName(gesture));
    if (direction != SystemDirection::none) {
        line_ += ",\"direction\":";
        appendString(line_, systemDirectionName(direction));
    }
    end();
}

void EventLog::opened(double t, const std::string& path, const std::vector<std::string>& args) {
    begin(t);
    line_ += ",\"open\":";
    appendString(line_, path);
    line_ += ",\"args\":[";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) line_ += ',';
        appendString(line_, args[i]);
    }
    line_ += ']';
    end();
}

void EventLog::input(double t, std::string_view name, bool passed) {
    begin(t);
    line_ += ",\"input\":";
    appendString(line_, name);
    line_ += passed ? ",\"verdict\":\"passed\"" : ",\"verdict\":\"dropped\"";
    end();
}

void EventLog::notification(double t, std::string_view name) {
    begin(t);
    line_ += ",\"notification\":";
    appendString(line_, name);
    end();
}

void EventLog::rescan(double t, const std::vector<RescanEntry>& devices) {
    begin(t);
    line_ += ",\"rescan\":[";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (i) line_ += ',';
        line_ += "{\"handle\":";
        appendInteger(line_, devices[i].handle);
        line_ += ",\"magicMouse\":";
        appendBool(line_, devices[i].magicMouse);
        line_ += ",\"started\":";
        appendBool(line_, devices[i].started);
        line_ += '}';
    }
    line_ += ']';
    end();
}

void EventLog::mouseIDsChanged(double t, bool changed) {
    begin(t);
    line_ += ",\"mouseIDsChanged\":";
    appendBool(line_, changed);
    end();
}

}  // namespace tavix::replay

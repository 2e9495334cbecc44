#include "replay/TouchScript.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <limits>

#include "replay/Quote.h"

namespace tavix::replay {
namespace {

using nlohmann::json;
using platform::EventType;

// The physical events a script can send into the event tap.
constexpr std::array<std::pair<std::string_view, EventType>, 8> kInputs{{
    {"leftMouseDown", EventType::leftMouseDown},
    {"leftMouseUp", EventType::leftMouseUp},
    {"rightMouseDown", EventType::rightMouseDown},
    {"otherMouseDown", EventType::otherMouseDown},
    {"scrollWheel", EventType::scrollWheel},
    {"magnify", EventType::magnify},
    {"gesture", EventType::gesture},
    {"tapDisabledByTimeout", EventType::tapDisabledByTimeout},
}};

// A problem found in a line; caught once, in parseLine.
struct Problem {
    std::string what;
};

[[noreturn]] void fail(std::string what) {
    throw Problem{std::move(what)};
}

const json& member(const json& object, const char* name) {
    const auto found = object.find(name);
    if (found == object.end()) fail(std::string("missing \"") + name + "\"");
    return *found;
}

template <class Int>
Int integer(const json& value, const std::string& what) {
    if (!value.is_number_integer()) fail(what + " must be an integer");
    if (value.is_number_unsigned()) {
        const auto v = value.get<uint64_t>();
        if (v > static_cast<uint64_t>(std::numeric_limits<Int>::max()))
            fail(what + " is too large");
        return static_cast<Int>(v);
    }
    const auto v = value.get<int64_t>();
    if constexpr (std::is_unsigned_v<Int>) {
        if (v < 0) fail(what + " must not be negative");
    } else {
        if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max()) {
            fail(what + " is out of range");
        }
    }
    return static_cast<Int>(v);
}

double number(const json& value, const std::string& what) {
    if (!value.is_number()) fail(what + " must be a number");
    const double v = value.get<double>();
    if (!std::isfinite(v)) fail(what + " must be finite");
    return v;
}

bool boolean(const json& value, const std::string& what) {
    if (!value.is_boolean()) fail(what + " must be true or false");
    return value.get<bool>();
}

// `what` is a view: a temporary std::string argument would make every bound result look
// dangling to GCC 14.
const std::string& string(const json& value, std::string_view what) {
    if (!value.is_string()) fail(std::string(what) + " must be a string");
    return value.get_ref<const std::string&>();
}

int64_t handle(const json& value, const std::string& what) {
    const auto h = integer<int64_t>(value, what);
    if (h < 1) fail(what + " must be 1 or more");
    return h;
}

void onlyMembers(const json& object, std::initializer_list<const char*> allowed,
                 const std::string& where) {
    for (const auto& [key, value] : object.items()) {
        bool known = false;
        for (const char* name : allowed) known = known || key == name;
        if (!known) fail("unknown member " + quote(key) + where);
    }
}

int32_t hundredths(const json& value, const std::string& what) {
    const double mm = number(value, what);
    if (mm < 0) fail(what + " must not be negative");
    const double h = std::round(mm * 100);
    if (h > std::numeric_limits<int32_t>::max()) fail(what + " is too large");
    return static_cast<int32_t>(h);
}

line::Device device(const json& d) {
    if (!d.is_object()) fail("\"device\" must be an object");
    onlyMembers(d, {"handle", "family", "deviceID", "widthMM", "heightMM", "builtIn", "attached"},
                " in \"device\"");
    line::Device out;
    out.handle = handle(member(d, "handle"), "\"handle\"");
    if (d.contains("family")) out.family = integer<int32_t>(d["family"], "\"family\"");
    if (d.contains("deviceID")) out.deviceID = integer<uint64_t>(d["deviceID"], "\"deviceID\"");
    if (d.contains("widthMM")) out.width = hundredths(d["widthMM"], "\"widthMM\"");
    if (d.contains("heightMM")) out.height = hundredths(d["heightMM"], "\"heightMM\"");
    if (d.contains("builtIn")) out.builtIn = boolean(d["builtIn"], "\"builtIn\"");
    if (d.contains("attached")) out.attached = boolean(d["attached"], "\"attached\"");
    return out;
}

line::Frame frame(const json& f) {
    if (!f.is_object()) fail("\"frame\" must be an object");
    onlyMembers(f, {"device", "contacts"}, " in \"frame\"");
    line::Frame out;
    const json& d = member(f, "device");
    if (!d.is_null()) out.device = handle(d, "\"device\"");
    const json& contacts = member(f, "contacts");
    if (!contacts.is_array()) fail("\"contacts\" must be an array");
    for (const json& c : contacts) {
        if (!c.is_object()) fail("each contact must be an object");
        onlyMembers(c, {"id", "state", "x", "y"}, " in a contact");
        out.contacts.push_back({
            .id = integer<int32_t>(member(c, "id"), "contact \"id\""),
            .state = integer<int32_t>(member(c, "state"), "contact \"state\""),
            .x = static_cast<float>(number(member(c, "x"), "contact \"x\"")),
            .y = static_cast<float>(number(member(c, "y"), "contact \"y\"")),
        });
    }
    return out;
}

line::Input input(const json& value, const json& object) {
    const std::string& name = string(value, "\"input\"");
    for (const auto& [known, type] : kInputs) {
        if (name != known) continue;
        const bool marker = object.contains("marker") && boolean(object["marker"], "\"marker\"");
        return {name, type, marker};
    }
    fail("unknown input " + quote(name));
}

struct BoolField {
    std::string_view name;
    bool GestureConfig::*member;
};
struct DoubleField {
    std::string_view name;
    double GestureConfig::*member;
};
constexpr BoolField kBoolFields[] = {
    {"enabled", &GestureConfig::enabled},         {"oneTapEnabled", &GestureConfig::oneTapEnabled},
    {"tapEnabled", &GestureConfig::tapEnabled},   {"pinch3Enabled", &GestureConfig::pinch3Enabled},
    {"zoomEnabled", &GestureConfig::zoomEnabled},
};
constexpr DoubleField kDoubleFields[] = {
    {"oneTapMaxDuration", &GestureConfig::oneTapMaxDuration},
    {"oneTapMaxMoveMM", &GestureConfig::oneTapMaxMoveMM},
    {"doubleClickInterval", &GestureConfig::doubleClickInterval},
    {"tapMaxDuration", &GestureConfig::tapMaxDuration},
    {"tapMaxMoveMM", &GestureConfig::tapMaxMoveMM},
    {"pinch3Ratio", &GestureConfig::pinch3Ratio},
    {"pinch3ShrinkMM", &GestureConfig::pinch3ShrinkMM},
    {"zoomStartMM", &GestureConfig::zoomStartMM},
    {"zoomGain", &GestureConfig::zoomGain},
};

line::Config config(const json& c) {
    if (!c.is_object()) fail("\"config\" must be an object");
    line::Config out;
    for (const auto& item : c.items()) {
        const std::string& key = item.key();
        const json& value = item.value();
        const std::string what = "config " + quote(key);
        line::Config::Field field{key, false};
        if (key == "pinch3Action") {
            const auto action = PinchAction::fromRawValue(string(value, what));
            if (!action) fail("unknown pinch3Action " + quote(value.get_ref<const std::string&>()));
            field.value = *action;
        } else if (key == "zoomMode") {
            const auto mode = ZoomMode::fromRawValue(string(value, what));
            if (!mode) fail("unknown zoomMode " + quote(value.get_ref<const std::string&>()));
            field.value = *mode;
        } else if (std::any_of(std::begin(kBoolFields), std::end(kBoolFields),
                               [&](const BoolField& f) { return f.name == key; })) {
            field.value = boolean(value, what);
        } else if (std::any_of(std::begin(kDoubleFields), std::end(kDoubleFields),
                               [&](const DoubleField& f) { return f.name == key; })) {
            field.value = number(value, what);
        } else {
            fail("unknown config field " + quote(key));
        }
        out.fields.push_back(std::move(field));
    }
    return out;
}

line::Mouse mouse(const json& m) {
    if (!m.is_object()) fail("\"mouse\" must be an object");
    line::Mouse out;
    const std::pair<const char*, std::optional<bool> line::Mouse::*> switches[] = {
        {"pageSwipe", &line::Mouse::pageSwipe},
        {"fullscreenSwipe", &line::Mouse::fullscreenSwipe},
        {"missionControlTap", &line::Mouse::missionControlTap},
        {"smartZoom", &line::Mouse::smartZoom},
    };
    for (const auto& item : m.items()) {
        const auto* known = std::find_if(std::begin(switches), std::end(switches),
                                         [&](const auto& s) { return item.key() == s.first; });
        if (known == std::end(switches)) fail("unknown mouse setting " + quote(item.key()));
        out.*known->second = boolean(item.value(), "mouse " + quote(item.key()));
    }
    return out;
}

line::Action action(const json& object) {
    static constexpr const char* kActions[] = {"frame",  "cursor", "input",  "config",
                                               "attach", "detach", "rescan", "poll",
                                               "exists", "dryRun", "mouse"};
    const char* chosen = nullptr;
    for (const char* name : kActions) {
        if (!object.contains(name)) continue;
        if (chosen)
            fail(std::string("a timed line has one action, not both \"") + chosen + "\" and \"" +
                 name + "\"");
        chosen = name;
    }
    if (!chosen)
        fail(
            "a timed line needs one of frame, cursor, input, config, attach, detach, "
            "rescan, poll, exists, dryRun, mouse");
    const std::string name = chosen;
    if (name == "input") {
        onlyMembers(object, {"t", "input", "marker"}, "");
    } else {
        onlyMembers(object, {"t", chosen}, "");
    }
    const json& value = object[name];
    if (name == "frame") return frame(value);
    if (name == "cursor") {
        if (!value.is_array() || value.size() != 2) fail("\"cursor\" must be [x, y]");
        return line::Cursor{{number(value[0], "cursor x"), number(value[1], "cursor y")}};
    }
    if (name == "input") return input(value, object);
    if (name == "config") return config(value);
    if (name == "attach") return line::Attach{handle(value, "\"attach\"")};
    if (name == "detach") return line::Detach{handle(value, "\"detach\"")};
    if (name == "rescan") {
        if (!boolean(value, "\"rescan\"")) fail("\"rescan\" must be true");
        return line::Rescan{};
    }
    if (name == "poll") {
        if (!boolean(value, "\"poll\"")) fail("\"poll\" must be true");
        return line::Poll{};
    }
    if (name == "exists") {
        if (!value.is_array()) fail("\"exists\" must be an array of paths");
        line::Exists out;
        for (const json& path : value) out.paths.insert(string(path, "each path"));
        return out;
    }
    if (name == "mouse") return mouse(value);
    return line::DryRun{boolean(value, "\"dryRun\"")};
}

}  // namespace

std::string_view inputName(platform::EventType type) {
    for (const auto& [name, known] : kInputs) {
        if (known == type) return name;
    }
    return "other";
}

Parsed parseLine(std::string_view text) {
    try {
        // The JSON reader would stop at a NUL and take the line for whole.
        if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
            fail("a NUL byte at column " + std::to_string(nul + 1));
        }
        const auto first = text.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || text[first] == '#') return {};
        json object;
        try {
            object = json::parse(text);
        } catch (const json::parse_error& e) {
            // Past the exception's id the reason, which quotes what was last read.
            const std::string_view reason = e.what();
            const auto column = reason.find("column ");
            fail("not JSON (" + printable(reason.substr(column == reason.npos ? 0 : column), 160) +
                 ")");
        }
        if (!object.is_object()) fail("a line must be a JSON object");
        if (object.contains("device")) {
            onlyMembers(object, {"device"}, "");
            return {device(object["device"]), {}};
        }
        if (!object.contains("t")) fail("a line is a device declaration or carries \"t\"");
        const double t = number(object["t"], "\"t\"");
        if (t < 0) fail("\"t\" must not be negative");
        if (t > kMaxTime) fail("\"t\" must not exceed 1e9 seconds");
        return {line::Timed{t, action(object)}, {}};
    } catch (const Problem& problem) {
        return {{}, problem.what};
    } catch (const json::exception& e) {
        return {{}, printable(e.what(), 160)};
    }
}

void applyConfig(const line::Config& change, GestureConfig& config) {
    for (const auto& field : change.fields) {
        if (const auto* v = std::get_if<PinchAction>(&field.value)) config.pinch3Action = *v;
        if (const auto* v = std::get_if<ZoomMode>(&field.value)) config.zoomMode = *v;
        for (const auto& f : kBoolFields) {
            if (f.name == field.name) config.*f.member = std::get<bool>(field.value);
        }
        for (const auto& f : kDoubleFields) {
            if (f.name == field.name) config.*f.member = std::get<double>(field.value);
        }
    }
}

}  // namespace tavix::replay

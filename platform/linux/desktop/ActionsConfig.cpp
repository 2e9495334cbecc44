#include "platform/linux/desktop/ActionsConfig.h"

#include <dbus/dbus.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "platform/linux/Trim.h"
#include "platform/preferences/linux/FileDescriptor.h"

namespace tavix::platform::desktop {
namespace {

bool knownType(const std::string& type) {
    for (const char* known : {"string", "boolean", "int32", "uint32", "double", "objpath"}) {
        if (type == known) return true;
    }
    return false;
}

// Refused here, so that the line is named and the built-in trigger runs instead; a call that
// failed later would say neither.
bool fitsItsType(const DBusArgument& argument) {
    const std::string& v = argument.value;
    if (argument.type == "int32") return argumentInteger<int32_t>(v).has_value();
    if (argument.type == "uint32") return argumentInteger<uint32_t>(v).has_value();
    if (argument.type == "boolean") return v == "true" || v == "false";
    if (argument.type == "objpath") return dbus_validate_path(v.c_str(), nullptr);
    if (argument.type == "double") {
        double d = 0;
        const auto [last, error] = std::from_chars(v.data(), v.data() + v.size(), d);
        return !v.empty() && error == std::errc() && last == v.data() + v.size();
    }
    return true;
}

// "dbus SERVICE PATH INTERFACE.METHOD [TYPE:VALUE | variant:TYPE:VALUE]..."
std::optional<DBusCall> parseDBusCall(const std::vector<std::string>& words, std::string& why) {
    if (words.size() < 4) {
        why = "a D-Bus call needs a service, an object path and INTERFACE.METHOD";
        return std::nullopt;
    }
    DBusCall call{
        .service = words[1], .path = words[2], .interface = {}, .member = {}, .arguments = {}};
    const auto dot = words[3].rfind('.');
    if (dot != std::string::npos) {
        call.interface = words[3].substr(0, dot);
        call.member = words[3].substr(dot + 1);
    }
    if (!dbus_validate_bus_name(call.service.c_str(), nullptr) ||
        !dbus_validate_path(call.path.c_str(), nullptr) ||
        !dbus_validate_interface(call.interface.c_str(), nullptr) ||
        !dbus_validate_member(call.member.c_str(), nullptr)) {
        why = "not a valid D-Bus service, object path or INTERFACE.METHOD";
        return std::nullopt;
    }
    for (std::size_t i = 4; i < words.size(); ++i) {
        std::string_view rest = words[i];
        DBusArgument argument;
        if (rest.starts_with("variant:")) {
            argument.variant = true;
            rest.remove_prefix(8);
        }
        const auto colon = rest.find(':');
        argument.type = std::string(rest.substr(0, colon));
        if (colon == std::string_view::npos || !knownType(argument.type)) {
            why = "argument \"" + words[i] + "\" is not TYPE:VALUE";
            return std::nullopt;
        }
        argument.value = std::string(rest.substr(colon + 1));
        if (!fitsItsType(argument)) {
            why = "argument \"" + words[i] + "\" is no " + argument.type;
            return std::nullopt;
        }
        call.arguments.push_back(std::move(argument));
    }
    return call;
}

std::optional<Trigger> parseTrigger(std::string_view value, std::string& why) {
    const auto words = splitWords(value);
    if (!words) {
        why = "a quote is not closed";
        return std::nullopt;
    }
    if (words->empty()) {
        why = "no trigger given";
        return std::nullopt;
    }
    const std::string& kind = words->front();
    if (kind == "chord") {
        const auto start = value.find("chord") + 5;
        if (auto chord = output::parseKeyChord(value.substr(start))) return ChordTrigger{*chord};
        why = "not a key chord";
        return std::nullopt;
    }
    if (kind == "dbus") {
        if (auto call = parseDBusCall(*words, why)) return *call;
        return std::nullopt;
    }
    if (kind == "command") {
        if (words->size() < 2) {
            why = "no program given";
            return std::nullopt;
        }
        return CommandLine{{words->begin() + 1, words->end()}};
    }
    if (kind == "sway") {
        // The rest of the line as Sway reads it: its own quoting and $variables.
        const auto rest = std::string(value.substr(value.find("sway") + 4));
        const auto start = rest.find_first_not_of(" \t");
        if (start == std::string::npos) {
            why = "no Sway command given";
            return std::nullopt;
        }
        return SwayCommand{rest.substr(start)};
    }
    why = "unknown trigger \"" + kind + "\" (chord, dbus, command or sway)";
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> splitWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < text.size()) {
                word += text[++i];
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote) return std::nullopt;
    if (inWord) words.push_back(std::move(word));
    return words;
}

ActionsConfig ActionsConfig::parse(std::string_view text) {
    ActionsConfig config;
    std::istringstream lines{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        auto problem = [&](const std::string& why) {
            config.problems.push_back("actions.conf line " + std::to_string(number) + ": " + why);
        };
        // libdbus aborts the process on a string that is not UTF-8, so no line gets that far.
        if (line.find('\0') != std::string::npos || !dbus_validate_utf8(line.c_str(), nullptr)) {
            problem("not UTF-8 text");
            continue;
        }
        const std::string_view content = trim(line);
        if (content.empty() || content.front() == '#') continue;
        const auto equals = content.find('=');
        if (equals == std::string_view::npos) {
            problem("expected ACTION = TRIGGER");
            continue;
        }
        const std::string name(trim(content.substr(0, equals)));
        const auto action = desktopActionFromName(name);
        if (!action) {
            problem("unknown action \"" + name +
                    "\" (apps, missionControl, spotlight or showDesktop)");
            continue;
        }
        std::string why;
        auto trigger = parseTrigger(trim(content.substr(equals + 1)), why);
        if (!trigger) {
            problem(why);
            continue;
        }
        if (config.overrides.contains(*action))
            problem("\"" + name + "\" given again; the last one counts");
        config.overrides.insert_or_assign(*action, std::move(*trigger));
    }
    return config;
}

ActionsConfig ActionsConfig::read(const std::filesystem::path& path) {
    auto refused = [](const std::string& why) {
        ActionsConfig config;
        config.problems.push_back("actions.conf: " + why);
        return config;
    };
    // Non-blocking, so that a FIFO put in its place cannot hold the caller.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file.valid()) return refused(std::string("cannot be opened: ") + std::strerror(errno));
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return refused("not a regular file");
    }
    std::string text(kMaxSize + 1, '\0');
    std::size_t length = 0;
    while (length < text.size()) {
        const ssize_t got = ::read(file.get(), text.data() + length, text.size() - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return refused(std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0) break;
        length += static_cast<std::size_t>(got);
    }
    if (length > kMaxSize) {
        return refused("larger than " + std::to_string(kMaxSize / 1024) + " KiB");
    }
    text.resize(length);
    return parse(text);
}

}  // namespace tavix::platform::desktop

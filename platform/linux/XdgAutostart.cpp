#include "platform/linux/XdgAutostart.h"

#include <gio/gdesktopappinfo.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>

#include "platform/linux/Trim.h"

namespace tavix::platform {
namespace {

namespace fs = std::filesystem;

std::string describe(std::string_view what, const fs::path& path, int error) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

// Whether GLib, as the desktops do, loads the entry and would run exactly `program` from it.
bool launchesExactly(const std::string& entry, const std::string& program) {
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.c_str());
    if (!info) return false;
    const char* commandLine = g_app_info_get_commandline(G_APP_INFO(info));
    gint argc = 0;
    gchar** argv = nullptr;
    const bool exact = commandLine && g_shell_parse_argv(commandLine, &argc, &argv, nullptr) &&
                       argc == 1 && program == argv[0];
    g_strfreev(argv);
    g_object_unref(info);
    return exact;
}

}  // namespace

XdgAutostart::XdgAutostart(std::string executable, std::optional<fs::path> entry)
    : executable_(std::move(executable)), entry_(std::move(entry)) {}

std::optional<fs::path> XdgAutostart::defaultEntry() {
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && fs::path(xdg).is_absolute()) {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = fs::path(home) / ".config";
    } else {
        return std::nullopt;
    }
    return config / "autostart" / "tavix.desktop";
}

std::optional<fs::path> XdgAutostart::entry() const {
    return entry_ ? entry_ : defaultEntry();
}

std::optional<std::string> XdgAutostart::execArgument(const std::string& argument) {
    // Entries are UTF-8. A % would have to be written %%, which GLib does not undo before it
    // looks for the program, so no desktop could start it.
    if (!g_utf8_validate(argument.data(), static_cast<gssize>(argument.size()), nullptr)) {
        return std::nullopt;
    }
    // Quoting rule first: inside double quotes, " ` $ and \ take a backslash.
    std::string quoted = "\"";
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '%') return std::nullopt;
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    // Then the string escape of every value: each backslash is written twice.
    std::string value;
    for (const char c : quoted) {
        value += c;
        if (c == '\\') value += '\\';
    }
    return value;
}

std::optional<std::string> XdgAutostart::registerItem() {
    const auto path = entry();
    if (!path) return "no home folder to hold the autostart entry";
    const auto exec = fs::path(executable_).is_absolute() && !executable_.ends_with(" (deleted)")
                          ? execArgument(executable_)
                          : std::nullopt;
    if (!exec) return "the program's path cannot be written in a desktop entry: " + executable_;

    std::error_code error;
    fs::create_directories(path->parent_path(), error);
    if (error) return "cannot create " + path->parent_path().string() + ": " + error.message();

    std::string temporary = path->string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return describe("cannot write", *path, errno);
    const std::string contents =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tavix\n"
        "Comment=Gestures for the Magic Mouse\n"
        "Exec=" + *exec + "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    bool written = fchmod(fd, 0644) == 0;
    for (std::size_t done = 0; written && done < contents.size();) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    const int writeError = errno;
    written = written && fsync(fd) == 0;
    ::close(fd);
    if (written && !launchesExactly(temporary, executable_)) {
        ::unlink(temporary.c_str());
        return "a desktop would not start " + executable_ + " from " + path->string();
    }
    if (!written || std::rename(temporary.c_str(), path->c_str()) != 0) {
        const int failure = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return describe("cannot write", *path, failure);
    }
    return std::nullopt;
}

std::optional<std::string> XdgAutostart::unregisterItem() {
    const auto path = entry();
    if (!path) return std::nullopt;
    if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
        return describe("cannot remove", *path, errno);
    }
    return std::nullopt;
}

LoginItemStatus XdgAutostart::status() {
    const auto path = entry();
    if (!path) return LoginItemStatus::notRegistered;
    std::ifstream in(*path);
    if (!in) return LoginItemStatus::notRegistered;
    bool inMainGroup = false;
    for (std::string line; std::getline(in, line);) {
        const auto text = trim(line);
        if (text.starts_with('[')) {
            inMainGroup = text == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        const auto key = trim(text.substr(0, equals));
        const auto value = trim(text.substr(equals + 1));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return LoginItemStatus::notRegistered;
        }
    }
    return LoginItemStatus::enabled;
}

}  // namespace tavix::platform

#include "platform/linux/mouse/KConfigFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace tavix::platform::mouse {
namespace {

// Nothing when the file is there but cannot be read to its end: writing it anew would lose it.
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        if (error) return std::nullopt;
        return lines;
    }
    std::ifstream in(file);
    if (!in) return std::nullopt;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (in.bad() || !in.eof()) return std::nullopt;
    return lines;
}

bool flushToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool isGroupLine(const std::string& line) {
    return !line.empty() && line.front() == '[';
}

// The key of a "key=value" line, with spaces around it and a locale or flag suffix ("[$e]")
// removed; nothing for comments and other lines.
std::optional<std::string> keyOf(const std::string& line) {
    if (line.empty() || line.front() == '#' || isGroupLine(line)) return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    std::string key = line.substr(0, equals);
    if (const auto bracket = key.find('['); bracket != std::string::npos) key.resize(bracket);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    return key;
}

std::string valueOf(const std::string& line) {
    std::string value = line.substr(line.find('=') + 1);
    const auto start = value.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : value.substr(start);
}

}  // namespace

std::optional<std::string> readKConfigEntry(const std::filesystem::path& file,
                                            const std::string& group, const std::string& key) {
    bool inGroup = false;
    std::optional<std::string> found;
    for (const auto& line : readLines(file).value_or(std::vector<std::string>{})) {
        if (isGroupLine(line)) {
            inGroup = line == "[" + group + "]";
        } else if (inGroup && keyOf(line) == key) {
            found = valueOf(line);  // the last one wins, as in KConfig
        }
    }
    return found;
}

std::vector<std::string> kConfigGroups(const std::filesystem::path& file) {
    std::vector<std::string> groups;
    for (const auto& line : readLines(file).value_or(std::vector<std::string>{})) {
        if (!isGroupLine(line) || line.back() != ']') continue;
        auto group = line.substr(1, line.size() - 2);
        if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
            groups.push_back(std::move(group));
        }
    }
    return groups;
}

bool writeKConfigEntry(const std::filesystem::path& file, const std::string& group,
                       const std::string& key, const std::string& value) {
    // One line each, or the file gains lines nobody asked for.
    for (const auto* text : {&group, &key, &value}) {
        if (text->find_first_of("\n\r") != std::string::npos) return false;
    }
    std::error_code error;
    // A link (dotfiles kept elsewhere) is written through, never replaced by a plain file.
    auto target = file;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
        target = std::filesystem::weakly_canonical(file, error);
        if (error) return false;
    }
    auto read = readLines(target);
    if (!read) return false;
    auto& lines = *read;
    const std::string entry = key + "=" + value;
    const std::string header = "[" + group + "]";
    std::optional<std::size_t> entryLine;
    std::optional<std::size_t> groupEnd;  // where a new entry of the group goes
    bool inGroup = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isGroupLine(lines[i])) {
            inGroup = lines[i] == header;
            if (inGroup) groupEnd = i + 1;
            continue;
        }
        if (!inGroup) continue;
        if (keyOf(lines[i]) == key) {
            // "key[$i]=": the administrator made the entry immutable.
            if (lines[i].substr(0, lines[i].find('=')).find("[$i]") != std::string::npos) {
                return false;
            }
            entryLine = i;
        }
        if (!lines[i].empty()) groupEnd = i + 1;
    }
    if (entryLine) {
        lines[*entryLine] = entry;
    } else if (groupEnd) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*groupEnd), entry);
    } else {
        if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
        lines.push_back(header);
        lines.push_back(entry);
    }

    std::filesystem::create_directories(target.parent_path(), error);
    const auto temporary = target.string() + ".tavix-new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& line : lines) out << line << '\n';
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    // The file keeps its permissions.
    if (const auto status = std::filesystem::status(target, error); !error) {
        std::filesystem::permissions(temporary, status.permissions(), error);
    }
    if (!flushToDisk(temporary) || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace tavix::platform::mouse

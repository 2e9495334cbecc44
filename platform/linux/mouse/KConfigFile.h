#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavix::platform::mouse {

// One entry of a KDE config file (kdeglobals, kcminputrc): "[group]" lines, nested groups
// written as "[outer][inner]", "key=value" lines. Everything else in the file is kept as it is.
// The group is given as it is written between the outer brackets: "Libinput][1452][617][Name".
std::optional<std::string> readKConfigEntry(const std::filesystem::path& file,
                                            const std::string& group, const std::string& key);
// The file's groups, as written between the outer brackets, in the order they first appear.
std::vector<std::string> kConfigGroups(const std::filesystem::path& file);
// Replaces the entry or adds it (and its group) and replaces the file atomically; false when the
// file could not be written or a part would not fit on one line.
bool writeKConfigEntry(const std::filesystem::path& file, const std::string& group,
                       const std::string& key, const std::string& value);

}  // namespace tavix::platform::mouse

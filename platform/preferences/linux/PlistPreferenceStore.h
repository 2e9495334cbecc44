#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "platform/preferences/PreferenceStore.h"

namespace tavix::platform {

// One XML property list per domain, "<domain>.plist" in one folder, so that any property-list
// tool can read and edit them. Reads always go to the file, so edits made by others are seen;
// values set here stay pending until their domain is synchronised. Synchronising re-reads the
// file, applies the pending values, keeps every other key (of any type) and replaces the file
// atomically. A file that cannot be parsed reads as empty and is copied to
// "<domain>.plist.corrupt" before it is replaced; a file that cannot be read is never replaced.
class PlistPreferenceStore final : public PreferenceStore {
  public:
    // Runs once the new contents are complete under a temporary name, just before they take the
    // file's place: lets tests stop a write at its most fragile point.
    using BeforeReplace = std::function<void(const std::filesystem::path& temporary)>;

    // $XDG_CONFIG_HOME (or ~/.config), then tavix/preferences; nothing without a home.
    static std::optional<std::filesystem::path> defaultDirectory();

    explicit PlistPreferenceStore(std::optional<std::filesystem::path> directory,
                                  BeforeReplace beforeReplace = {});

    std::optional<PreferenceValue> copyValue(const std::string& key,
                                             const PreferenceDomain& domain) const override;
    void setValue(const std::string& key, const PreferenceValue& value,
                  const PreferenceDomain& domain) override;
    bool synchronize(const PreferenceDomain& domain) override;

    // Nothing for a domain whose name cannot be a file name.
    std::optional<std::filesystem::path> fileFor(const PreferenceDomain& domain) const;

  private:
    std::optional<std::filesystem::path> directory_;
    BeforeReplace beforeReplace_;
    mutable std::mutex mutex_;
    std::map<PreferenceDomain, std::map<std::string, PreferenceValue>> pending_;
};

}  // namespace tavix::platform

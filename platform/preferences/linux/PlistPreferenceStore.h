#pragma once

#include <filesystem>
#include <map>
#include <mutex>

#include "platform/preferences/PreferenceStore.h"
#include "platform/preferences/linux/DomainFile.h"

namespace tavix::platform {

// One XML property list per domain, "<domain>.plist" in one folder, so that any property-list
// tool can read and edit them. Reads always go to the file, so edits made by others are seen;
// values set here stay pending until their domain is synchronised. Synchronising re-reads the
// file, applies the pending values, keeps every other key (of any type) and replaces the file
// atomically, all under a lock other Tavix processes respect. A file that cannot be parsed, or is
// nested or large beyond PlistLimits, reads as empty and is kept aside before it is replaced; a
// file that cannot be read is never replaced. Nothing that other property-list readers would
// reject is ever written (see fitsXmlText).
class PlistPreferenceStore final : public PreferenceStore {
  public:
    // Runs once the new contents are complete under a temporary name, just before they take the
    // file's place: lets tests stop a write at its most fragile point.
    using BeforeReplace = DomainFile::BeforeReplace;

    // $XDG_CONFIG_HOME (or ~/.config), then tavix/preferences; nothing without a home.
    static std::optional<std::filesystem::path> defaultDirectory();

    explicit PlistPreferenceStore(std::optional<std::filesystem::path> directory,
                                  BeforeReplace beforeReplace = {});

    std::optional<PreferenceValue> copyValue(const std::string& key,
                                             const PreferenceDomain& domain) const override;
    // A key or string that fitsXmlText refuses is not set; the domain's next synchronize then
    // reports failure, after writing the values that were accepted.
    void setValue(const std::string& key, const PreferenceValue& value,
                  const PreferenceDomain& domain) override;
    bool synchronize(const PreferenceDomain& domain) override;

    // Nothing for a domain whose name cannot be a file name.
    std::optional<std::filesystem::path> fileFor(const PreferenceDomain& domain) const;

  private:
    struct Pending {
        std::map<std::string, PreferenceValue> values;
        bool refused = false;
    };

    std::optional<std::filesystem::path> directory_;
    BeforeReplace beforeReplace_;
    mutable std::mutex mutex_;
    std::map<PreferenceDomain, Pending> pending_;
};

}  // namespace tavix::platform

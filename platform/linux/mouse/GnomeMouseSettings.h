#pragma once

#include <functional>
#include <memory>

#include "platform/linux/mouse/DesktopMouseSettings.h"

namespace tavix::platform::mouse {

// GNOME's mouse settings, org.gnome.desktop.peripherals.mouse through GSettings: `speed`,
// `double-click` and `natural-scroll`. GNOME has no scroll speed. Reads go to GSettings every
// time, so a change made in GNOME's own settings shows at once.
class GnomeMouseSettings final : public DesktopMouseSettings {
  public:
    static constexpr const char* kSchema = "org.gnome.desktop.peripherals.mouse";

    // Nothing when the schema is not installed (GSettings would abort on it).
    static std::unique_ptr<GnomeMouseSettings> open();
    ~GnomeMouseSettings() override;
    GnomeMouseSettings(const GnomeMouseSettings&) = delete;
    GnomeMouseSettings& operator=(const GnomeMouseSettings&) = delete;

    std::optional<PreferenceValue> read(MirroredSetting setting) override;
    bool write(MirroredSetting setting, const PreferenceValue& value) override;
    void synchronize() override;

    // Told each time `natural-scroll` changes, by GNOME's settings or anyone else, on the thread
    // that runs GLib's default main context (Qt's main thread).
    void onNaturalScrollChanged(std::function<void(bool)> changed);

  private:
    struct Handle;  // GIO's settings object; GIO's header stays out of ours
    explicit GnomeMouseSettings(std::unique_ptr<Handle> handle);
    // The key of the setting when the installed schema has it with the expected type.
    const char* keyFor(MirroredSetting setting) const;

    std::unique_ptr<Handle> handle_;
};

}  // namespace tavix::platform::mouse

#include "platform/linux/mouse/GnomeMouseSettings.h"

#include <gio/gio.h>

#include <string>

#include "platform/linux/mouse/MouseSettingMappings.h"

namespace tavix::platform::mouse {
namespace {

struct SchemaUnref {
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
using Schema = std::unique_ptr<GSettingsSchema, SchemaUnref>;
struct KeyUnref {
    void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
};

struct GnomeKey {
    const char* name;
    const char* type;
};

std::optional<GnomeKey> gnomeKey(MirroredSetting setting) {
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            return GnomeKey{"speed", "d"};
        case MirroredSetting::doubleClickInterval:
            return GnomeKey{"double-click", "i"};
        case MirroredSetting::naturalScroll:
            return GnomeKey{"natural-scroll", "b"};
        case MirroredSetting::scrollSpeed:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

struct GnomeMouseSettings::Handle {
    struct Unref {
        void operator()(GSettings* object) const { g_object_unref(object); }
    };
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&&) = delete;
    Handle& operator=(Handle&&) = delete;
    // GIO may hold its own reference with a change still queued: the handler goes first.
    ~Handle() {
        if (settings) g_signal_handlers_disconnect_by_data(settings.get(), &naturalScrollChanged);
    }

    std::function<void(bool)> naturalScrollChanged;
    std::unique_ptr<GSettings, Unref> settings;
};

std::unique_ptr<GnomeMouseSettings> GnomeMouseSettings::open() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    Schema schema(g_settings_schema_source_lookup(source, kSchema, TRUE));
    if (!schema) return nullptr;
    auto handle = std::make_unique<Handle>();
    handle->settings.reset(g_settings_new_full(schema.get(), nullptr, nullptr));
    return std::unique_ptr<GnomeMouseSettings>(new GnomeMouseSettings(std::move(handle)));
}

GnomeMouseSettings::GnomeMouseSettings(std::unique_ptr<Handle> handle)
    : handle_(std::move(handle)) {}

GnomeMouseSettings::~GnomeMouseSettings() = default;

const char* GnomeMouseSettings::keyFor(MirroredSetting setting) const {
    const auto key = gnomeKey(setting);
    if (!key) return nullptr;
    GSettingsSchema* schema = nullptr;
    g_object_get(handle_->settings.get(), "settings-schema", &schema, nullptr);
    if (!schema) return nullptr;
    const Schema owned(schema);
    if (!g_settings_schema_has_key(schema, key->name)) return nullptr;
    const std::unique_ptr<GSettingsSchemaKey, KeyUnref> schemaKey(
        g_settings_schema_get_key(schema, key->name));
    const GVariantType* type = g_settings_schema_key_get_value_type(schemaKey.get());
    return g_variant_type_equal(type, G_VARIANT_TYPE(key->type)) ? key->name : nullptr;
}

std::optional<PreferenceValue> GnomeMouseSettings::read(MirroredSetting setting) {
    const char* key = keyFor(setting);
    if (!key) return std::nullopt;
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            return trackingFromLibinputSpeed(g_settings_get_double(handle_->settings.get(), key));
        case MirroredSetting::doubleClickInterval:
            return secondsFromMilliseconds(g_settings_get_int(handle_->settings.get(), key));
        case MirroredSetting::naturalScroll:
            return g_settings_get_boolean(handle_->settings.get(), key) != FALSE;
        case MirroredSetting::scrollSpeed:
            return std::nullopt;
    }
    return std::nullopt;
}

bool GnomeMouseSettings::write(MirroredSetting setting, const PreferenceValue& value) {
    const char* key = keyFor(setting);
    if (!key) return false;
    switch (setting) {
        case MirroredSetting::trackingSpeed: {
            const auto tracking = numberValue(value);
            return tracking &&
                   g_settings_set_double(handle_->settings.get(), key, libinputSpeedFromTracking(*tracking));
        }
        case MirroredSetting::doubleClickInterval: {
            const auto seconds = numberValue(value);
            return seconds && g_settings_set_int(handle_->settings.get(), key, millisecondsFromSeconds(*seconds));
        }
        case MirroredSetting::naturalScroll: {
            const auto natural = booleanValue(value);
            return natural && g_settings_set_boolean(handle_->settings.get(), key, *natural);
        }
        case MirroredSetting::scrollSpeed:
            return false;
    }
    return false;
}

void GnomeMouseSettings::synchronize() {
    g_settings_sync();
}

void GnomeMouseSettings::onNaturalScrollChanged(std::function<void(bool)> changed) {
    const char* key = keyFor(MirroredSetting::naturalScroll);
    if (!key || handle_->naturalScrollChanged) return;
    handle_->naturalScrollChanged = std::move(changed);
    const std::string signal = std::string("changed::") + key;
    g_signal_connect(handle_->settings.get(), signal.c_str(),
                     G_CALLBACK(+[](GSettings* settings, const char* name, gpointer data) {
                         (*static_cast<std::function<void(bool)>*>(data))(
                             g_settings_get_boolean(settings, name) != FALSE);
                     }),
                     &handle_->naturalScrollChanged);
}

}  // namespace tavix::platform::mouse

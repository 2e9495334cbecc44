#include "platform/linux/desktop/ShortcutSettings.h"

#include <gio/gio.h>

#include <fstream>
#include <memory>
#include <string>

namespace tavix::platform::desktop {
namespace {

template <class T, void (*Free)(T*)>
struct GFree {
    void operator()(T* p) const { Free(p); }
};
using Schema = std::unique_ptr<GSettingsSchema, GFree<GSettingsSchema, g_settings_schema_unref>>;
void unrefObject(GSettings* settings) {
    g_object_unref(settings);
}
using Settings = std::unique_ptr<GSettings, GFree<GSettings, unrefObject>>;
using Variant = std::unique_ptr<GVariant, GFree<GVariant, g_variant_unref>>;

}  // namespace

std::optional<output::KeyChord> GnomeShortcutSettings::chord(const LiveShortcut& shortcut) {
    // Looked up first: GSettings aborts the process on a schema or key it does not know.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return std::nullopt;
    Schema schema(g_settings_schema_source_lookup(source, shortcut.group.c_str(), TRUE));
    if (!schema || !g_settings_schema_has_key(schema.get(), shortcut.name.c_str())) {
        return std::nullopt;
    }
    Settings settings(g_settings_new_full(schema.get(), nullptr, nullptr));
    if (!settings) return std::nullopt;
    Variant value(g_settings_get_value(settings.get(), shortcut.name.c_str()));
    if (!value) return std::nullopt;
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) {
        return output::parseKeyChord(g_variant_get_string(value.get(), nullptr));
    }
    if (!g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING_ARRAY)) return std::nullopt;
    const gsize count = g_variant_n_children(value.get());
    for (gsize i = 0; i < count; ++i) {
        Variant item(g_variant_get_child_value(value.get(), i));
        if (auto chord = output::parseKeyChord(g_variant_get_string(item.get(), nullptr))) {
            return chord;
        }
    }
    return std::nullopt;
}

std::optional<output::KeyChord> KdeShortcutSettings::chord(const LiveShortcut& shortcut) {
    std::ifstream in(file_);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[" + shortcut.group + "]";
            continue;
        }
        if (!inGroup || line.rfind(shortcut.name + "=", 0) != 0) continue;
        const std::string value = line.substr(shortcut.name.size() + 1);
        const std::string active = value.substr(0, value.find(','));
        std::size_t start = 0;
        while (start <= active.size()) {
            const auto tab = active.find('\t', start);
            const auto one = active.substr(start, tab == std::string::npos ? tab : tab - start);
            if (auto chord = output::parseKeyChord(one)) return chord;
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tavix::platform::desktop

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/linux/mouse/DesktopPreferenceStore.h"
#include "platform/linux/mouse/GnomeMouseSettings.h"
#include "platform/linux/mouse/LinuxPreferenceServices.h"
#include "platform/preferences/sim/InMemoryPreferenceStore.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::platform::mouse {
namespace {

using tavix::testing::ScopedEnvironment;
using tavix::testing::TempDirectory;

// Never the user's dconf database: every GSettings of this process keeps its values in memory.
const bool kMemoryBackend = [] { return setenv("GSETTINGS_BACKEND", "memory", 1) == 0; }();

const auto kGlobal = PreferenceDomain::global();

struct GnomeStore {
    std::shared_ptr<InMemoryPreferenceStore> files = std::make_shared<InMemoryPreferenceStore>();
    std::shared_ptr<input::CloneSettings> transform = std::make_shared<input::CloneSettings>();
    std::shared_ptr<CloneMouseSettings> clone = std::make_shared<CloneMouseSettings>(transform);
    std::optional<bool> wheelsInverted;
    DesktopPreferenceStore store;

    explicit GnomeStore(std::shared_ptr<DesktopMouseSettings> gnome)
        : store(files, std::move(gnome), clone, [this](bool on) { wheelsInverted = on; }) {}

    void set(const char* key, const PreferenceValue& value) {
        store.setValue(key, value, kGlobal);
        store.synchronize(kGlobal);
    }
    std::optional<PreferenceValue> get(const char* key) { return store.copyValue(key, kGlobal); }
    bool filesHave(const char* key) { return files->copyValue(key, kGlobal).has_value(); }
};

struct SettingsUnref {
    void operator()(GSettings* settings) const { g_object_unref(settings); }
};

// The real schema (gsettings-desktop-schemas): what Tavix writes is what GNOME's own settings
// show, and what GNOME's settings change is what Tavix reads next.
TEST(GnomeMouseSettings, SettingsGoToGnomeAndComeBackFromIt) {
    ASSERT_TRUE(kMemoryBackend);
    auto gnome = GnomeMouseSettings::open();
    if (!gnome) GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
    GnomeStore s(std::move(gnome));
    const std::unique_ptr<GSettings, SettingsUnref> own(
        g_settings_new(GnomeMouseSettings::kSchema));

    s.set("com.apple.mouse.scaling", 2.0);
    s.set("com.apple.mouse.doubleClickThreshold", 0.25);
    s.set("com.apple.swipescrolldirection", true);
    EXPECT_DOUBLE_EQ(g_settings_get_double(own.get(), "speed"), 0.5);
    EXPECT_EQ(g_settings_get_int(own.get(), "double-click"), 250);
    EXPECT_TRUE(g_settings_get_boolean(own.get(), "natural-scroll"));
    EXPECT_EQ(s.wheelsInverted, true);  // GNOME turns the virtual pointer's wheel too
    EXPECT_TRUE(s.filesHave("com.apple.mouse.scaling"));  // the files keep the latest choice
    EXPECT_EQ(s.get("com.apple.mouse.scaling"), PreferenceValue(2.0));
    EXPECT_EQ(s.get("com.apple.mouse.doubleClickThreshold"), PreferenceValue(0.25));
    EXPECT_EQ(s.get("com.apple.swipescrolldirection"), PreferenceValue(true));

    g_settings_set_double(own.get(), "speed", -0.5);
    g_settings_set_boolean(own.get(), "natural-scroll", FALSE);
    EXPECT_EQ(s.get("com.apple.mouse.scaling"), PreferenceValue(0.5));
    EXPECT_EQ(s.get("com.apple.swipescrolldirection"), PreferenceValue(false));
    EXPECT_EQ(s.wheelsInverted, false);

    // GNOME has no scroll speed: it stays in the files and the clones scale the wheel, while
    // pointer speed and natural scrolling are GNOME's to apply.
    s.set("com.apple.scrollwheel.scaling", 1.0);
    EXPECT_TRUE(s.filesHave("com.apple.scrollwheel.scaling"));
    s.clone->setHIDProperty("HIDMouseScrollAcceleration", std::int64_t{65536});
    s.clone->setHIDProperty("HIDMouseAcceleration", std::int64_t{3 * 65536});
    s.clone->setNaturalScroll(true);
    const auto transform = s.transform->transform();
    EXPECT_EQ(transform.wheelFactor, 5.0);
    EXPECT_EQ(transform.motionFactor, 1.0);
    EXPECT_FALSE(transform.invertWheel);

    // A key that is no mouse setting is the files' alone.
    s.set("AppleEnableMouseSwipeNavigateWithScrolls", false);
    EXPECT_TRUE(s.filesHave("AppleEnableMouseSwipeNavigateWithScrolls"));
}

// GNOME turns the virtual pointer's wheel with every other mouse's: the zoom notches learn
// natural scrolling at start and whenever it changes, whoever changed it.
TEST(GnomeMouseSettings, NaturalScrollingReachesTheZoomNotchesAtStartAndOnEveryChange) {
    ASSERT_TRUE(kMemoryBackend);
    if (!GnomeMouseSettings::open()) GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
    const std::unique_ptr<GSettings, SettingsUnref> own(
        g_settings_new(GnomeMouseSettings::kSchema));
    g_settings_set_boolean(own.get(), "natural-scroll", TRUE);
    TempDirectory dir;
    std::vector<bool> told;
    LinuxPreferenceServices::Options options;
    options.preferencesDirectory = dir.path();
    options.currentDesktop = "GNOME";
    options.connectBus = nullptr;
    options.wheelsInverted = [&](bool inverted) { told.push_back(inverted); };
    auto services = makeLinuxPreferenceServices(options);
    ASSERT_FALSE(told.empty());
    EXPECT_TRUE(told.back());

    g_settings_set_boolean(own.get(), "natural-scroll", FALSE);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_FALSE(told.back());
    services.store->setValue("com.apple.swipescrolldirection", true, kGlobal);
    EXPECT_TRUE(told.back());
}

// The schema source is fixed for the life of a process, so these run in a fresh one each.
class GnomeFallback : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(GnomeFallback, WithoutTheSchemaEverythingStaysInTheFilesAndTheClonesApplyIt) {
    EXPECT_EXIT(
        {
            TempDirectory empty;
            ScopedEnvironment dir("GSETTINGS_SCHEMA_DIR", empty.path().c_str());
            ScopedEnvironment data("XDG_DATA_DIRS", empty.path().c_str());
            if (GnomeMouseSettings::open()) std::exit(2);
            LinuxPreferenceServices::Options options;
            options.preferencesDirectory = empty.path() / "preferences";
            options.currentDesktop = "GNOME";
            options.connectBus = nullptr;
            auto services = makeLinuxPreferenceServices(options);
            services.store->setValue("com.apple.swipescrolldirection", false, kGlobal);
            services.store->synchronize(kGlobal);
            auto client = services.hid->createSimpleClient();
            client->setProperty("HIDMouseAcceleration", std::int64_t{0});
            const auto transform = services.cloneSettings->transform();
            const bool stored = services.store->copyValue("com.apple.swipescrolldirection",
                                                          kGlobal) == PreferenceValue(false);
            std::exit(stored && transform.motionFactor == 0.25 && !transform.invertWheel ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(GnomeFallback, AnOlderSchemaWithoutSomeKeysServesTheKeysItHas) {
    EXPECT_EXIT(
        {
            TempDirectory schemas;
            tavix::testing::writeFile(schemas.path() / "mouse.gschema.xml",
                                      R"(<schemalist>
  <schema id="org.gnome.desktop.peripherals.mouse" path="/org/gnome/desktop/peripherals/mouse/">
    <key name="speed" type="d"><default>0</default></key>
    <key name="double-click" type="s"><default>'fast'</default></key>
  </schema>
</schemalist>)");
            const std::string compile = "glib-compile-schemas " + schemas.path().string();
            if (std::system(compile.c_str()) != 0) std::exit(0);  // nothing to test with
            ScopedEnvironment dir("GSETTINGS_SCHEMA_DIR", schemas.path().c_str());
            ScopedEnvironment data("XDG_DATA_DIRS", schemas.path().c_str());
            auto gnome = GnomeMouseSettings::open();
            if (!gnome) std::exit(2);
            GnomeStore s(std::move(gnome));
            s.set("com.apple.mouse.scaling", 0.5);
            s.set("com.apple.mouse.doubleClickThreshold", 0.7);  // a key of the wrong type
            s.set("com.apple.swipescrolldirection", false);      // no key at all
            const bool ok = s.filesHave("com.apple.mouse.scaling") &&
                            s.get("com.apple.mouse.scaling") == PreferenceValue(0.5) &&
                            s.get("com.apple.mouse.doubleClickThreshold") == PreferenceValue(0.7) &&
                            s.get("com.apple.swipescrolldirection") == PreferenceValue(false) &&
                            s.filesHave("com.apple.swipescrolldirection");
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tavix::platform::mouse

#include <dbus/dbus.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/linux/mouse/DesktopPreferenceStore.h"
#include "platform/linux/mouse/KConfigFile.h"
#include "platform/linux/mouse/KdeMouseSettings.h"
#include "platform/preferences/sim/InMemoryPreferenceStore.h"
#include "tests/desktop/DesktopFixture.h"
#include "tests/support/DecimalComma.h"

namespace tavix::platform::mouse {
namespace {

using desktop::DBusValue;
using desktop::SessionBus;
using tavix::testing::MockService;
using tavix::testing::PrivateBus;
using tavix::testing::ScopedEnvironment;
using tavix::testing::TempDirectory;
using ::testing::Contains;
using ::testing::HasSubstr;

const auto kGlobal = PreferenceDomain::global();
constexpr const char* kClone = "/org/kde/KWin/InputDevice/event7";
constexpr const char* kMouse = "/org/kde/KWin/InputDevice/event3";
constexpr const char* kOther = "/org/kde/KWin/InputDevice/event9";
constexpr const char* kImpostor = "/org/kde/KWin/InputDevice/event11";

// Signals on the private bus, as a KDE application would receive them.
class SignalWatch {
  public:
    explicit SignalWatch(const std::string& address) {
        DBusError error;
        dbus_error_init(&error);
        connection_ = dbus_connection_open_private(address.c_str(), &error);
        if (connection_ && dbus_bus_register(connection_, &error)) {
            dbus_bus_add_match(connection_, "type='signal',path='/kdeglobals'", &error);
            dbus_bus_add_match(connection_, "type='signal',path='/KGlobalSettings'", &error);
        }
        dbus_error_free(&error);
    }
    ~SignalWatch() {
        if (!connection_) return;
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
    }
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    // "interface.member(arguments)" of each signal that arrives within a second, until `count`.
    std::vector<std::string> receive(std::size_t count) {
        std::vector<std::string> seen;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (connection_ && seen.size() < count && std::chrono::steady_clock::now() < until) {
            dbus_connection_read_write(connection_, 50);
            while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
                if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL &&
                    dbus_message_get_interface(message) &&
                    std::string(dbus_message_get_interface(message)) != DBUS_INTERFACE_DBUS) {
                    seen.push_back(std::string(dbus_message_get_interface(message)) + "." +
                                   dbus_message_get_member(message) + "(" +
                                   dbus_message_get_signature(message) + describe(message) + ")");
                }
                dbus_message_unref(message);
            }
        }
        return seen;
    }

  private:
    // The group and key of ConfigChanged, the two integers of notifyChange.
    static std::string describe(DBusMessage* message) {
        DBusMessageIter iter;
        if (!dbus_message_iter_init(message, &iter)) return "";
        std::string text;
        if (dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_INT32) {
            for (int i = 0; i < 2; ++i, dbus_message_iter_next(&iter)) {
                dbus_int32_t value = 0;
                dbus_message_iter_get_basic(&iter, &value);
                text += " " + std::to_string(value);
            }
            return text;
        }
        DBusMessageIter dict;
        DBusMessageIter entry;
        DBusMessageIter keys;
        DBusMessageIter bytes;
        dbus_message_iter_recurse(&iter, &dict);
        dbus_message_iter_recurse(&dict, &entry);
        const char* group = nullptr;
        dbus_message_iter_get_basic(&entry, &group);
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &keys);
        dbus_message_iter_recurse(&keys, &bytes);
        const char* data = nullptr;
        int length = 0;
        dbus_message_iter_get_fixed_array(&bytes, &data, &length);
        return " " + std::string(group) + "/" + std::string(data, static_cast<std::size_t>(length));
    }

    DBusConnection* connection_ = nullptr;
};

class KdeMouseSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (bus.address().empty()) GTEST_SKIP() << "no dbus-daemon to start";
    }

    std::unique_ptr<MockService> startKWin(const std::string& parameters = "{}") {
        auto kwin = std::make_unique<MockService>(bus.address(), "kwin_input.py", "org.kde.KWin",
                                                  config.path() / "kwin.log", parameters);
        EXPECT_TRUE(kwin->ready());
        return kwin;
    }
    DesktopPreferenceStore makeStore() {
        return DesktopPreferenceStore(
            files, std::make_shared<KdeMouseSettings>(config.path() / "config"), clone);
    }
    std::optional<DBusValue> kwinProperty(const char* path, const char* name) {
        return SessionBus::connect()->getProperty("org.kde.KWin", path, KdeMouseSettings::kDevice,
                                                  name);
    }
    void set(DesktopPreferenceStore& store, const char* key, const PreferenceValue& value) {
        store.setValue(key, value, kGlobal);
        store.synchronize(kGlobal);
    }

    PrivateBus bus;
    ScopedEnvironment address{"DBUS_SESSION_BUS_ADDRESS", bus.address().c_str()};
    TempDirectory config;
    std::shared_ptr<InMemoryPreferenceStore> files = std::make_shared<InMemoryPreferenceStore>();
    std::shared_ptr<input::CloneSettings> transform = std::make_shared<input::CloneSettings>();
    std::shared_ptr<CloneMouseSettings> clone = std::make_shared<CloneMouseSettings>(transform);
};

// The Magic Mouse's devices (the clone and the mouse) take the value live and keep it in
// kcminputrc; another mouse is left alone; reading comes from KWin, so a change made in KDE's
// own settings shows next time. Numbers are written as KDE reads them on a German desktop too.
TEST_F(KdeMouseSettingsTest, DeviceSettingsGoToKWinAndComeBackFromIt) {
    const tavix::testing::DecimalComma comma;
    const auto kwin = startKWin();
    auto store = makeStore();

    set(store, "com.apple.mouse.scaling", 2.0);
    set(store, "com.apple.scrollwheel.scaling", 1.0);
    set(store, "com.apple.swipescrolldirection", true);
    for (const char* path : {kClone, kMouse}) {
        EXPECT_EQ(kwinProperty(path, "pointerAcceleration"), DBusValue(0.5)) << path;
        EXPECT_EQ(kwinProperty(path, "scrollFactor"), DBusValue(5.0)) << path;
        EXPECT_EQ(kwinProperty(path, "naturalScroll"), DBusValue(true)) << path;
    }
    EXPECT_EQ(kwinProperty(kOther, "pointerAcceleration"), DBusValue(0.0));
    EXPECT_EQ(kwinProperty(kOther, "naturalScroll"), DBusValue(false));
    const auto kcminputrc = config.path() / "config" / "kcminputrc";
    EXPECT_EQ(readKConfigEntry(kcminputrc, "Libinput][0][0][Apple Inc. Magic Mouse 2 (Tavix)",
                               "PointerAcceleration"),
              "0.500");
    EXPECT_EQ(readKConfigEntry(kcminputrc, "Libinput][76][617][Apple Inc. Magic Mouse 2",
                               "NaturalScroll"),
              "true");
    EXPECT_EQ(
        readKConfigEntry(kcminputrc, "Libinput][76][617][Apple Inc. Magic Mouse 2", "ScrollFactor"),
        "5");
    EXPECT_THAT(tavix::testing::readFile(kcminputrc), ::testing::Not(HasSubstr("Logitech")));
    EXPECT_EQ(files->copyValue("com.apple.swipescrolldirection", kGlobal), PreferenceValue(true));

    // KWin applies all three: the clone passes motion and wheel through unchanged.
    clone->setHIDProperty("HIDMouseAcceleration", std::int64_t{2 * 65536});
    clone->setHIDProperty("HIDMouseScrollAcceleration", std::int64_t{65536});
    clone->setNaturalScroll(true);
    EXPECT_EQ(transform->transform(), input::CloneTransform{});

    ASSERT_TRUE(SessionBus::connect()->setProperty(
        "org.kde.KWin", kClone, KdeMouseSettings::kDevice, "pointerAcceleration", -0.5));
    EXPECT_EQ(store.copyValue("com.apple.mouse.scaling", kGlobal), PreferenceValue(0.5));
    EXPECT_EQ(store.copyValue("com.apple.scrollwheel.scaling", kGlobal), PreferenceValue(1.0));
    EXPECT_EQ(store.copyValue("com.apple.swipescrolldirection", kGlobal), PreferenceValue(true));
}

// The tap makes the clone only while it holds the mouse; KWin will find the setting waiting.
TEST_F(KdeMouseSettingsTest, TheCloneToComeFindsItsSettingInKcminputrc) {
    const auto kwin = startKWin(R"({"noClone": true})");
    auto store = makeStore();
    set(store, "com.apple.swipescrolldirection", true);
    EXPECT_EQ(kwinProperty(kMouse, "naturalScroll"), DBusValue(true));
    EXPECT_EQ(readKConfigEntry(config.path() / "config" / "kcminputrc",
                               "Libinput][0][0][Apple Inc. Magic Mouse 2 (Tavix)", "NaturalScroll"),
              "true");
}

// A Bluetooth mouse that connects later: until then the clone's kcminputrc group is what KWin
// will apply, so it is read and written, and the clone applies the setting only when there is no
// such group. The files get every value.
TEST_F(KdeMouseSettingsTest, BeforeTheMouseConnectsTheClonesGroupStandsForIt) {
    const auto kwin = startKWin(R"({"noClone": true, "noMouse": true})");
    const auto kcminputrc = config.path() / "config" / "kcminputrc";
    std::filesystem::create_directories(kcminputrc.parent_path());
    // Plasma 6's defaults for every pointer stand where the clone's group has no entry.
    const std::string defaults =
        "[Libinput][Defaults][Pointer]\nNaturalScroll=false\nScrollFactor=2\n";
    tavix::testing::writeFile(kcminputrc,
                              defaults +
                                  "\n[Libinput][76][617][Apple Inc. Magic Mouse 2]\n"
                                  "NaturalScroll=false\n"
                                  "\n[Libinput][0][0][Apple Inc. Magic Mouse 2 (Tavix)]\n"
                                  "NaturalScroll=true\nPointerAcceleration=0.500\n");
    auto store = makeStore();
    EXPECT_EQ(store.copyValue("com.apple.swipescrolldirection", kGlobal), PreferenceValue(true));
    EXPECT_EQ(store.copyValue("com.apple.mouse.scaling", kGlobal), PreferenceValue(2.0));
    EXPECT_EQ(store.copyValue("com.apple.scrollwheel.scaling", kGlobal), PreferenceValue(0.484375));
    clone->setNaturalScroll(true);
    clone->setHIDProperty("HIDMouseAcceleration", std::int64_t{2 * 65536});
    EXPECT_EQ(transform->transform(), input::CloneTransform{});

    set(store, "com.apple.swipescrolldirection", false);
    EXPECT_EQ(readKConfigEntry(kcminputrc, "Libinput][0][0][Apple Inc. Magic Mouse 2 (Tavix)",
                               "NaturalScroll"),
              "false");
    EXPECT_EQ(files->copyValue("com.apple.swipescrolldirection", kGlobal), PreferenceValue(false));
    EXPECT_EQ(kwinProperty(kOther, "naturalScroll"), DBusValue(false));
    EXPECT_TRUE(tavix::testing::readFile(kcminputrc).starts_with(defaults));

    // No group for the clone: KWin will give it its defaults, so the clone turns the wheel.
    tavix::testing::writeFile(
        kcminputrc, "[Libinput][76][617][Apple Inc. Magic Mouse 2]\nNaturalScroll=false\n");
    set(store, "com.apple.swipescrolldirection", true);
    EXPECT_TRUE(transform->transform().invertWheel);
    EXPECT_EQ(files->copyValue("com.apple.swipescrolldirection", kGlobal), PreferenceValue(true));
    EXPECT_EQ(store.copyValue("com.apple.swipescrolldirection", kGlobal), PreferenceValue(true));
    EXPECT_THAT(tavix::testing::readFile(kcminputrc), ::testing::Not(HasSubstr("(Tavix)")));
}

// A name that would end its group header early is kept out of kcminputrc (the mouse still takes
// the value live), and a mouse that only calls itself a clone is left alone.
TEST_F(KdeMouseSettingsTest, HostileDeviceNamesWriteNoGroups) {
    for (const char* name :
         {R"(Magic Mouse]\n[Keyboard]\nRepeatRate=1\n[x)", R"(Magic Mouse][Keyboard)"}) {
        SCOPED_TRACE(name);
        const auto kwin =
            startKWin(std::string(R"({"impostor": true, "mouseName": ")") + name + "\"}");
        auto store = makeStore();
        set(store, "com.apple.swipescrolldirection", true);
        set(store, "com.apple.swipescrolldirection", false);
        set(store, "com.apple.swipescrolldirection", true);
        EXPECT_EQ(kwinProperty(kMouse, "naturalScroll"), DBusValue(true));
        EXPECT_EQ(kwinProperty(kImpostor, "naturalScroll"), DBusValue(false));
        const auto text = tavix::testing::readFile(config.path() / "config" / "kcminputrc");
        EXPECT_THAT(text, ::testing::Not(HasSubstr("Keyboard")));
        EXPECT_THAT(text, ::testing::Not(HasSubstr("Impostor")));
    }
}

TEST_F(KdeMouseSettingsTest, DoubleClickGoesToKdeglobalsAndIsAnnounced) {
    const auto globals = config.path() / "config" / "kdeglobals";
    std::filesystem::create_directories(globals.parent_path());
    tavix::testing::writeFile(globals,
                              "[General]\nColorScheme=BreezeDark\n\n[KDE]\nSingleClick=false\n"
                              "LookAndFeelPackage=org.kde.breezedark.desktop\n\n[Icons]\n"
                              "Theme=breeze-dark\n");
    auto store = makeStore();
    EXPECT_EQ(store.copyValue("com.apple.mouse.doubleClickThreshold", kGlobal),
              PreferenceValue(0.4));  // KDE's own default

    SignalWatch watch(bus.address());
    set(store, "com.apple.mouse.doubleClickThreshold", 0.25);
    const auto signals = watch.receive(2);
    EXPECT_THAT(signals,
                Contains("org.kde.kconfig.notify.ConfigChanged(a{saay} KDE/DoubleClickInterval)"));
    EXPECT_THAT(signals, Contains("org.kde.KGlobalSettings.notifyChange(ii 3 0)"));
    EXPECT_EQ(tavix::testing::readFile(globals),
              "[General]\nColorScheme=BreezeDark\n\n[KDE]\nSingleClick=false\n"
              "LookAndFeelPackage=org.kde.breezedark.desktop\nDoubleClickInterval=250\n\n"
              "[Icons]\nTheme=breeze-dark\n");

    // Changed in KDE's settings: read back from the file.
    ASSERT_TRUE(mouse::writeKConfigEntry(globals, "KDE", "DoubleClickInterval", "900"));
    EXPECT_EQ(store.copyValue("com.apple.mouse.doubleClickThreshold", kGlobal),
              PreferenceValue(0.9));
    EXPECT_EQ(files->copyValue("com.apple.mouse.doubleClickThreshold", kGlobal),
              PreferenceValue(0.25));
}

// Without KWin, or a KWin without the device interface or without the mouse, the values stay
// in the files and the clones apply them; nothing is left half-written.
TEST_F(KdeMouseSettingsTest, WithoutKWinsDevicesTheClonesApplyTheSettings) {
    for (const std::string parameters : {"", R"({"noManager": true})"}) {
        SCOPED_TRACE(parameters);
        const auto kwin = parameters.empty() ? nullptr : startKWin(parameters);
        files = std::make_shared<InMemoryPreferenceStore>();
        auto store = makeStore();
        set(store, "com.apple.mouse.scaling", 0.0);
        set(store, "com.apple.swipescrolldirection", true);
        EXPECT_EQ(files->copyValue("com.apple.mouse.scaling", kGlobal), PreferenceValue(0.0));
        EXPECT_EQ(store.copyValue("com.apple.swipescrolldirection", kGlobal),
                  PreferenceValue(true));
        clone->setHIDProperty("HIDMouseAcceleration", std::int64_t{0});
        EXPECT_EQ(transform->transform().motionFactor, 0.25);
        EXPECT_TRUE(transform->transform().invertWheel);
        EXPECT_FALSE(std::filesystem::exists(config.path() / "config" / "kcminputrc"));
    }
}

TEST(KConfigFile, KeepsEverythingElseAndAddsWhatIsMissing) {
    TempDirectory dir;
    const auto file = dir.path() / "kcminputrc";
    tavix::testing::writeFile(
        file,
        "# comment\n[Mouse]\ncursorTheme=breeze_cursors\n\n"
        "[Libinput][1][2][Mouse]\nPointerAcceleration = 0.2\nLeftHanded=true\n");
    EXPECT_EQ(readKConfigEntry(file, "Libinput][1][2][Mouse", "PointerAcceleration"), "0.2");
    EXPECT_EQ(readKConfigEntry(file, "Mouse", "PointerAcceleration"), std::nullopt);
    ASSERT_TRUE(writeKConfigEntry(file, "Libinput][1][2][Mouse", "PointerAcceleration", "-0.5"));
    ASSERT_TRUE(writeKConfigEntry(file, "Libinput][3][4][Other", "NaturalScroll", "true"));
    EXPECT_EQ(tavix::testing::readFile(file),
              "# comment\n[Mouse]\ncursorTheme=breeze_cursors\n\n"
              "[Libinput][1][2][Mouse]\nPointerAcceleration=-0.5\nLeftHanded=true\n\n"
              "[Libinput][3][4][Other]\nNaturalScroll=true\n");
    // A file that does not exist yet, in a folder that does not either.
    ASSERT_TRUE(writeKConfigEntry(dir.path() / "new" / "kdeglobals", "KDE", "A", "1"));
    EXPECT_EQ(tavix::testing::readFile(dir.path() / "new" / "kdeglobals"), "[KDE]\nA=1\n");
}

// The user's file is never lost or changed in kind: what cannot be read is not replaced, a link
// is written through, the permissions stay, and an entry the administrator locked stays.
TEST(KConfigFile, NeverLosesOrReshapesTheUsersFile) {
    namespace fs = std::filesystem;
    TempDirectory dir;
    const auto unreadable = dir.path() / "kdeglobals";
    fs::create_directory(unreadable);  // opens, but reading it fails
    EXPECT_FALSE(writeKConfigEntry(unreadable, "KDE", "DoubleClickInterval", "400"));
    EXPECT_TRUE(fs::is_directory(unreadable));
    if (geteuid() != 0) {  // root reads everything
        const auto locked = dir.path() / "kcminputrc.locked";
        tavix::testing::writeFile(locked, "[Mouse]\nX=1\n");
        fs::permissions(locked, fs::perms::none);
        EXPECT_FALSE(writeKConfigEntry(locked, "Mouse", "Y", "2"));
        fs::permissions(locked, fs::perms::owner_read);
        EXPECT_EQ(tavix::testing::readFile(locked), "[Mouse]\nX=1\n");
    }

    const auto real = dir.path() / "dotfiles" / "kcminputrc";
    fs::create_directory(real.parent_path());
    tavix::testing::writeFile(real, "[Mouse]\nX=1\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    const auto link = dir.path() / "kcminputrc";
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeKConfigEntry(link, "Mouse", "Y", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(tavix::testing::readFile(real), "[Mouse]\nX=1\nY=2\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    tavix::testing::writeFile(real, "[KDE]\nDoubleClickInterval[$i]=400\n");
    EXPECT_FALSE(writeKConfigEntry(real, "KDE", "DoubleClickInterval", "900"));
    EXPECT_EQ(readKConfigEntry(real, "KDE", "DoubleClickInterval"), "400");

    // Nothing spills onto lines of its own.
    EXPECT_FALSE(writeKConfigEntry(real, "KDE]\n[Keyboard", "RepeatRate", "1"));
    EXPECT_FALSE(writeKConfigEntry(real, "KDE", "A", "1\nRepeatRate=1"));
    EXPECT_EQ(tavix::testing::readFile(real), "[KDE]\nDoubleClickInterval[$i]=400\n");
}

}  // namespace
}  // namespace tavix::platform::mouse

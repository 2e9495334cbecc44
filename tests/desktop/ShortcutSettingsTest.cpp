#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cstdlib>

#include "platform/linux/desktop/ShortcutSettings.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::platform::desktop {
namespace {

using output::KeyChord;
using tavix::testing::ScopedEnvironment;
using tavix::testing::TempDirectory;

// GSettings with schemas of the test's own and the in-memory backend: the user's dconf
// database is never opened.
TEST(GnomeShortcutSettings, ReadsTheFirstUsableAcceleratorAndSurvivesUnknownSchemas) {
    TempDirectory schemas;
    tavix::testing::writeFile(schemas.path() / "org.gnome.shell.keybindings.gschema.xml",
                              R"(<schemalist>
  <schema id="org.gnome.shell.keybindings" path="/org/gnome/shell/keybindings/">
    <key name="toggle-application-view" type="as"><default>['&lt;Hyper&gt;x', '&lt;Super&gt;a']</default></key>
    <key name="toggle-overview" type="as"><default>[]</default></key>
  </schema>
</schemalist>)");
    const std::string compile = "glib-compile-schemas " + schemas.path().string();
    if (std::system(compile.c_str()) != 0) GTEST_SKIP() << "no glib-compile-schemas";
    ScopedEnvironment dir("GSETTINGS_SCHEMA_DIR", schemas.path().c_str());
    ScopedEnvironment backend("GSETTINGS_BACKEND", "memory");
    ScopedEnvironment data("XDG_DATA_DIRS", schemas.path().c_str());

    GnomeShortcutSettings settings;
    EXPECT_EQ(settings.chord({"org.gnome.shell.keybindings", "toggle-application-view"}),
              (KeyChord{{KEY_LEFTMETA}, KEY_A}));
    EXPECT_EQ(settings.chord({"org.gnome.shell.keybindings", "toggle-overview"}), std::nullopt);
    EXPECT_EQ(settings.chord({"org.gnome.shell.keybindings", "no-such-key"}), std::nullopt);
    EXPECT_EQ(settings.chord({"org.example.NoSuchSchema", "show-desktop"}), std::nullopt);
}

// The schema GNOME installs, with its defaults (memory backend): the keys the desktop swipe
// reads exist under these names and their first accelerator is one a keyboard can type.
TEST(GnomeShortcutSettings, ReadsTheInstalledWorkspaceBindings) {
    ScopedEnvironment backend("GSETTINGS_BACKEND", "memory");
    GnomeShortcutSettings settings;
    const auto left = settings.chord({"org.gnome.desktop.wm.keybindings", "switch-to-workspace-left"});
    if (!left) GTEST_SKIP() << "GNOME's schemas are not installed (or another test's are loaded)";
    EXPECT_EQ(*left, (KeyChord{{KEY_LEFTMETA}, KEY_PAGEUP}));
    EXPECT_EQ(settings.chord({"org.gnome.desktop.wm.keybindings", "switch-to-workspace-right"}),
              (KeyChord{{KEY_LEFTMETA}, KEY_PAGEDOWN}));
}

TEST(KdeShortcutSettings, ReadsTheActiveShortcutOfTheRightComponent) {
    TempDirectory config;
    const auto file = config.path() / "kglobalshortcutsrc";
    tavix::testing::writeFile(file,
                              "[plasmashell]\n"
                              "Overview=Ctrl+F9,none,Not KWin\n"
                              "[kwin]\n"
                              "Overview=Meta+W,Meta+W,Toggle Overview\n"
                              "Show Desktop=none,Meta+D,Peek at Desktop\n"
                              "Expose=Nonsense Key\tCtrl+F10,Ctrl+F10,Toggle Present Windows\n"
                              "[services][org.kde.krunner.desktop]\n"
                              "_launch=Alt+F2\tSearch,Alt+Space,KRunner\n");
    KdeShortcutSettings settings(file);
    EXPECT_EQ(settings.chord({"kwin", "Overview"}), (KeyChord{{KEY_LEFTMETA}, KEY_W}));
    EXPECT_EQ(settings.chord({"kwin", "Expose"}), (KeyChord{{KEY_LEFTCTRL}, KEY_F10}));
    EXPECT_EQ(settings.chord({"services][org.kde.krunner.desktop", "_launch"}),
              (KeyChord{{KEY_LEFTALT}, KEY_F2}));
    EXPECT_EQ(settings.chord({"kwin", "Show Desktop"}), std::nullopt);  // unbound by the user
    EXPECT_EQ(settings.chord({"kwin", "Missing"}), std::nullopt);
    EXPECT_EQ(KdeShortcutSettings(config.path() / "absent").chord({"kwin", "Overview"}),
              std::nullopt);
}

}  // namespace
}  // namespace tavix::platform::desktop

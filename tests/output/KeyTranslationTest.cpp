#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "platform/linux/output/KeyTranslation.h"

namespace tavix::platform::output {
namespace {

constexpr EventFlags kShift = 0x20000;
constexpr EventFlags kOption = 0x80000;
constexpr EventFlags kCommand = kEventFlagMaskCommand;

KeyOutput chord(std::vector<uint16_t> modifiers, uint16_t key) {
    return KeyChord{std::move(modifiers), key};
}

TEST(KeyTranslation, CommandChordsBecomeCtrlChordsWithTheZoomAndSearchExceptions) {
    // Application zoom on the keypad keys, whatever the layout.
    EXPECT_EQ(translateKey(24, kCommand), chord({KEY_LEFTCTRL}, KEY_KPPLUS));
    EXPECT_EQ(translateKey(27, kCommand), chord({KEY_LEFTCTRL}, KEY_KPMINUS));
    // Search is the desktop's, never Ctrl+Space.
    EXPECT_EQ(translateKey(49, kCommand), KeyOutput{desktop::DesktopAction::spotlight});
    // Bits other than the modifiers do not change the match.
    EXPECT_EQ(translateKey(49, kCommand | 0x100), KeyOutput{desktop::DesktopAction::spotlight});

    // The exceptions are exact: other modifiers give the plain translation.
    EXPECT_EQ(translateKey(49, 0), chord({}, KEY_SPACE));
    EXPECT_EQ(translateKey(24, kCommand | kShift), chord({KEY_LEFTCTRL, KEY_LEFTSHIFT}, KEY_EQUAL));
    EXPECT_EQ(translateKey(0, kCommand | kOption), chord({KEY_LEFTCTRL, KEY_LEFTALT}, KEY_A));
    // Control and Command both mean Ctrl, held once.
    EXPECT_EQ(translateKey(8, kCommand | 0x40000), chord({KEY_LEFTCTRL}, KEY_C));
    EXPECT_EQ(translateKey(122, 0), chord({}, KEY_F1));
    EXPECT_EQ(translateKey(10, kCommand), std::nullopt);  // no key on an ANSI keyboard
    EXPECT_EQ(translateKey(999, 0), std::nullopt);
}

TEST(KeyChordParsing, ReadsTheShortcutSpellingsOfUsersAndDesktops) {
    EXPECT_EQ(parseKeyChord("Ctrl+KP_Add"), (KeyChord{{KEY_LEFTCTRL}, KEY_KPPLUS}));
    EXPECT_EQ(parseKeyChord(" meta + w "), (KeyChord{{KEY_LEFTMETA}, KEY_W}));
    EXPECT_EQ(parseKeyChord("Alt+F1"), (KeyChord{{KEY_LEFTALT}, KEY_F1}));
    EXPECT_EQ(parseKeyChord("Super"), (KeyChord{{}, KEY_LEFTMETA}));
    EXPECT_EQ(parseKeyChord("<Super>a"), (KeyChord{{KEY_LEFTMETA}, KEY_A}));
    EXPECT_EQ(parseKeyChord("<Primary><Alt>t"), (KeyChord{{KEY_LEFTCTRL, KEY_LEFTALT}, KEY_T}));
    for (const char* bad :
         {"", "Ctrl+", "Ctrl+Nope", "Hyper+A", "<Super", "<Super>", "A+B", "Ctrl+Alt", "+"}) {
        EXPECT_EQ(parseKeyChord(bad), std::nullopt) << bad;
    }
    const KeyChord chord{{KEY_LEFTCTRL, KEY_LEFTSHIFT}, KEY_KPMINUS};
    EXPECT_EQ(parseKeyChord(formatKeyChord(chord)), chord);
}

}  // namespace
}  // namespace tavix::platform::output

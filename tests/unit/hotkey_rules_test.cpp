#include "core/hotkey_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using hotkey::Verdict;

// Words as the hotkey field gives them: the virtual key in the low byte, the
// flags (1 Shift, 2 Ctrl, 4 Alt, 8 extended; 0x10 the program's Windows key)
// in the high byte. The registration's modifiers: 1 Alt, 2 Ctrl, 4 Shift.
struct Case {
    const char* name;
    std::uint32_t word;
    unsigned virtualKey, flags, modifiers;
    Verdict verdict;
    const char* registered;  // the status when the registration succeeds
    const char* held;        // and when another program holds the key
};

const Case kCases[] = {
    {"none: off", 0x0000, 0, 0, 0, Verdict::kOff, "", ""},
    {"modifiers alone, the key not yet pressed: off", 0x0600, 0, 6, 3, Verdict::kOff, "", ""},
    {"Ctrl+Q", 0x0251, 0x51, 2, 2, Verdict::kUsable, "", "Another program already uses this key."},
    {"Alt+F12", 0x047B, 0x7B, 4, 1, Verdict::kUsable, "", "Another program already uses this key."},
    {"Ctrl+Shift+Space", 0x0320, 0x20, 3, 6, Verdict::kUsable, "", "Another program already uses this key."},
    {"Ctrl+Alt+Shift+W: Shift keeps it off AltGr", 0x0757, 0x57, 7, 7, Verdict::kUsable, "",
     "Another program already uses this key."},
    {"Ctrl+Home, an extended key: the flag asks no modifier", 0x0A24, 0x24, 10, 2, Verdict::kUsable, "",
     "Another program already uses this key."},
    {"Ctrl+Alt+W: AltGr on many layouts", 0x0657, 0x57, 6, 3, Verdict::kAltGr, "Ctrl+Alt may be AltGr: add Shift.",
     "Another program already uses this key."},
    {"a bare key would take typing", 0x0041, 0x41, 0, 0, Verdict::kNeedsModifier, "Add Ctrl or Alt to the key.",
     "Add Ctrl or Alt to the key."},
    {"Shift+key would take typing", 0x0141, 0x41, 1, 4, Verdict::kNeedsModifier, "Add Ctrl or Alt to the key.",
     "Add Ctrl or Alt to the key."},
    {"an extended key alone", 0x0824, 0x24, 8, 0, Verdict::kNeedsModifier, "Add Ctrl or Alt to the key.",
     "Add Ctrl or Alt to the key."},
    {"the Windows key, even with Ctrl", 0x1251, 0x51, 0x12, 2, Verdict::kWindowsKey,
     "The Windows key cannot be used.", "The Windows key cannot be used."},
};

}  // namespace

TEST(HotkeyRules, DecodeJudgeAndSay) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const hotkey::Key key = hotkey::Decode(c.word);
        EXPECT_EQ(key, (hotkey::Key{c.virtualKey, c.flags}));
        EXPECT_EQ(hotkey::Encode(key), c.word);
        EXPECT_EQ(hotkey::RegistrationModifiers(key.flags), c.modifiers);
        EXPECT_EQ(hotkey::Judge(key), c.verdict);
        EXPECT_EQ(std::string(hotkey::StatusText(c.verdict, true)), c.registered);
        EXPECT_EQ(std::string(hotkey::StatusText(c.verdict, false)), c.held);
    }
}

// A stored value is a DWORD: bits above the field's two bytes are no part of
// the key, and nothing past a byte leaks into the other.
TEST(HotkeyRules, OnlyTheFieldsTwoBytesCount) {
    EXPECT_EQ(hotkey::Decode(0xFFFF0251), (hotkey::Key{0x51, 2}));
    EXPECT_EQ(hotkey::Encode({0x151, 0x102}), 0x0251u);
}

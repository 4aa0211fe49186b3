#include "core/hotkey_rules.h"

#include "core/texts.h"

namespace hotkey {

Key Decode(std::uint32_t word) { return {word & 0xFF, (word >> 8) & 0xFF}; }

std::uint32_t Encode(Key key) { return (key.virtualKey & 0xFF) | (key.flags & 0xFF) << 8; }

unsigned RegistrationModifiers(unsigned flags) {
    return (flags & kFlagShift ? kModShift : 0) | (flags & kFlagControl ? kModControl : 0) |
           (flags & kFlagAlt ? kModAlt : 0);
}

Verdict Judge(Key key) {
    if (!key.virtualKey) return Verdict::kOff;
    if (key.flags & kFlagWindows) return Verdict::kWindowsKey;
    if (!(key.flags & (kFlagControl | kFlagAlt))) return Verdict::kNeedsModifier;
    const unsigned altGr = kFlagControl | kFlagAlt;
    if ((key.flags & altGr) == altGr && !(key.flags & kFlagShift)) return Verdict::kAltGr;
    return Verdict::kUsable;
}

const char* StatusText(Verdict verdict, bool registered) {
    switch (verdict) {
        case Verdict::kOff: return "";
        case Verdict::kNeedsModifier: return texts::kHotkeyNeedsModifier;
        case Verdict::kWindowsKey: return texts::kHotkeyWindowsKey;
        case Verdict::kUsable:
        case Verdict::kAltGr: break;
    }
    if (!registered) return texts::kHotkeyHeld;
    return verdict == Verdict::kAltGr ? texts::kHotkeyAltGr : "";
}

}  // namespace hotkey

// The global hotkey that shows the search box: the word the platform's hotkey
// field gives (low byte the virtual key, high byte its modifier flags), which
// combinations may be used, and the modifiers the registration asks for.
// Plain numbers, so the rules are tested without Windows; the window layer
// checks them against the platform's headers.
#pragma once

#include <cstdint>

namespace hotkey {

// The hotkey field's flags (HOTKEYF_), in the word's high byte.
inline constexpr unsigned kFlagShift = 0x01;
inline constexpr unsigned kFlagControl = 0x02;
inline constexpr unsigned kFlagAlt = 0x04;
inline constexpr unsigned kFlagExtended = 0x08;  // an extended key (the right-hand block): no modifier
// The program's own: the field has no flag for the Windows key, and the
// system keeps that key's combinations for itself.
inline constexpr unsigned kFlagWindows = 0x10;

// The registration's modifiers (MOD_).
inline constexpr unsigned kModAlt = 0x0001;
inline constexpr unsigned kModControl = 0x0002;
inline constexpr unsigned kModShift = 0x0004;

struct Key {
    unsigned virtualKey = 0;  // 0: none, the hotkey is off
    unsigned flags = 0;
    bool operator==(const Key&) const = default;
};

// A stored or typed word; bits above the two bytes are no part of a key.
Key Decode(std::uint32_t word);
std::uint32_t Encode(Key key);

// The registration's modifiers for the field's flags.
unsigned RegistrationModifiers(unsigned flags);

enum class Verdict {
    kOff,            // no key: nothing registered
    kUsable,
    kAltGr,          // usable, but Ctrl+Alt is AltGr on many layouts: it takes characters
    kNeedsModifier,  // refused: a bare key or Shift+key would take the user's typing
    kWindowsKey,     // refused: the system's
};
Verdict Judge(Key key);
inline bool Registers(Verdict verdict) { return verdict == Verdict::kUsable || verdict == Verdict::kAltGr; }

// What the settings window says of a key: judged, then registered or not
// (another program holds it). Empty for a usable key registered.
const char* StatusText(Verdict verdict, bool registered);

}  // namespace hotkey

// Every text the program shows the user, outside the picture's failure
// messages (which keep their own table beside their kinds). The wording,
// spelling and letter case are the program's own; tests compare against these.
#pragma once

#include <string_view>

#include "version.h"

namespace texts {

// Windows and their controls.
inline constexpr char kMainCaption[] = "WHOIS Lookup";
inline constexpr char kLookupButton[] = "Lookup";
// The search box's initial text. Never looked up, never stored.
inline constexpr std::string_view kPlaceholder = "Enter domain, IP address or ASN";
// What a screen reader calls the search box, whatever text it holds.
inline constexpr char kSearchBoxName[] = "Domain, IP address or ASN";
inline constexpr char kSettingsCommand[] = "Settings...";
inline constexpr char kSettingsCaption[] = "FormSetting";
inline constexpr char kClearAutoCompleteButton[] = "Clear Auto Complete";
// Shown below the button only when the program's folder takes no files and
// the history is kept in the user's own folder.
inline constexpr char kHistoryKeptIn[] = "History is kept in:";
// What a screen reader calls the hotkey field; the label below it says what
// became of the key chosen, in at most two lines.
inline constexpr char kHotkeyName[] = "Hotkey that shows the search box";
inline constexpr char kHotkeyHeld[] = "Another program already uses this key.";
inline constexpr char kHotkeyAltGr[] = "Ctrl+Alt may be AltGr: add Shift.";
inline constexpr char kHotkeyNeedsModifier[] = "Add Ctrl or Alt to the key.";
inline constexpr char kHotkeyWindowsKey[] = "The Windows key cannot be used.";

// The notification area: the icon's tip and its menu.
inline constexpr char kTrayTip[] = "Click to restore Quorvane";
inline constexpr char kMenuWhoisLookup[] = "&Whois Lookup";
inline constexpr char kMenuBulkWhoisLookup[] = "Bulk Whois Lookup";
inline constexpr char kMenuAboutExit[] = "&About / Exit";

inline constexpr char kBulkCaption[] = "Bulk Whois Lookup Tool";
inline constexpr char kBulkLookupButton[] = "Bulk Lookup";
inline constexpr char kPleaseWait[] = "Please wait..";
// What a screen reader calls the bulk window's box.
inline constexpr char kBulkBoxName[] = "Domains, IP addresses or ASNs, one per line";
// Four example entries: two domain names, an IPv4 address and an AS number,
// all from the ranges kept for documentation.
inline constexpr char kBulkHint[] =
    "10 website at\r\nonce click\r\n\r\nexample : \r\nexample.com\r\nexample.org\r\n192.0.2.1\r\nAS64500";

inline constexpr char kAboutCaption[] = "About";
inline constexpr char kCloseWindowButton[] = "Close Window";
inline constexpr char kCheckUpdateButton[] = "Check Update";
inline constexpr char kExitButton[] = "Exit";
inline constexpr char kAboutTitle[] = "Quorvane v " QUORVANE_VERSION;
// "&&" shows one "&".
inline constexpr char kAboutDescription[] =
    "Tessaloon is intended to lookup almost\r\nall Whois domain, Whois IP, Whois ASN,\r\n"
    "check domain availability, geo IP Location,\r\nPR(Google Page rank) && Alexa rank";
// What a screen reader calls the logo: what it shows.
inline constexpr char kLogoName[] = "Quorvane logo: a magnifying glass on a blue disc";
inline constexpr char kCopyrightLink[] = "(c) Quorvane - tessaloon.com";

// Message boxes.
inline constexpr char kWarningCaption[] = "Warning";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kOkButton[] = "OK";
inline constexpr char kAlreadyRunning[] = "Program is already Running! Please check in Systray";
inline constexpr char kAutoCompleteCleared[] = "Auto complete cleared";
inline constexpr char kAutoCompleteNotCleared[] = "Auto complete fail to clear";

// The command line: "/?" shows the usage; a query that cannot be looked up is
// refused before anything starts.
inline constexpr char kCommandLineUsage[] =
    "Usage: Quorvane.exe [query]\r\n\r\n"
    "Looks up the query (a domain name, an IP address or an AS number) as Enter "
    "in the search box does. When a copy of the program runs already, that copy "
    "looks it up.";
// Followed by the query as the code page can show it.
inline constexpr std::string_view kQueryNotInCodePage =
    "The query on the command line has characters this system's code page cannot hold: ";
inline constexpr char kQueryTooLong[] = "The query on the command line is too long to look up.";

// Failure messages; the failure box adds the closing full stop.
inline constexpr char kCannotOpenClipboard[] = "Cannot open clipboard";
inline constexpr char kUnableToInsertLine[] = "Unable to insert a line";
inline constexpr char kStreamWriteError[] = "Stream write error";
inline constexpr char kUnexpectedFailure[] = "Unexpected failure";
// Followed by the quoted path, ". " and the system's text.
inline constexpr std::string_view kCannotOpenFile = "Cannot open file ";
inline constexpr std::string_view kCannotCreateFile = "Cannot create file ";
// "Unable To access URL "<address>", error code [<code>]."
inline constexpr std::string_view kUnableToAccessUrl = "Unable To access URL ";
inline constexpr std::string_view kErrorCode = ", error code [";

}  // namespace texts

// Addresses on the lookup service. The query goes into the address exactly as
// typed: not trimmed, not validated, not encoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/code_page.h"

inline constexpr std::string_view kServiceHost = "tessaloon.com";

std::string MakeLookupAddress(std::string_view query);
std::string ServiceHomeAddress();

// The address as it is handed to the shell. The shell passes it to the
// browser on a command line, where a double quote or a blank in the query
// would split it or smuggle in arguments; so in the query part, bytes below
// 0x21, 0x7F and " < > \ ^ ` { | } become %XX. Everything else stays as typed
// ("#", "?", "&", "/", "%" and bytes from 128 up included): the browser
// encodes those itself, so the service receives what the user typed. A
// character of two or more bytes passes whole, whatever its bytes: on code
// page 932 the trail byte of some characters is "\" or "|".
std::string ShellSafeAddress(std::string_view address, const CodePage& codePage);

// The longest address handed to the shell, in bytes. A longer one is not
// handed off at all, rather than cut: Wine's launcher fails on addresses
// from about 990 characters and overruns its own buffers from about 1,000,
// and real queries are far shorter (a domain name has at most 253 bytes).
inline constexpr std::size_t kMaxShellAddressLength = 960;
inline bool FitsShellAddressCap(std::string_view safeAddress) { return safeAddress.size() <= kMaxShellAddressLength; }
// Whether the query's lookup address, made shell-safe, is within the cap.
bool LookupAddressFits(std::string_view query, const CodePage& codePage);

// The error box's text when the shell could not open an address.
std::string UnableToAccessText(std::string_view address, long long code);

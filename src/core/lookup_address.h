// Addresses on the lookup service. The query goes into the address exactly as
// typed: not trimmed, not validated, not encoded.
#pragma once

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
// double-byte character passes whole, whatever its trail byte: on code page
// 932 the trail byte of some characters is "\" or "|". A lead byte before a
// byte that no code page takes as a trail (below 0x40) is no pair.
std::string ShellSafeAddress(std::string_view address, const LeadByteTest& isLeadByte = {});

// The error box's text when the shell could not open an address.
std::string UnableToAccessText(std::string_view address, long long code);

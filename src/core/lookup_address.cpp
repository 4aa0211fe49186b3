#include "core/lookup_address.h"

#include "core/texts.h"

namespace {

constexpr std::string_view kScheme = "http://";
constexpr std::string_view kLookupPath = "/whois/";

bool NeedsEscape(unsigned char c) {
    if (c < 0x21 || c == 0x7F) return true;
    switch (c) {
        case '"': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string MakeLookupAddress(std::string_view query) {
    std::string address;
    address.reserve(kScheme.size() + kServiceHost.size() + kLookupPath.size() + query.size());
    address.append(kScheme).append(kServiceHost).append(kLookupPath).append(query);
    return address;
}

std::string ServiceHomeAddress() { return std::string(kScheme).append(kServiceHost); }

std::string ShellSafeAddress(std::string_view address, const LeadByteTest& isLeadByte) {
    const std::string prefix = MakeLookupAddress("");
    if (address.substr(0, prefix.size()) != prefix) return std::string(address);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string safe(address.substr(0, prefix.size()));
    const std::string_view query = address.substr(prefix.size());
    for (size_t i = 0; i < query.size(); ++i) {
        const auto c = static_cast<unsigned char>(query[i]);
        // Trail bytes of every double-byte code page start at 0x40 and are
        // never DEL, so a lead byte before a blank, a quote, a control byte or
        // DEL is no pair, and that byte is escaped as usual.
        const unsigned char next = i + 1 < query.size() ? static_cast<unsigned char>(query[i + 1]) : 0;
        if (isLeadByte && isLeadByte(c) && next >= 0x40 && next != 0x7F) {
            safe += query.substr(i, 2);
            ++i;
        } else if (NeedsEscape(c)) {
            safe += '%';
            safe += kHex[c >> 4];
            safe += kHex[c & 15];
        } else {
            safe += static_cast<char>(c);
        }
    }
    return safe;
}

std::string UnableToAccessText(std::string_view address, long long code) {
    return std::string(texts::kUnableToAccessUrl) + '"' + std::string(address) + '"' + std::string(texts::kErrorCode) +
           std::to_string(code) + "].";
}

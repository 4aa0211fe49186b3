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

std::string ShellSafeAddress(std::string_view address, const CodePage& codePage) {
    const std::string prefix = MakeLookupAddress("");
    if (address.substr(0, prefix.size()) != prefix) return std::string(address);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string safe(address.substr(0, prefix.size()));
    const std::string_view query = address.substr(prefix.size());
    for (std::size_t i = 0, length; i < query.size(); i += length) {
        length = codePage.CharacterLength(query, i);
        const auto c = static_cast<unsigned char>(query[i]);
        if (length == 1 && NeedsEscape(c)) {
            safe += '%';
            safe += kHex[c >> 4];
            safe += kHex[c & 15];
        } else {
            safe += query.substr(i, length);
        }
    }
    return safe;
}

std::string UnableToAccessText(std::string_view address, long long code) {
    return std::string(texts::kUnableToAccessUrl) + '"' + std::string(address) + '"' + std::string(texts::kErrorCode) +
           std::to_string(code) + "].";
}

bool LookupAddressFits(std::string_view query, const CodePage& codePage) {
    return FitsShellAddressCap(ShellSafeAddress(MakeLookupAddress(query), codePage));
}

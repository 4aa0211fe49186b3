#include "core/lookup_address.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>


TEST(LookupAddress, ServiceAddresses) {
    EXPECT_EQ(MakeLookupAddress("example.com"), "http://tessaloon.com/whois/example.com");
    EXPECT_EQ(MakeLookupAddress("AS15169"), "http://tessaloon.com/whois/AS15169");
    EXPECT_EQ(ServiceHomeAddress(), "http://tessaloon.com");
}

TEST(LookupAddress, QueryIsAppendedExactlyAsTyped) {
    EXPECT_EQ(MakeLookupAddress(" a b "), "http://tessaloon.com/whois/ a b ");
    EXPECT_EQ(MakeLookupAddress("x#y?z&w/%41"), "http://tessaloon.com/whois/x#y?z&w/%41");
    EXPECT_EQ(MakeLookupAddress("m\xFCnchen.de"), "http://tessaloon.com/whois/m\xFCnchen.de");
    EXPECT_EQ(MakeLookupAddress(""), "http://tessaloon.com/whois/");
}

TEST(ShellSafeAddress, EscapesExactlyTheListedBytesInTheQuery) {
    const std::string prefix = "http://tessaloon.com/whois/";
    for (int c = 1; c < 256; ++c) {
        const std::string query(1, static_cast<char>(c));
        const std::string safe = ShellSafeAddress(MakeLookupAddress(query));
        const bool listed = c < 0x21 || c == 0x7F || std::string("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string::npos;
        if (listed) {
            char expected[4];
            std::snprintf(expected, sizeof expected, "%%%02X", c);
            EXPECT_EQ(safe, prefix + expected) << "byte " << c;
        } else {
            EXPECT_EQ(safe, prefix + query) << "byte " << c;
        }
    }
}

TEST(ShellSafeAddress, PastedTextWithQuoteAndBlanks) {
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress("a\"b c")), "http://tessaloon.com/whois/a%22b%20c");
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress(" example.com\t")),
              "http://tessaloon.com/whois/%20example.com%09");
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress("x\" --new-window \"y")),
              "http://tessaloon.com/whois/x%22%20--new-window%20%22y");
    // A typed percent sign is not an escape of ours and stays.
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress("%20")), "http://tessaloon.com/whois/%20");
}

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC.
TEST(ShellSafeAddress, DoubleByteCharactersPassWhole) {
    const auto lead932 = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    const struct {
        std::string query, escaped;
    } cases[] = {
        {"\x83\x5C", "\x83\x5C"},                // a character whose trail byte is a backslash
        {"\x83\x5C\\|", "\x83\x5C%5C%7C"},     // the same bytes alone are escaped
        {"\x81\x7C\x81\x7C", "\x81\x7C\x81\x7C"},
        {"\x83\"x", "\x83%22x"},                 // no trail: the quote is escaped
        {"\x83 ", "\x83%20"},
        {"\x83\x7F", "\x83%7F"},
        {"a\x83", "a\x83"},                       // a lead byte at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellSafeAddress(MakeLookupAddress(c.query), lead932), MakeLookupAddress(c.escaped)) << c.query;
}

TEST(ShellSafeAddress, HomeAddressIsUnchanged) {
    EXPECT_EQ(ShellSafeAddress(ServiceHomeAddress()), "http://tessaloon.com");
}

TEST(UnableToAccessText, QuotesTheAddressAndBracketsTheCode) {
    EXPECT_EQ(UnableToAccessText("http://tessaloon.com", 2),
              "Unable To access URL \"http://tessaloon.com\", error code [2].");
    EXPECT_EQ(UnableToAccessText("", 0), "Unable To access URL \"\", error code [0].");
}

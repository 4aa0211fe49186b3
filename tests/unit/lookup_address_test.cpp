#include "core/lookup_address.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "code_pages.h"

namespace {

const CodePage k1252 = CodePage::SingleByte();

}  // namespace

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
        const std::string safe = ShellSafeAddress(MakeLookupAddress(query), k1252);
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
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress("a\"b c"), k1252), "http://tessaloon.com/whois/a%22b%20c");
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress(" example.com\t"), k1252),
              "http://tessaloon.com/whois/%20example.com%09");
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress("x\" --new-window \"y"), k1252),
              "http://tessaloon.com/whois/x%22%20--new-window%20%22y");
    // A typed percent sign is not an escape of ours and stays.
    EXPECT_EQ(ShellSafeAddress(MakeLookupAddress("%20"), k1252), "http://tessaloon.com/whois/%20");
}

// A character of two or more bytes passes whole; a lead byte without its
// trail, or a UTF-8 sequence cut short, is a byte like any other.
TEST(ShellSafeAddress, MultiByteCharactersPassWhole) {
    const struct {
        std::string_view codePage;
        std::string query, escaped;
    } cases[] = {
        {"1252", "\x83\x5C", "\x83%5C"},
        {"932", "\x83\x5C", "\x83\x5C"},                // a character whose trail byte is a backslash
        {"932", "\x83\x5C\\|", "\x83\x5C%5C%7C"},     // the same bytes alone are escaped
        {"932", "\x81\x7C\x81\x7C", "\x81\x7C\x81\x7C"},
        {"932", "\x83\"x", "\x83%22x"},                   // no trail: the quote is escaped
        {"932", "\x83 ", "\x83%20"},
        {"932", "\x83\x7F", "\x83%7F"},
        {"932", "a\x83", "a\x83"},                         // a lead byte at the end
        {"936", "\x81\x7C|", "\x81\x7C%7C"},
        {"949", "\xC7\xD1 ", "\xC7\xD1%20"},
        {"950", "\xA5\x5C\\", "\xA5\x5C%5C"},
        {"950", "\xA5\"", "\xA5%22"},
        {"UTF-8", "\xE3\x81\x82\"", "\xE3\x81\x82%22"},
        {"UTF-8", "\xF0\x9F\x98\x80`", "\xF0\x9F\x98\x80%60"},
        {"UTF-8", "\xE3\"", "\xE3%22"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellSafeAddress(MakeLookupAddress(c.query), CodePageNamed(c.codePage)), MakeLookupAddress(c.escaped))
            << c.codePage << ' ' << c.query;
}

TEST(ShellSafeAddress, HomeAddressIsUnchanged) {
    EXPECT_EQ(ShellSafeAddress(ServiceHomeAddress(), k1252), "http://tessaloon.com");
}

// The cap counts the address as handed to the shell: escapes included.
TEST(LookupAddressFits, CountsTheShellSafeAddress) {
    const std::size_t room = kMaxShellAddressLength - MakeLookupAddress("").size();
    EXPECT_TRUE(LookupAddressFits(std::string(room, 'a'), k1252));
    EXPECT_FALSE(LookupAddressFits(std::string(room + 1, 'a'), k1252));
    EXPECT_TRUE(LookupAddressFits(std::string(room / 3, '"'), k1252));
    EXPECT_FALSE(LookupAddressFits(std::string(room / 3 + 1, '"'), k1252));
}

TEST(UnableToAccessText, QuotesTheAddressAndBracketsTheCode) {
    EXPECT_EQ(UnableToAccessText("http://tessaloon.com", 2),
              "Unable To access URL \"http://tessaloon.com\", error code [2].");
    EXPECT_EQ(UnableToAccessText("", 0), "Unable To access URL \"\", error code [0].");
}

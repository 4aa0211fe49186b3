#include "core/query_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(Trim("  example.com  "), "example.com");
    EXPECT_EQ(Trim("\t\r\n\x01 8.8.8.8 \x1F\x7F"), "8.8.8.8 \x1F\x7F");  // 127 is not <= 32
    EXPECT_EQ(Trim(std::string_view("\0a\0", 3)), "a");
}

TEST(Trim, KeepsInnerBlanksAndHighBytes) {
    EXPECT_EQ(Trim(" a b "), "a b");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // no-break space of code page 1252 is text
    EXPECT_EQ(Trim("\x81\x40"), "\x81\x40");
}

TEST(Trim, EmptyAndAllBlankGiveEmpty) {
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \t\r\n "), "");
    EXPECT_EQ(Trim(std::string(1000, ' ')), "");
}

TEST(Trim, ResultViewsTheInput) {
    const std::string text = "  AS15169 ";
    const std::string_view trimmed = Trim(text);
    EXPECT_EQ(trimmed.data(), text.data() + 2);
    EXPECT_EQ(trimmed.size(), 7u);
}

TEST(IsQueryText, RefusesEmptyBlankAndThePlaceholder) {
    EXPECT_FALSE(IsQueryText(""));
    EXPECT_FALSE(IsQueryText(" \t\r\n"));
    EXPECT_FALSE(IsQueryText("Enter domain, IP address or ASN"));
    EXPECT_FALSE(IsQueryText("  Enter domain, IP address or ASN\t"));
}

TEST(IsQueryText, PlaceholderTestIsExactAndCaseSensitive) {
    EXPECT_TRUE(IsQueryText("enter domain, ip address or asn"));
    EXPECT_TRUE(IsQueryText("Enter domain, IP address or ASN."));
    EXPECT_TRUE(IsQueryText("Enter domain,  IP address or ASN"));
    EXPECT_TRUE(IsQueryText(" example.com "));
    EXPECT_TRUE(IsQueryText("\xA0"));
}

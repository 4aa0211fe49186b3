#include "core/history_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;
using Lines = std::vector<std::string_view>;

// The list as the combo box keeps it: whole-entry lookup without regard to
// letter case, from the top.
class VectorList : public HistoryList {
public:
    explicit VectorList(Entries initial = {}) : entries(std::move(initial)) {}
    std::size_t Count() const override { return entries.size(); }
    bool ContainsIgnoringCase(std::string_view text) const override {
        return std::any_of(entries.begin(), entries.end(), [&](const std::string& e) {
            return std::equal(e.begin(), e.end(), text.begin(), text.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            });
        });
    }
    void KeepFirst(std::size_t count) override { entries.resize(std::min(count, entries.size())); }
    void InsertAtTop(std::string_view text) override {
        if (failInsert) throw EListInsertFailure();
        entries.insert(entries.begin(), std::string(text));
    }
    Entries entries;
    bool failInsert = false;
};

Entries Numbered(int count) {
    Entries entries;
    for (int i = 0; i < count; ++i) entries.push_back("entry" + std::to_string(i));
    return entries;
}

}  // namespace

TEST(CommitSearchText, NewTextGoesToTheTopUntrimmed) {
    VectorList list({"old"});
    EXPECT_TRUE(CommitSearchText(list, " example.com "));
    EXPECT_EQ(list.entries, (Entries{" example.com ", "old"}));
}

TEST(CommitSearchText, BlankAndPlaceholderAreRefused) {
    VectorList list;
    EXPECT_FALSE(CommitSearchText(list, ""));
    EXPECT_FALSE(CommitSearchText(list, " \t "));
    EXPECT_FALSE(CommitSearchText(list, "Enter domain, IP address or ASN"));
    EXPECT_FALSE(CommitSearchText(list, "  Enter domain, IP address or ASN  "));
    EXPECT_TRUE(list.entries.empty());
    EXPECT_TRUE(CommitSearchText(list, "enter domain, ip address or asn"));
    EXPECT_EQ(list.entries.size(), 1u);
}

TEST(CommitSearchText, CaseOnlyDuplicateKeepsItsPlaceAndCase) {
    VectorList list({"a.com", "Example.COM", "b.com"});
    EXPECT_FALSE(CommitSearchText(list, "example.com"));
    EXPECT_EQ(list.entries, (Entries{"a.com", "Example.COM", "b.com"}));
}

TEST(CommitSearchText, TrailingBlankMakesANewEntry) {
    VectorList list({"example.com"});
    EXPECT_TRUE(CommitSearchText(list, "example.com "));
    EXPECT_EQ(list.entries, (Entries{"example.com ", "example.com"}));
}

TEST(CommitSearchText, AtTheCapTheBottomEntryGoes) {
    VectorList list(Numbered(200));
    EXPECT_TRUE(CommitSearchText(list, "new"));
    ASSERT_EQ(list.entries.size(), 200u);
    EXPECT_EQ(list.entries.front(), "new");
    EXPECT_EQ(list.entries.back(), "entry198");

    VectorList below(Numbered(199));
    CommitSearchText(below, "new");
    EXPECT_EQ(below.entries.size(), 200u);
    EXPECT_EQ(below.entries.back(), "entry198");
}

TEST(CommitSearchText, ListAboveTheCapIsCutTo199BeforeTheInsert) {
    VectorList list(Numbered(250));
    EXPECT_TRUE(CommitSearchText(list, "new"));
    ASSERT_EQ(list.entries.size(), 200u);
    EXPECT_EQ(list.entries.front(), "new");
    EXPECT_EQ(list.entries.back(), "entry198");
    // A duplicate adds nothing and cuts nothing.
    VectorList unchanged(Numbered(250));
    EXPECT_FALSE(CommitSearchText(unchanged, "ENTRY3"));
    EXPECT_EQ(unchanged.entries.size(), 250u);
}

TEST(CommitSearchText, InsertFailurePropagates) {
    VectorList list({"a"});
    list.failInsert = true;
    try {
        CommitSearchText(list, "b");
        FAIL() << "no failure";
    } catch (const EListInsertFailure& failure) {
        EXPECT_STREQ(failure.what(), "Unable to insert a line");
    }
    EXPECT_EQ(list.entries, Entries{"a"});
}

TEST(ParseHistory, EveryLineEndEndsALine) {
    EXPECT_EQ(ParseHistory("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(ParseHistory("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(ParseHistory("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(ParseHistory("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(ParseHistory("a\n\rb"), (Lines{"a", "", "b"}));  // LF then a lone CR
}

TEST(ParseHistory, LastLineAndEmptyLines) {
    EXPECT_EQ(ParseHistory("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(ParseHistory("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ParseHistory("\r\n"), (Lines{""}));
    EXPECT_EQ(ParseHistory("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(ParseHistory(""), Lines{});
    EXPECT_EQ(ParseHistory(" a \r\n\tb"), (Lines{" a ", "\tb"}));  // nothing trimmed
}

TEST(ParseHistory, ZeroByteEndsTheReading) {
    EXPECT_EQ(ParseHistory(std::string_view("a\r\nb\0c\r\nd", 10)), (Lines{"a", "b"}));
    EXPECT_EQ(ParseHistory(std::string_view("\0a", 2)), Lines{});
}

TEST(ParseHistory, DuplicatesAndLongListsAreKept) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += "same\r\n";
    EXPECT_EQ(ParseHistory(bytes).size(), 1000u);
}

// What a load takes from the start of the file read so far: nothing known
// yet, or the bytes of its first lines, which parse to its first entries.
TEST(LoadedLines, FirstLinesOrAZeroByteOrMoreToRead) {
    const struct {
        std::string_view start;
        std::size_t count;
        std::optional<std::string_view> loaded;
    } kRows[] = {
        {"a\nb\nc", 2, "a\nb\n"},
        {"a\r\nb\r\nc\r\n", 2, "a\r\nb\r\n"},
        {"a\rb\rc", 2, "a\rb\r"},
        {"\r\r\n\n\n", 3, "\r\r\n\n"},  // CR, CR LF, LF
        {"a\r\nb\r", 2, "a\r\nb\r"},      // an LF may follow: the same entries
        {"\n\n\n\n", 2, "\n\n"},
        {"a\r\nb", 2, std::nullopt},  // the second line may go on
        {"a\r\n", 2, std::nullopt},
        {"", 1, std::nullopt},
        {std::string_view("a\nb\0c\n\n", 7), 5, "a\nb"},  // nothing after a zero byte loads
        {std::string_view("\0\n", 2), 1, ""},
        {"a\nb\n", 0, ""},
    };
    for (const auto& row : kRows) {
        EXPECT_EQ(LoadedLines(row.start, row.count), row.loaded) << row.start << " " << row.count;
        if (row.loaded && row.count > 0) {
            const Lines all = ParseHistory(row.start), first = ParseHistory(*row.loaded);
            EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin(), all.begin() + first.size()));
        }
    }
}

TEST(SerializeHistory, CrLfAfterEveryEntryAndNothingForAnEmptyList) {
    EXPECT_EQ(SerializeHistory({}), "");
    EXPECT_EQ(SerializeHistory({"a", "", " b "}), "a\r\n\r\n b \r\n");
}

TEST(SerializeHistory, RoundTripsAnyList) {
    std::mt19937 random(12345);
    const std::string alphabet = std::string("aB9 .-\t\xE9\xFF\x81") + '\x7F';
    for (int round = 0; round < 200; ++round) {
        Entries entries(random() % 20);
        for (std::string& entry : entries) {
            const std::size_t length = random() % 12;
            for (std::size_t i = 0; i < length; ++i) entry += alphabet[random() % alphabet.size()];
        }
        const std::string bytes = SerializeHistory(entries);
        const Lines lines = ParseHistory(bytes);
        EXPECT_EQ(Entries(lines.begin(), lines.end()), entries);
    }
}

TEST(FileFailures, MessagesQuoteThePathAndTheSystemText) {
    EXPECT_STREQ(EFileOpenFailure("C:\\Q\\History.txt", "Access denied").what(),
                 "Cannot open file \"C:\\Q\\History.txt\". Access denied");
    EXPECT_STREQ(EFileCreateFailure("C:\\Q\\History.txt", "Disk full").what(),
                 "Cannot create file \"C:\\Q\\History.txt\". Disk full");
}

#include "core/completion_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code_pages.h"
#include "completion_box.h"

namespace {

Box Examples() { return Box({"Abc1", "abc", "xyz"}); }

}  // namespace

TEST(Completion, TypedPartKeepsItsCaseTheRestIsSelected) {
    Box box = Examples();
    EXPECT_TRUE(box.Type('a').consumed);
    EXPECT_EQ(box.text, "abc1");
    EXPECT_EQ(box.start, 1u);
    EXPECT_EQ(box.end, 4u);
    EXPECT_EQ(box.current, 0);

    Box upper = Examples();
    upper.Type('X');
    EXPECT_EQ(upper.text, "Xyz");
    EXPECT_EQ(upper.start, 1u);
    EXPECT_EQ(upper.end, 3u);
    EXPECT_EQ(upper.current, 2);
}

TEST(Completion, TypingOnKeepsTheFirstMatchFromTheTop) {
    Box box = Examples();
    box.TypeText("abc");
    EXPECT_EQ(box.text, "abc1");  // 'abc' further down is not offered
    EXPECT_EQ(box.start, 3u);
    EXPECT_EQ(box.end, 4u);
    EXPECT_EQ(box.current, 0);
}

TEST(Completion, BackspaceRemovesTheSelectionThenOneCharacter) {
    Box box = Examples();
    box.TypeText("abc");
    EXPECT_TRUE(box.Type(kBackspace).consumed);
    EXPECT_EQ(box.text, "abc");
    EXPECT_EQ(box.start, 3u);
    EXPECT_EQ(box.end, 3u);
    EXPECT_EQ(box.current, -1);
    box.Type(kBackspace);
    EXPECT_EQ(box.text, "ab");
    EXPECT_EQ(box.start, 2u);
}

TEST(Completion, BackspaceOnEmptyTextChangesNothingAndAtTheStartOnlyClearsTheEntry) {
    Box box = Examples();
    const CompletionResult r = box.Type(kBackspace);
    EXPECT_TRUE(r.consumed);
    EXPECT_FALSE(r.changed);
    box.text = "abc";
    box.start = box.end = 0;
    box.current = 1;
    EXPECT_TRUE(box.Type(kBackspace).consumed);
    EXPECT_EQ(box.text, "abc");
    EXPECT_EQ(box.start, 0u);
    EXPECT_EQ(box.current, -1);
}

TEST(Completion, UnmatchedCharacterReplacesTheSelection) {
    Box box = Examples();
    box.Type('a');
    const CompletionResult r = box.Type('q');
    EXPECT_FALSE(r.consumed);
    EXPECT_EQ(box.text, "aq");
    EXPECT_EQ(box.start, 2u);
}

TEST(Completion, EmptyHistoryCompletesNothing) {
    Box box({});
    box.TypeText("abc");
    EXPECT_EQ(box.text, "abc");
    EXPECT_EQ(box.start, 3u);
    EXPECT_EQ(box.end, 3u);
}

TEST(Completion, EnterTabAndEscapeGoOn) {
    Box box = Examples();
    box.Type('a');
    for (char c : {'\r', kTab, kEscape}) {
        const CompletionResult r = CompleteKey({box.text, box.start, box.end, std::string_view(&c, 1)},
                                               [](std::string_view) { return std::optional<HistoryMatch>(); },
                                               CodePage::SingleByte());
        EXPECT_FALSE(r.consumed) << int(c);
        EXPECT_FALSE(r.changed) << int(c);
    }
}

TEST(Completion, CaretInsideTheTextCompletesNothing) {
    Box box = Examples();
    box.text = "xz";
    box.start = box.end = 1;
    const CompletionResult r = box.Type('y');
    EXPECT_FALSE(r.consumed);
    EXPECT_EQ(box.text, "xyz");
    EXPECT_EQ(box.current, -1);
}

TEST(Completion, SelectionBeforeTheEndUsesTheTextBeforeIt) {
    Box box = Examples();
    box.text = "abzz";
    box.start = 1;
    box.end = 2;  // 'b' selected, 'zz' after it
    box.Type('b');
    EXPECT_EQ(box.text, "abc1");
    EXPECT_EQ(box.start, 2u);
    EXPECT_EQ(box.end, 4u);
}

TEST(Completion, SelectionOutsideTheTextIsBounded) {
    const CompletionResult r = CompleteKey({"ab", 7, 9, "\b"}, [](std::string_view) { return std::optional<HistoryMatch>(); },
                                           CodePage::SingleByte());
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(r.text, "a");
}

// A typed character arrives whole; a lead byte alone, or a character that no
// entry begins with, goes on to the text field.
TEST(Completion, DoubleByteCharacterCompletesWhole) {
    // "あい" and "ソ" (whose trail byte is 0x5C) in code page 932.
    const std::vector<std::string> entries = {"\x82\xA0\x82\xA2", "\x83\x5C\x83\x74\x83\x67"};
    Box box(entries, CodePageNamed("932"));
    EXPECT_TRUE(box.Type("\x82\xA0").consumed);
    EXPECT_EQ(box.text, "\x82\xA0\x82\xA2");
    EXPECT_EQ(box.start, 2u);
    EXPECT_EQ(box.end, 4u);

    Box second(entries, CodePageNamed("932"));
    second.Type("\x83\x5C");
    EXPECT_EQ(second.text, "\x83\x5C\x83\x74\x83\x67");
    EXPECT_EQ(second.current, 1);
}

TEST(Completion, LeadByteAloneOrWithoutAMatchGoesOn) {
    Box box({"\x82\xA0"}, CodePageNamed("932"));
    EXPECT_FALSE(box.Type('\x82').consumed);
    Box other({"\x82\xA0"}, CodePageNamed("932"));
    EXPECT_FALSE(other.Type("\x82\xA2").consumed);
}

TEST(Completion, BackspaceRemovesADoubleByteCharacterWhole) {
    Box box({}, CodePageNamed("932"));
    box.text = "a\x83\x5C";  // the trail byte looks like a backslash
    box.start = box.end = 3;
    box.Type(kBackspace);
    EXPECT_EQ(box.text, "a");
    EXPECT_EQ(box.start, 1u);
    box.text = "\x82\xA0\x82\xA2";
    box.start = box.end = 2;
    box.Type(kBackspace);
    EXPECT_EQ(box.text, "\x82\xA2");
    EXPECT_EQ(box.start, 0u);
}

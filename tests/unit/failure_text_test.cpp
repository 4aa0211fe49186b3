#include "core/failure_text.h"

#include <gtest/gtest.h>

TEST(FailureBoxText, AddsFullStopAfterLettersDigitsAndQuestionMark) {
    EXPECT_EQ(FailureBoxText("Unable to insert a line"), "Unable to insert a line.");
    EXPECT_EQ(FailureBoxText("error code 5"), "error code 5.");
    EXPECT_EQ(FailureBoxText("What now?"), "What now?.");
    EXPECT_EQ(FailureBoxText("x"), "x.");
    // Bytes from 128 up sort after "." as unsigned characters.
    EXPECT_EQ(FailureBoxText("caf\xE9"), "caf\xE9.");
}

TEST(FailureBoxText, NoFullStopAfterPunctuationThatSortsBeforeIt) {
    EXPECT_EQ(FailureBoxText("Stream write error."), "Stream write error.");
    EXPECT_EQ(FailureBoxText("Stop!"), "Stop!");
    EXPECT_EQ(FailureBoxText("(see above)"), "(see above)");
    EXPECT_EQ(FailureBoxText("Cannot open file \"C:\\a b\""), "Cannot open file \"C:\\a b\"");
    EXPECT_EQ(FailureBoxText("ends in a blank "), "ends in a blank ");
    EXPECT_EQ(FailureBoxText("line\r\n"), "line\r\n");
}

TEST(FailureBoxText, EmptyMessageStaysEmpty) { EXPECT_EQ(FailureBoxText(""), ""); }

TEST(TrimSystemText, DropsTrailingFullStopsBlanksAndLineBreaks) {
    EXPECT_EQ(TrimSystemText("The process cannot access the file.\r\n"),
              "The process cannot access the file");
    EXPECT_EQ(TrimSystemText("Access is denied. . \r\n"), "Access is denied");
    EXPECT_EQ(TrimSystemText(""), "");
}

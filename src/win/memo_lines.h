// The lines of a multi-line edit control as the control itself counts them:
// display lines, so a line that wraps at the control's width is two or more.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class MemoLines {
public:
    explicit MemoLines(HWND edit) : edit_(edit) {}

    // Display lines, less one when the last is empty: text ending with a line
    // break, or no text at all, has no final empty line.
    int Count() const;
    // Display line `index` without its line break; past the end, empty.
    std::string Line(int index) const;
    // Replaces exactly the characters of display line `index`, keeping the
    // line break after it; past the end, nothing changes.
    void Replace(int index, const std::string& text);

    // Display lines, the empty last one included.
    int DisplayLines() const;

private:

    HWND edit_;
};

// Sets the text of a multi-line edit control in pieces of at most a few
// thousand characters of any one line, the view and caret at the start. For each display line of a line that
// wraps the control measures all the rest of that line, so setting a long
// line at once takes time quadratic in its length; added at the end, each
// piece is measured on its own.
void SetMemoText(HWND edit, std::wstring_view text);

#pragma once

#include <string>
#include <string_view>

// The text the failure box shows for a failure's message: a full stop is
// added when the message is not empty and its last character sorts after "."
// (letters, digits, "?"), so "!", ")", a double quote or "." itself get none.
std::string FailureBoxText(std::string_view message);

// The system's text for an error as the failure messages quote it: trailing
// full stops, blanks and line breaks removed.
std::string TrimSystemText(std::string_view text);

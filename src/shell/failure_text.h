#pragma once

#include <string>
#include <string_view>

// The text the failure box shows for a failure's message: a full stop is
// added when the message is not empty and its last character sorts after "."
// (letters, digits, "?"), so "!", ")", a double quote or "." itself get none.
std::string FailureBoxText(std::string_view message);

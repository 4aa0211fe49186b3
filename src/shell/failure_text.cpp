#include "shell/failure_text.h"

std::string FailureBoxText(std::string_view message) {
    std::string text(message);
    // Compared as unsigned bytes, so characters from 128 up also sort after ".".
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

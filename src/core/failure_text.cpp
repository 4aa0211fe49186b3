#include "core/failure_text.h"

std::string FailureBoxText(std::string_view message) {
    std::string text(message);
    // Compared as unsigned bytes, so characters from 128 up also sort after ".".
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string TrimSystemText(std::string_view text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\r' ||
                             text.back() == '\n' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

#include "core/history_rules.h"

#include "core/query_text.h"

bool CommitSearchText(HistoryList& list, std::string_view text) {
    if (!IsQueryText(text)) return false;
    if (list.ContainsIgnoringCase(text)) return false;
    while (list.Count() >= kHistoryCap) list.RemoveLast();
    list.InsertAtTop(text);
    return true;
}

std::string SerializeHistory(const std::vector<std::string>& entries) {
    std::size_t size = 0;
    for (const std::string& entry : entries) size += entry.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& entry : entries) bytes.append(entry).append("\r\n");
    return bytes;
}

std::vector<std::string_view> ParseHistory(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string_view> entries;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            entries.emplace_back(bytes.substr(start));
            break;
        }
        entries.emplace_back(bytes.substr(start, end - start));
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return entries;
}

std::string_view CompleteLines(std::string_view part) {
    return part.substr(0, part.find_last_of("\r\n") + 1);  // npos + 1: nothing
}

std::optional<std::string_view> LoadedLines(std::string_view start, std::size_t count) {
    constexpr std::string_view kLineEndOrZero("\r\n\0", 3);
    if (count == 0) return start.substr(0, 0);
    for (std::size_t i = 0, lines = 0;; ++i) {
        i = start.find_first_of(kLineEndOrZero, i);
        if (i == std::string_view::npos) return std::nullopt;
        if (start[i] == '\0') return start.substr(0, i);
        // CR LF is one line end, counted at its LF. A CR last may yet be
        // followed by an LF, which the lines taken do not need.
        if (start[i] == '\r' && i + 1 < start.size() && start[i + 1] == '\n') continue;
        if (++lines == count) return start.substr(0, i + 1);
    }
}

EFileOpenFailure::EFileOpenFailure(std::string_view path, std::string_view systemText)
    : Failure(std::string(texts::kCannotOpenFile) + '"' + std::string(path) + "\". " + std::string(systemText)) {}

EFileCreateFailure::EFileCreateFailure(std::string_view path, std::string_view systemText)
    : Failure(std::string(texts::kCannotCreateFile) + '"' + std::string(path) + "\". " + std::string(systemText)) {}

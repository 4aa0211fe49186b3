#include "core/history_rules.h"

#include "core/query_text.h"

bool CommitSearchText(HistoryList& list, std::string_view text) {
    if (!IsQueryText(text)) return false;
    if (list.ContainsIgnoringCase(text)) return false;
    if (list.Count() >= kHistoryCap) list.KeepFirst(kHistoryCap - 1);
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

namespace {

// The line that starts at `start`: where its text ends (at a CR, an LF, a zero
// byte or the end of the bytes) and where the next line starts (after CR LF,
// a lone CR or a lone LF; nowhere else: `next` equals `end`). A plain loop:
// a search for a set of bytes tries each byte against each member.
struct Line {
    std::size_t end, next;
};

Line LineAt(std::string_view bytes, std::size_t start) {
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n' && bytes[end] != '\0') ++end;
    if (end == bytes.size() || bytes[end] == '\0') return {end, end};
    const bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
    return {end, end + (crLf ? 2 : 1)};
}

}  // namespace

std::vector<std::string_view> ParseHistory(std::string_view bytes) {
    std::vector<std::string_view> entries;
    for (std::size_t start = 0; start < bytes.size() && bytes[start] != '\0';) {
        const Line line = LineAt(bytes, start);
        entries.emplace_back(bytes.substr(start, line.end - start));
        if (line.next == line.end) break;
        start = line.next;
    }
    return entries;
}

std::string_view CompleteLines(std::string_view part) {
    return part.substr(0, part.find_last_of("\r\n") + 1);  // npos + 1: nothing
}

std::optional<std::string_view> LoadedLines(std::string_view start, std::size_t count) {
    if (count == 0) return start.substr(0, 0);
    std::size_t next = 0;
    for (std::size_t lines = 0; next < start.size() && start[next] != '\0';) {
        const Line line = LineAt(start, next);
        if (line.end == start.size()) return std::nullopt;  // the line may go on
        if (line.next == line.end) return start.substr(0, line.end);  // a zero byte
        // A CR last may yet be followed by an LF, which the lines taken do not need.
        if (++lines == count) return start.substr(0, line.next);
        next = line.next;
    }
    if (next < start.size()) return start.substr(0, next);  // a zero byte
    return std::nullopt;
}

EFileOpenFailure::EFileOpenFailure(std::string_view path, std::string_view systemText)
    : Failure(std::string(texts::kCannotOpenFile) + '"' + std::string(path) + "\". " + std::string(systemText)) {}

EFileCreateFailure::EFileCreateFailure(std::string_view path, std::string_view systemText)
    : Failure(std::string(texts::kCannotCreateFile) + '"' + std::string(path) + "\". " + std::string(systemText)) {}

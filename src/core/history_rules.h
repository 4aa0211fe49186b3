// The search history's rules: the commit of a typed text, and the History.txt
// format. The list itself is the search box's own; the rules see it through
// the few operations they need.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"

inline constexpr std::size_t kHistoryCap = 200;

// The list as the commit sees it. The lookup compares whole entries without
// regard to letter case, the way the platform's list does.
class HistoryList {
public:
    virtual ~HistoryList() = default;
    virtual std::size_t Count() const = 0;
    virtual bool ContainsIgnoringCase(std::string_view text) const = 0;
    // Removes entries from the bottom until `count` are left.
    virtual void KeepFirst(std::size_t count) = 0;
    // Throws EListInsertFailure when the list cannot take the entry.
    virtual void InsertAtTop(std::string_view text) = 0;
};

// Adds the text, untrimmed, at the top, unless it is blank, the placeholder,
// or already an entry in another letter case. At the cap the bottom entries go
// first, so the list never holds more than the cap after a commit (a list read
// from a hand-edited file may start above it). Returns whether it was added.
bool CommitSearchText(HistoryList& list, std::string_view text);

// History.txt: every entry followed by CR LF; no header, no byte-order mark.
std::string SerializeHistory(const std::vector<std::string>& entries);
// CR LF, a lone CR and a lone LF all end a line; a last line without an end is
// an entry; a final line end adds no empty entry; a zero byte ends the reading.
// The entries are views into the bytes, each followed there by the byte that
// ended it (none after the very last byte).
std::vector<std::string_view> ParseHistory(std::string_view bytes);

// The most of History.txt ever read: far more than 200 entries need, and a
// bound on what a damaged or hostile file costs. What is loaded is held about
// three times at start-up (the bytes read, and the list's own copy in wide
// characters), so this keeps a file of long lines within about 12 MiB.
inline constexpr std::size_t kHistoryReadLimit = std::size_t{4} << 20;
// The most lines a load takes: the first ones, in order; the rest of the file
// is neither loaded nor saved again. A file the program wrote holds 200; a
// hand-edited one may hold more, until the first commit cuts the list to 200.
// Without this bound a file of line breaks alone would be millions of empty
// entries: each costs the list a message and an allocation at start-up, and
// the first commit would remove them one by one.
inline constexpr std::size_t kHistoryLoadCap = 10000;
// Of a file read only in part: the lines that end within the part, that is
// the bytes up to its last CR or LF (none: empty). They parse to the first
// entries of the whole file.
std::string_view CompleteLines(std::string_view part);
// Of the start of History.txt read so far: the bytes that hold everything a
// load takes from the file, once they are known, that is its first `count`
// lines up to the line end of the last, or all before a zero byte, whichever
// comes first. Until then (more must be read): nullopt.
std::optional<std::string_view> LoadedLines(std::string_view start, std::size_t count);

// The failure kinds of the history.
class EListInsertFailure : public Failure {
public:
    EListInsertFailure() : Failure(texts::kUnableToInsertLine) {}
};

class EStreamWriteFailure : public Failure {
public:
    EStreamWriteFailure() : Failure(texts::kStreamWriteError) {}
};

// "Cannot open file "<path>". <system text>"
class EFileOpenFailure : public Failure {
public:
    EFileOpenFailure(std::string_view path, std::string_view systemText);
};

// "Cannot create file "<path>". <system text>"
class EFileCreateFailure : public Failure {
public:
    EFileCreateFailure(std::string_view path, std::string_view systemText);
};

// A line of a pasted list turned into the entry that is looked up: an address
// copied from a browser becomes its host name, so whole lists of links can be
// pasted as they are.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/code_page.h"

// Lower-cases text in place, keeping its length (the program passes the
// platform's locale-aware conversion; tests pass a fixed table).
using LowerCaseInPlace = std::function<void(std::string&)>;

// One whole character in, its lower-case form out.
using LowerCharacter = std::function<std::string(std::string_view character)>;

// Lower-cases `text` character by character. A character whose lower-case
// form has another length stays as it is: the text keeps its length, and no
// character is split or made of the bytes of two.
void LowerEachCharacter(std::string& text, const CodePage& codePage, const LowerCharacter& lowerCharacter);

// Deletes the leftmost occurrence of `pattern` (exact, case-sensitive, whole
// characters: it starts and ends between characters of the text as it then
// stands), puts `replacement` in its place and searches again from the start,
// until none is left. An empty pattern leaves the text as it is. The
// replacement must not keep forming new occurrences: one that contains the
// pattern never ends. With an empty replacement it takes time linear in the
// text's length.
std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement,
                       const CodePage& codePage);

// In this order: every blank (' ') removed; every "http://" and "https://",
// letters in any case, removed; every "www." (exact) removed; the text cut at
// the first "==", then at the first '/'; the rest lower-cased. Each removal
// searches again from the start, so an occurrence that a removal forms is
// removed too. Every match is of whole characters. Linear in the line's
// length.
std::string NormalizeEntry(std::string_view line, const CodePage& codePage, const LowerCaseInPlace& lowerCase);

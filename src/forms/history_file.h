// History.txt beside the executable: read whole, replaced whole. Its path is
// a wide-character string, its content ANSI bytes.
#pragma once

#include <string>
#include <vector>

class HistoryFile {
public:
    // The file "History.txt" in the folder (with or without a final separator).
    explicit HistoryFile(std::wstring folder);

    const std::wstring& Path() const { return path_; }
    bool Exists() const;
    // The bytes of the lines a load takes: at most the first 10,000 lines
    // within the first 4 MiB (of a longer file, up to the last line end
    // within them); empty when there is no file. Throws EFileOpenFailure when
    // it exists and cannot be read.
    std::string Read() const;
    // Writes the bytes to a new file first, which then replaces History.txt in
    // one step, so a failed write leaves the old file as it was. Throws
    // EFileCreateFailure or EStreamWriteFailure.
    void Replace(const std::string& bytes) const;
    // Deletes the file, if there is one; false when it stays.
    bool Delete() const;

private:
    // The path as a failure box shows it: a character that has no form in
    // the ANSI code page becomes the code page's nearest or default one.
    std::string ShownPath() const;

    std::wstring path_;
};

// History.txt: read whole, replaced whole. Its path is a wide-character
// string, its content ANSI bytes.
#pragma once

#include <string>

// Where History.txt is kept: beside the program when the program's folder
// takes new files, as a portable copy expects; otherwise in the user's own
// folder for the program under the local application data, which takes the
// file beside the program as its start the first time it is made.
struct HistoryPlace {
    std::wstring folder;
    bool besideProgram = true;
};
HistoryPlace ChooseHistoryPlace(const std::wstring& programFolder, bool programFolderWritable,
                                const std::wstring& userFolder);
// The place for this run: the executable's folder, tried by making a file in it.
HistoryPlace HistoryPlaceForProgram();

class HistoryFile {
public:
    // The file "History.txt" in the folder (with or without a final separator).
    explicit HistoryFile(std::wstring folder);

    const std::wstring& Path() const { return path_; }
    // False only when the system says there is no such file (or a folder
    // stands there): an error of any other kind may hide a file.
    bool Exists() const;
    // The bytes of the lines a load takes: at most the first 10,000 lines
    // within the first 4 MiB (of a longer file, up to the last line end
    // within them); empty when there is no file. Throws EFileOpenFailure when
    // it exists and cannot be read.
    std::string Read() const;
    // Writes the bytes to a new file first, which then replaces History.txt in
    // one step (with its attributes and access list), so a failed write, or a
    // process ended at any moment, leaves the old file as it was. A History.txt that another program holds
    // for a moment is tried again for about a second. Throws
    // EFileCreateFailure (naming the file that could not be made or
    // replaced) or EStreamWriteFailure.
    void Replace(const std::string& bytes) const;
    // Deletes the file, if there is one; false when it stays.
    bool Delete() const;

private:
    std::wstring path_;
};

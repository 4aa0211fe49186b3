#include "forms/history_file.h"

#include <windows.h>

#include <algorithm>

#include "core/history_rules.h"
#include "win/files.h"
#include "win/handles.h"

namespace {
constexpr char kHistoryFileName[] = "History.txt";
constexpr char kReplacementSuffix[] = ".new";
// Whole-file transfers go in pieces a single call can take.
constexpr size_t kPiece = size_t{1} << 30;
}  // namespace

HistoryFile::HistoryFile(std::string folder) : path_(std::move(folder)) {
    if (!path_.empty() && path_.back() != '\\' && path_.back() != '/') path_ += '\\';
    path_ += kHistoryFileName;
}

bool HistoryFile::Exists() const { return IsFile(path_); }

std::string HistoryFile::Read() const {
    if (!Exists()) return {};
    const UniqueKernelHandle file = FileHandle(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                           OPEN_EXISTING,
                                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw EFileOpenFailure(path_, SystemErrorText(GetLastError()));
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    const bool cut = static_cast<unsigned long long>(size.QuadPart) > kHistoryReadLimit;
    std::string bytes(cut ? kHistoryReadLimit : static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
        if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr))
            throw EFileOpenFailure(path_, SystemErrorText(GetLastError()));
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    if (cut) bytes.resize(CompleteLines(bytes).size());
    return bytes;
}

void HistoryFile::Replace(const std::string& bytes) const {
    const std::string replacement = path_ + kReplacementSuffix;
    UniqueKernelHandle file = FileHandle(
        CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EFileCreateFailure(path_, SystemErrorText(GetLastError()));
    // Any write that does not take every byte, including the flush to disk,
    // is a write error; History.txt itself has not been touched.
    bool complete = true;
    for (size_t done = 0; complete && done < bytes.size();) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
        complete = WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr) && written > 0;
        done += written;
    }
    complete = complete && FlushFileBuffers(file.Get());
    if (!CloseHandle(file.Release()) || !complete) {
        DeleteFileA(replacement.c_str());
        throw EStreamWriteFailure();
    }
    if (!MoveFileExA(replacement.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(replacement.c_str());
        throw EFileCreateFailure(path_, SystemErrorText(error));
    }
}

bool HistoryFile::Delete() const { return !Exists() || DeleteFileA(path_.c_str()); }

#include "forms/history_file.h"

#include <windows.h>

#include <algorithm>

#include "core/history_rules.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/window_text.h"

namespace {
constexpr wchar_t kHistoryFileName[] = L"History.txt";
constexpr wchar_t kReplacementSuffix[] = L".new";
// Whole-file transfers go in pieces a single call can take.
constexpr size_t kPiece = size_t{1} << 30;
// The first read: enough for the lines a load takes from any file whose lines
// average under about 100 bytes, a file of line breaks alone among them, so
// such a file costs no more memory than this whatever its size.
constexpr size_t kFirstRead = size_t{1} << 20;

// Reads on from the end of the bytes until they are `size` long or the file
// ends (it may have shrunk meanwhile); false when a read fails.
bool ReadUpTo(HANDLE file, std::string& bytes, size_t size) {
    size_t done = bytes.size();
    bytes.resize(size);
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
        if (!ReadFile(file, bytes.data() + done, want, &got, nullptr)) return false;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return true;
}
}  // namespace

HistoryFile::HistoryFile(std::wstring folder) : path_(std::move(folder)) {
    if (!path_.empty() && path_.back() != L'\\' && path_.back() != L'/') path_ += L'\\';
    path_ += kHistoryFileName;
}

bool HistoryFile::Exists() const { return IsFile(path_); }

std::string HistoryFile::ShownPath() const { return ToAnsi(path_); }

std::string HistoryFile::Read() const {
    if (!Exists()) return {};
    const UniqueKernelHandle file = FileHandle(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                           OPEN_EXISTING,
                                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw EFileOpenFailure(ShownPath(), SystemErrorText(GetLastError()));
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    const bool cut = static_cast<unsigned long long>(size.QuadPart) > kHistoryReadLimit;
    const size_t whole = cut ? kHistoryReadLimit : static_cast<size_t>(size.QuadPart);
    // A first read settles a file of short lines; only a file that needs more
    // is read on, up to the whole of what may be read.
    std::string bytes;
    std::optional<std::string_view> loaded;
    for (const size_t part : {std::min(whole, kFirstRead), whole}) {
        if (loaded || bytes.size() == part) continue;
        if (!ReadUpTo(file.Get(), bytes, part)) throw EFileOpenFailure(ShownPath(), SystemErrorText(GetLastError()));
        loaded = LoadedLines(bytes, kHistoryLoadCap);
    }
    if (loaded) bytes.resize(loaded->size());
    else if (cut) bytes.resize(CompleteLines(bytes).size());
    return bytes;
}

void HistoryFile::Replace(const std::string& bytes) const {
    const std::wstring replacement = path_ + kReplacementSuffix;
    // Whatever is left at the replacement's name (a save killed midway, or a
    // link planted there to be written through) goes first, and the file is
    // made anew: the save never opens anything that was there before.
    DeleteFileW(replacement.c_str());
    UniqueKernelHandle file = FileHandle(
        CreateFileW(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EFileCreateFailure(ShownPath(), SystemErrorText(GetLastError()));
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
        DeleteFileW(replacement.c_str());
        throw EStreamWriteFailure();
    }
    if (!MoveFileExW(replacement.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(replacement.c_str());
        throw EFileCreateFailure(ShownPath(), SystemErrorText(error));
    }
}

bool HistoryFile::Delete() const { return !Exists() || DeleteFileW(path_.c_str()); }

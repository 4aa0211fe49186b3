#include "forms/history_file.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/history_rules.h"
#include "forms/history_calls.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/window_text.h"

namespace {
constexpr wchar_t kHistoryFileName[] = L"History.txt";
constexpr wchar_t kUserFolderName[] = L"Quorvane";
// Whole-file transfers go in pieces a single call can take.
constexpr size_t kPiece = size_t{1} << 30;
// The first read: enough for the lines a load takes from any file whose lines
// average under about 100 bytes, a file of line breaks alone among them, so
// such a file costs no more memory than this whatever its size.
constexpr size_t kFirstRead = size_t{1} << 20;
// Indexers, backup tools and virus scanners hold a file for milliseconds; a
// replacement refused that long is tried again, for about a second in all.
constexpr DWORD kReplaceTries = 20;
constexpr DWORD kReplacePauseMs = 50;
// Names tried for the replacement when something holds the usual one.
constexpr int kReplacementNames = 4;

bool NoSuchFile(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Reads on from the end of the bytes until they are `size` long or the file
// ends (it may have shrunk meanwhile); false when a read fails.
bool ReadUpTo(HANDLE file, std::string& bytes, size_t size) {
    size_t done = bytes.size();
    if (HistoryCallFails(HistoryCall::Allocate)) throw std::bad_alloc();
    bytes.resize(size);
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
        if (HistoryCallFails(HistoryCall::Read) || !ReadFile(file, bytes.data() + done, want, &got, nullptr))
            return false;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return true;
}

// A number's digits, without the wide formatting std::to_wstring brings along.
std::wstring Digits(unsigned long value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

std::wstring InFolder(std::wstring folder, const wchar_t* name) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + name;
}

// Whether a new file can be made in the folder: one is made, and goes again
// as it is closed.
bool TakesNewFiles(const std::wstring& folder) {
    const std::wstring probe =
        InFolder(folder, (L"History.txt." + Digits(GetCurrentProcessId()) + L".probe").c_str());
    const UniqueKernelHandle file = FileHandle(CreateFileW(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                                           CREATE_NEW,
                                                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                                           nullptr));
    return static_cast<bool>(file);
}

std::wstring LocalAppDataFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

// The replacement is made anew under the usual name; whatever was left there
// (a save killed midway, or a link planted to be written through) goes first,
// so the save never opens anything that was there before. When something
// holds the name (a folder, a file another program keeps open), a name of
// this run's own stands in.
UniqueKernelHandle CreateReplacement(const std::wstring& path, std::wstring& name) {
    for (int attempt = 0;; ++attempt) {
        name = path + (attempt == 0 ? std::wstring(L".new")
                                    : L"." + Digits(GetCurrentProcessId()) + L"-" +
                                          Digits(attempt) + L".new");
        DeleteFileW(name.c_str());
        UniqueKernelHandle file = FileHandle(HistoryCallFails(HistoryCall::Create)
                                                 ? INVALID_HANDLE_VALUE
                                                 : CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = GetLastError();
        const bool held = GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!held || attempt + 1 == kReplacementNames) throw EFileCreateFailure(ToAnsi(name), SystemErrorText(error));
    }
}

// The replacement takes History.txt's place in one rename, so that a process
// ended at any moment leaves the old file or the new one. It first takes
// History.txt's attributes and access list, as ReplaceFileW would keep them;
// ReplaceFileW itself is no single step (ended inside it, a process may leave
// no History.txt at all).
void CarryOver(const std::wstring& path, const std::wstring& replacement) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & kKept) SetFileAttributesW(replacement.c_str(), (attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE);
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<BYTE> security(size);
    if (size && GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, security.data(), size, &size))
        SetFileSecurityW(replacement.c_str(), DACL_SECURITY_INFORMATION, security.data());
}

bool ReplaceWith(const std::wstring& path, const std::wstring& replacement) {
    return !HistoryCallFails(HistoryCall::Replace) &&
           MoveFileExW(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

HistoryPlace ChooseHistoryPlace(const std::wstring& programFolder, bool programFolderWritable,
                                const std::wstring& userFolder) {
    if (programFolderWritable || userFolder.empty()) return {programFolder, true};
    const std::wstring folder = InFolder(userFolder, kUserFolderName) + L'\\';
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
        // Made now, so this is the first time: the history beside the program
        // is its start. One that is there and cannot be copied stays where it
        // is, for this run to read (and report) and the next to try again.
        const std::wstring from = InFolder(programFolder, kHistoryFileName), to = folder + kHistoryFileName;
        if (!CopyFileW(from.c_str(), to.c_str(), TRUE) && !NoSuchFile(GetLastError())) {
            RemoveDirectoryW(folder.c_str());
            return {programFolder, true};
        }
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
        return {programFolder, true};
    }
    return {folder, false};
}

HistoryPlace HistoryPlaceForProgram() {
    const std::wstring program = ExecutableFolder();
    const bool writable = TakesNewFiles(program);
    return ChooseHistoryPlace(program, writable, writable ? std::wstring() : LocalAppDataFolder());
}

HistoryFile::HistoryFile(std::wstring folder) : path_(InFolder(std::move(folder), kHistoryFileName)) {}

bool HistoryFile::Exists() const {
    const DWORD attributes =
        HistoryCallFails(HistoryCall::Attributes) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return !NoSuchFile(GetLastError());
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string HistoryFile::Read() const {
    if (!Exists()) return {};
    const UniqueKernelHandle file = FileHandle(
        HistoryCallFails(HistoryCall::Open)
            ? INVALID_HANDLE_VALUE
            : CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    const auto failed = [this] { return EFileOpenFailure(ToAnsi(path_), SystemErrorText(GetLastError())); };
    if (!file) {
        // Gone since it was looked for: there is no file.
        if (NoSuchFile(GetLastError())) return {};
        throw failed();
    }
    LARGE_INTEGER size{};
    if (HistoryCallFails(HistoryCall::Size) || !GetFileSizeEx(file.Get(), &size)) throw failed();
    const bool cut = static_cast<unsigned long long>(size.QuadPart) > kHistoryReadLimit;
    const size_t whole = cut ? kHistoryReadLimit : static_cast<size_t>(size.QuadPart);
    // A first read settles a file of short lines; only a file that needs more
    // is read on, up to the whole of what may be read.
    std::string bytes;
    std::optional<std::string_view> loaded;
    for (const size_t part : {std::min(whole, kFirstRead), whole}) {
        if (loaded || bytes.size() == part) continue;
        if (!ReadUpTo(file.Get(), bytes, part)) throw failed();
        loaded = LoadedLines(bytes, kHistoryLoadCap);
    }
    if (loaded) bytes.resize(loaded->size());
    else if (cut) bytes.resize(CompleteLines(bytes).size());
    return bytes;
}

void HistoryFile::Replace(const std::string& bytes) const {
    std::wstring replacement;
    UniqueKernelHandle file = CreateReplacement(path_, replacement);
    // Any write that does not take every byte, including the flush to disk,
    // is a write error; History.txt itself has not been touched.
    bool complete = true;
    for (size_t done = 0; complete && done < bytes.size();) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
        complete = !HistoryCallFails(HistoryCall::Write) &&
                   WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr) && written > 0;
        done += written;
    }
    complete = complete && !HistoryCallFails(HistoryCall::Flush) && FlushFileBuffers(file.Get());
    const bool closed = CloseHandle(file.Release()) && !HistoryCallFails(HistoryCall::Close);
    if (!closed || !complete) {
        DeleteFileW(replacement.c_str());
        throw EStreamWriteFailure();
    }
    CarryOver(path_, replacement);
    for (DWORD tries = 1; !ReplaceWith(path_, replacement); ++tries) {
        if (tries == kReplaceTries) {
            const DWORD error = GetLastError();
            DeleteFileW(replacement.c_str());
            throw EFileCreateFailure(ToAnsi(path_), SystemErrorText(error));
        }
        Sleep(kReplacePauseMs);
    }
}

bool HistoryFile::Delete() const { return !Exists() || DeleteFileW(path_.c_str()) || NoSuchFile(GetLastError()); }

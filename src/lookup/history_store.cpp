#include "lookup/history_store.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "lookup/search_history.h"
#include "shell/window_text.h"

namespace {

constexpr char kHistoryFileName[] = "History.txt";
constexpr char kReplacementSuffix[] = ".new";

std::string& HistoryFolderOverride() {
    static std::string folder;
    return folder;
}

// A file handle: INVALID_HANDLE_VALUE, not null, marks none.
class UniqueFile {
public:
    explicit UniqueFile(HANDLE handle) : handle_(handle) {}
    ~UniqueFile() { Close(); }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    BOOL Close() {
        const BOOL ok = Valid() ? CloseHandle(handle_) : TRUE;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

std::string SystemText(DWORD error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length ? TrimSystemText(std::string_view(buffer, length))
                              : "System error " + std::to_string(error);
    LocalFree(buffer);
    return text;
}

// The folder of the executable, up to and including the last separator. A
// path longer than any buffer we try is not cut: it yields an empty folder,
// and the file operations then fail with the system's own error.
std::string ExecutableFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 65536) return {};
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of("\\/") + 1);
}

// Every entry of the search box's list, read from its list box directly (the
// combo box would only pass each request on).
std::vector<std::string> Entries(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    const HWND list = GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
    const LRESULT count = list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
    std::vector<std::string> entries;
    entries.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    std::string buffer;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
        if (length <= 0) {
            entries.emplace_back();
            continue;
        }
        buffer.resize(static_cast<size_t>(length) + 1);
        const LRESULT got = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        entries.emplace_back(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
    }
    return entries;
}

// The search box's list as the commit sees it: its own case-insensitive
// whole-entry search, insertion at the top, removal at the bottom.
class ComboHistoryList : public HistoryList {
public:
    explicit ComboHistoryList(HWND combo) : combo_(combo) {}
    std::size_t Count() const override {
        const LRESULT count = SendMessageA(combo_, CB_GETCOUNT, 0, 0);
        return count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    bool ContainsIgnoringCase(std::string_view text) const override {
        const std::string key(text);
        return SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(key.c_str())) != CB_ERR;
    }
    void RemoveLast() override { SendMessageA(combo_, CB_DELETESTRING, Count() - 1, 0); }
    void InsertAtTop(std::string_view text) override {
        const std::string entry(text);
        const LRESULT result = SendMessageA(combo_, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        if (result == CB_ERR || result == CB_ERRSPACE) throw EListInsertFailure();
    }

private:
    HWND combo_;
};

// Empties the list only. CB_RESETCONTENT also clears the edit field, so the
// text is put back.
void ClearList(HWND combo) {
    const std::string text = WindowText(combo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(combo, text.c_str());
}

}  // namespace

std::string HistoryFilePath() {
    const std::string& folder = HistoryFolderOverride();
    if (!folder.empty()) return folder + (folder.back() == '\\' ? "" : "\\") + kHistoryFileName;
    return ExecutableFolder() + kHistoryFileName;
}

void SetHistoryFolder(std::string folder) { HistoryFolderOverride() = std::move(folder); }

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void LoadSearchHistory(HWND combo) {
    const std::string path = HistoryFilePath();
    if (!IsFile(path)) return;
    std::string bytes;
    {
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.Valid()) throw EFileOpenFailure(path, SystemText(GetLastError()));
        LARGE_INTEGER size{};
        GetFileSizeEx(file.Get(), &size);
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr))
                throw EFileOpenFailure(path, SystemText(GetLastError()));
            if (got == 0) break;  // the file shrank meanwhile
            done += got;
        }
        bytes.resize(done);
    }
    const std::vector<std::string> entries = ParseHistory(bytes);
    ClearList(combo);
    // Room for every entry at once instead of growing the list line by line,
    // and no repainting until the list is complete.
    SendMessageA(combo, CB_INITSTORAGE, entries.size(), bytes.size() + entries.size());
    SendMessageA(combo, WM_SETREDRAW, FALSE, 0);
    struct RedrawAgain {
        HWND combo;
        ~RedrawAgain() { SendMessageA(combo, WM_SETREDRAW, TRUE, 0); }
    } redrawAgain{combo};
    for (const std::string& entry : entries) {
        const LRESULT result = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        if (result == CB_ERR || result == CB_ERRSPACE) throw EListInsertFailure();
    }
}

void SaveSearchHistory(HWND combo) {
    const std::string bytes = SerializeHistory(Entries(combo));

    const std::string path = HistoryFilePath();
    const std::string replacement = path + kReplacementSuffix;
    UniqueFile file(CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw EFileCreateFailure(path, SystemText(GetLastError()));
    // Any write that does not take every byte, including the flush to disk,
    // is a write error; History.txt itself has not been touched.
    bool complete = true;
    for (size_t done = 0; complete && done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        complete = WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    if (!complete || !FlushFileBuffers(file.Get()) || !file.Close()) {
        file.Close();
        DeleteFileA(replacement.c_str());
        throw EStreamWriteFailure();
    }
    if (!MoveFileExA(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(replacement.c_str());
        throw EFileCreateFailure(path, SystemText(error));
    }
}

std::string HistoryEntry(HWND combo, int index) {
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::string entry(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return entry;
}

bool CommitSearchText(HWND combo) {
    ComboHistoryList list(combo);
    return CommitSearchText(list, WindowText(combo));
}

void ClearSearchBox(HWND combo) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(combo, "");
}

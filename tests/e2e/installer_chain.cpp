// The installer and the uninstaller, with the program running.
#include "chains.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

#include "driver_support.h"
#include "version.h"

namespace {

// The per-user install as the installer and the uninstaller leave it.
struct Installed {
    std::string folder, exe, uninstaller, history, menuShortcut, startupShortcut;
    static constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane";
    Installed() {
        char local[MAX_PATH] = {}, programs[MAX_PATH] = {}, startup[MAX_PATH] = {};
        Check(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local) == S_OK &&
                  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs) == S_OK &&
                  SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, startup) == S_OK,
              "no user folders");
        folder = std::string(local) + "\\Programs\\Quorvane";
        exe = folder + "\\Quorvane.exe";
        uninstaller = folder + "\\Uninstall.exe";
        history = folder + "\\History.txt";
        menuShortcut = std::string(programs) + "\\Quorvane.lnk";
        startupShortcut = std::string(startup) + "\\Quorvane.lnk";
    }
    std::string Value(const char* name) const {
        std::string value;
        return ReadRegText(HKEY_CURRENT_USER, kUninstallKey, name, value) ? value : "(none)";
    }
    bool KeyPresent() const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key)) return false;
        RegCloseKey(key);
        return true;
    }
};

// Runs a command line until it and every process it starts have ended (an
// uninstaller hands over to a copy of itself and ends at once): they share a
// job, whose last process ending is the event. Returns the first one's exit code.
DWORD RunToTheEnd(const std::string& commandLine) {
    const HANDLE job = CreateJobObjectA(nullptr, nullptr);
    const HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{job, port};
    Check(job && port && SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &link, sizeof link),
          "cannot make a job");
    ChildProcess process;
    std::wstring line = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Check(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                         &process.info) &&
              AssignProcessToJobObject(job, process.info.hProcess),
          "cannot start " + commandLine);
    ResumeThread(process.info.hThread);
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    while (GetQueuedCompletionStatus(port, &message, &key, &detail, kStartTimeoutMs) &&
           message != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
    }
    CloseHandle(port);
    CloseHandle(job);
    Check(message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO, commandLine + " did not end");
    return WaitForExit(process);
}

// The shortcut's target, and its show command as the shell reads it: the
// header field at byte 60 (Wine's shortcut object does not report it).
std::pair<std::string, int> ShortcutOf(const std::string& path) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    const std::wstring widePath(path.begin(), path.end());
    char target[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath.c_str(), STGM_READ)))
        link->GetPath(target, sizeof target, nullptr, 0);
    if (file) file->Release();
    if (link) link->Release();
    const std::string bytes = ReadAll(path);
    int show = -1;
    if (bytes.size() >= 64) std::memcpy(&show, bytes.data() + 60, sizeof show);
    return {target, show};
}

}  // namespace

// A silent install into a folder outside the profile, however spelt, stops
// with exit code 2 and writes nothing. Install silently with starting at
// sign-in on; the Startup shortcut starts the installed program in the
// notification area; one lookup. A second install over the running copy ends
// it cleanly and keeps History.txt. A silent uninstall with the program
// running ends it cleanly, keeps History.txt and removes everything else.
void InstallerRoundTrip() {
    const Installed installed;
    const std::string setup = "\"" + ProgramFolder() + "setup.exe\" /S";
    const std::string history = "installed.example\r\n";
    // A run cut short leaves an install behind: the next one starts clean.
    if (Exists(installed.uninstaller)) RunToTheEnd("\"" + installed.uninstaller + "\" /S");
    DeleteFileA(installed.history.c_str());
    RemoveDirectoryA(installed.folder.c_str());

    char profile[MAX_PATH] = {};
    Check(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, profile) == S_OK, "no profile folder");
    for (const std::string& outside : {std::string("C:\\Quorvane"), std::string(profile) + "\\..\\Quorvane"}) {
        Check(RunToTheEnd(setup + " /STARTUP=1 /D=" + outside) == 2, "setup did not refuse " + outside);
        Check(!Exists(outside) && !installed.KeyPresent() && !Exists(installed.menuShortcut) &&
                  !Exists(installed.startupShortcut),
              "setup refused " + outside + " but wrote something");
    }

    Check(RunToTheEnd(setup + " /STARTUP=1") == 0, "install failed");
    Check(Exists(installed.exe) && Exists(installed.uninstaller), "program or uninstaller not installed");
    Check(installed.Value("DisplayVersion") == QUORVANE_VERSION &&
              installed.Value("InstallLocation") == installed.folder &&
              installed.Value("QuietUninstallString") == "\"" + installed.uninstaller + "\" /S",
          "uninstall key: version " + installed.Value("DisplayVersion") + ", location " +
              installed.Value("InstallLocation") + ", quiet uninstall " + installed.Value("QuietUninstallString"));
    Check(ShortcutOf(installed.menuShortcut).first == installed.exe, "no Start-menu shortcut to the program");
    const auto [target, show] = ShortcutOf(installed.startupShortcut);
    Check(target == installed.exe && show == SW_SHOWMINNOACTIVE,
          "Startup shortcut to \"" + target + "\" with show command " + std::to_string(show));
    {
        ChildProcess process;
        Launch(process, installed.exe, show);
        HWND main = nullptr;
        WaitUntil([&] { return (main = WindowOf(process, "TForm1")) && IconPresent(main); },
                  "no main window with an icon");
        WaitInTray(process, main);
        ClickIcon(main, WM_LBUTTONUP);
        WaitRestored(main);
        CommitByEnter(SearchEdit(main), "installed.example", 1);
        Check(RecordedCalls()[0].back() == kLookupPrefix + std::string("installed.example"), "wrong address looked up");

        Check(RunToTheEnd(setup) == 0, "upgrade failed");
        Check(WaitForExit(process) == 0, "the upgrade ended the program with a failure");
    }
    Check(ReadAll(installed.history) == history,
          "History.txt after the upgrade holds \"" + ReadAll(installed.history) + "\"");
    Check(Exists(installed.exe) && Exists(installed.startupShortcut),
          "the upgrade lost the program or the sign-in choice");

    ChildProcess process;
    Launch(process, installed.exe);
    WaitForVisibleWindow(process, "WHOIS Lookup");
    Check(RunToTheEnd(installed.Value("QuietUninstallString")) == 0, "uninstall failed");
    Check(WaitForExit(process) == 0, "the uninstall ended the program with a failure");
    Check(!MarkerPresent(), "marker left after the uninstall");
    for (const std::string& path : {installed.exe, installed.uninstaller, installed.folder + "\\License.txt",
                                    installed.menuShortcut, installed.startupShortcut})
        Check(!Exists(path), path + " left after the uninstall");
    Check(!installed.KeyPresent(), "uninstall key left");
    Check(ReadAll(installed.history) == history, "History.txt holds \"" + ReadAll(installed.history) + "\"");
    DeleteFileA(installed.history.c_str());
    Check(RemoveDirectoryA(installed.folder.c_str()), "something else left in " + installed.folder);
    CheckNothingLeft();
}

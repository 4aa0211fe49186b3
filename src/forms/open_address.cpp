#include "forms/open_address.h"

#include <shellapi.h>

#include <string>

#include "core/lookup_address.h"
#include "win/ansi_code_page.h"
#include "win/apartment.h"
#include "win/message_boxes.h"

namespace {

INT_PTR ShellExecuteLauncher(HWND owner, const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) {
    // The shell may hand an address to a COM-based handler.
    JoinApartmentOnce();
    return reinterpret_cast<INT_PTR>(ShellExecuteA(owner, verb, file, parameters, directory, show));
}

ShellLauncher& CurrentLauncher() {
    static ShellLauncher launcher = ShellExecuteLauncher;
    return launcher;
}

INT_PTR Launch(HWND owner, const char* verb, const std::string& address, int show) {
    return CurrentLauncher()(owner, verb, address.c_str(), nullptr, nullptr, show);
}

}  // namespace

ShellLauncher SetShellLauncher(ShellLauncher launcher) {
    ShellLauncher previous = std::move(CurrentLauncher());
    CurrentLauncher() = launcher ? std::move(launcher) : ShellLauncher(ShellExecuteLauncher);
    return previous;
}

void OpenAddress(HWND owner, std::string_view address) {
    const std::string safe = ShellSafeAddress(address, SystemCodePage());
    if (FitsShellAddressCap(safe)) Launch(owner, "open", safe, SW_SHOW);
}

void OpenAddressChecked(HWND owner, std::string_view address) {
    const std::string safe = ShellSafeAddress(address, SystemCodePage());
    const INT_PTR result = Launch(owner, "Open", safe, SW_SHOWNORMAL);
    if (result <= 32) ShowErrorBox(UnableToAccessText(safe, static_cast<long long>(result)));
}

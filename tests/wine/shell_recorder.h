// The shell's hand-offs, recorded instead of made: the one stand-in for the
// shell in the window tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/open_address.h"

struct ShellCall {
    HWND owner;
    std::string verb, file;
    bool parameters, directory;  // whether any were given
    int show;
    std::string during;  // what `during` saw
};

// While it lives, every hand-off is recorded and answered with `result`.
// `during`, when set, runs inside the hand-off, where the program is as the
// shell would find it; what it returns is kept with the call.
class ShellRecorder {
public:
    ShellRecorder()
        : previous_(SetShellLauncher([this](HWND owner, const char* verb, const char* file, const char* parameters,
                                            const char* directory, int show) {
              const size_t index = calls.size();
              calls.push_back({owner, verb, file, parameters != nullptr, directory != nullptr, show, {}});
              if (during) {
                  std::string seen = during();
                  calls[index].during = std::move(seen);
              }
              return result;
          })) {}
    ~ShellRecorder() { SetShellLauncher(previous_); }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    // Each hand-off's address, followed by what `during` saw, if anything.
    std::vector<std::string> Opened() const {
        std::vector<std::string> opened;
        for (const ShellCall& call : calls) opened.push_back(call.file + (call.during.empty() ? "" : " " + call.during));
        return opened;
    }

    std::vector<ShellCall> calls;
    INT_PTR result = 42;  // above 32: success
    std::function<std::string()> during;

private:
    ShellLauncher previous_;
};

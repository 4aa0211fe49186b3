// The program's exception boundary. Whatever a handler or a creation step
// throws stops here, so nothing unwinds into a system frame, and is handed to
// the failure reporter. The window base knows nothing of how a failure is
// shown: the entry point installs the reporter (the failure box), and until
// one is installed failures stop here unreported.
#pragma once

#include <exception>
#include <string_view>

#include "core/texts.h"

using FailureReporter = void (*)(std::string_view message);

// Installs the reporter and returns the one it replaces.
FailureReporter SetFailureReporter(FailureReporter reporter);
void ReportFailure(std::string_view message);

// Runs a step and reports whatever it throws. Returns whether the step
// completed.
template <class Step>
bool RunReportingFailures(Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& failure) {
        ReportFailure(failure.what());
    } catch (...) {
        ReportFailure(texts::kUnexpectedFailure);
    }
    return false;
}

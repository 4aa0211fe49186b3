#include "win/failure_boundary.h"

#include <utility>

namespace {
FailureReporter installedReporter = nullptr;
}  // namespace

FailureReporter SetFailureReporter(FailureReporter reporter) { return std::exchange(installedReporter, reporter); }

void ReportFailure(std::string_view message) {
    if (installedReporter) installedReporter(message);
}

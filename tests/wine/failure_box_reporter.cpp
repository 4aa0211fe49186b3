// The window tests see failures as the program shows them: like the entry
// point, they install the failure box as the reporter before any test runs.
#include <gtest/gtest.h>

#include "win/failure_boundary.h"
#include "win/message_boxes.h"

namespace {

class FailureBoxReporter : public testing::Environment {
public:
    void SetUp() override { SetFailureReporter(ShowFailureBox); }
};

[[maybe_unused]] testing::Environment* const kFailureBoxReporter =
    testing::AddGlobalTestEnvironment(new FailureBoxReporter);

}  // namespace

// The failure boundary hands what a handler or a creation step throws to the
// installed reporter, whichever it is; with none, the failure still stops there.
#include "win/failure_boundary.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "test_form.h"
#include "win/application.h"

namespace {

std::vector<std::string> reported;
void Record(std::string_view message) { reported.emplace_back(message); }

class FailureBoundaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        reported.clear();
        before_ = SetFailureReporter(Record);
    }
    void TearDown() override { SetFailureReporter(before_); }

private:
    FailureReporter before_ = nullptr;
};

TEST_F(FailureBoundaryTest, HandlerAndCreationFailuresGoToTheInstalledReporter) {
    TestForm form;
    form.failInCreate = true;
    form.Create(Application);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_APP, 0, 0), 0);
    // The bare messages: the failure box adds its full stop itself.
    EXPECT_EQ(reported, (std::vector<std::string>{"Creation failed", "Handler failed (on purpose)"}));

    EXPECT_EQ(SetFailureReporter(nullptr), Record);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_APP, 0, 0), 0);
    EXPECT_TRUE(IsWindow(form.Handle()));
    EXPECT_EQ(reported.size(), 2u);
}

}  // namespace

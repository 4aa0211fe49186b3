// The application window, made once for every test of the program.
#include <gtest/gtest.h>

#include "win/application.h"

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Application.Initialize(GetModuleHandleA(nullptr)); }
};

const ::testing::Environment* const kApplication = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

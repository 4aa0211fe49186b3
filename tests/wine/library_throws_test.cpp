// The C++ library's throw helpers the program links in place of the library's
// own: the library's failures still arrive as exceptions with its messages.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(LibraryThrowsTest, FailuresCarryTheLibrarysMessages) {
    struct Case {
        const char* name;
        std::function<void()> fail;
        const char* message;
    };
    const Case cases[] = {
        {"formatted", [] { (void)std::string("abc").at(7); },
         "basic_string::at: __n (which is 7) >= this->size() (which is 3)"},
        {"string too long", [] { std::string().reserve(std::string().max_size() + 1); }, "basic_string::_M_create"},
        {"vector too long", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }, "vector::reserve"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.fail();
            ADD_FAILURE() << "no exception";
        } catch (const std::logic_error&) {
            ADD_FAILURE() << "the library's own helper threw";
        } catch (const std::exception& failure) {
            EXPECT_STREQ(failure.what(), c.message);
        }
    }
    EXPECT_THROW(std::__throw_bad_alloc(), std::bad_alloc);
}

}  // namespace

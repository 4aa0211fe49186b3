// The C++ library's throw helpers, in place of the library's own. Its own
// build each message in a reference-counted string of the old ABI, and so
// link two whole string implementations and a random-number device into the
// program: about 55 KB of a 420 KB executable. Kinds without a message are
// thrown as they are; the rest as one exception whose what() is the library's
// message, which is all the failure boundary reads of them.
//
// Linked into the program as an object: if anything needed a helper not
// defined here, the library's object would come along and the link would
// fail on the duplicates, never silently mix the two.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryFailure final : public std::exception {
public:
    explicit LibraryFailure(const char* message) { Append(message); }

    const char* what() const noexcept override { return text_; }

    void Append(const char* text) {
        while (*text) Put(*text++);
    }

    void AppendNumber(std::size_t value) {
        char digits[24];
        int count = 0;
        do digits[count++] = static_cast<char>('0' + value % 10);
        while (value /= 10);
        while (count) Put(digits[--count]);
    }

    void Put(char c) {
        if (length_ + 1 < sizeof text_) text_[length_++] = c;
    }

private:
    char text_[256] = {};  // zero-filled: always terminated
    std::size_t length_ = 0;
};

[[noreturn]] void Throw(const char* message) { throw LibraryFailure(message ? message : ""); }

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* message) { Throw(message); }
void __throw_domain_error(const char* message) { Throw(message); }
void __throw_invalid_argument(const char* message) { Throw(message); }
void __throw_length_error(const char* message) { Throw(message); }
void __throw_out_of_range(const char* message) { Throw(message); }
void __throw_runtime_error(const char* message) { Throw(message); }
void __throw_range_error(const char* message) { Throw(message); }
void __throw_overflow_error(const char* message) { Throw(message); }
void __throw_underflow_error(const char* message) { Throw(message); }

// The library formats these with %s, %zu and %% only.
void __throw_out_of_range_fmt(const char* format, ...) {
    LibraryFailure failure("");
    va_list arguments;
    va_start(arguments, format);
    for (const char* at = format; *at; ++at) {
        if (*at != '%') {
            failure.Put(*at);
        } else if (at[1] == 's') {
            failure.Append(va_arg(arguments, const char*));
            ++at;
        } else if (at[1] == 'z' && at[2] == 'u') {
            failure.AppendNumber(va_arg(arguments, std::size_t));
            at += 2;
        } else if (at[1] == '%') {
            failure.Put('%');
            ++at;
        } else {
            failure.Put('%');
        }
    }
    va_end(arguments);
    throw failure;
}

}  // namespace std

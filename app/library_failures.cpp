// How the standard library's own failures are raised in the program. The
// library's versions throw std::logic_error and its kin, whose texts live in
// the library's older reference-counted string: linking them brings that
// second string implementation, a tenth of the executable, for failures the
// program never tells apart. Here a failure with a text is the program's own
// Failure, which the error boxes show like any other; the text-less ones are
// the standard types, which carry no string. Definitions here are taken
// before the library's, so the library's are never linked. Only the program
// links this file; the test programs keep the library's.
#include <new>
#include <typeinfo>

#include "app/errors.h"

namespace std {

[[noreturn]] void __throw_bad_alloc() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw bad_array_new_length(); }
[[noreturn]] void __throw_bad_cast() { throw bad_cast(); }
[[noreturn]] void __throw_bad_typeid() { throw bad_typeid(); }
[[noreturn]] void __throw_bad_exception() { throw bad_exception(); }
[[noreturn]] void __throw_logic_error(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_domain_error(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_invalid_argument(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_length_error(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_out_of_range(const char* text) { throw tarvelo::Failure(text); }
// The format's arguments are left out: the text alone names the failure.
[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) { throw tarvelo::Failure(format); }
[[noreturn]] void __throw_runtime_error(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_range_error(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_overflow_error(const char* text) { throw tarvelo::Failure(text); }
[[noreturn]] void __throw_underflow_error(const char* text) { throw tarvelo::Failure(text); }

}  // namespace std

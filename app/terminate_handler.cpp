// What std::terminate does in the program: end at once. libstdc++'s default
// handler writes the pending exception's demangled type to stderr, which a
// GUI program does not have, and brings the whole C++ demangler along, a
// tenth of the executable. A definition of that handler here is taken before
// the library's, so the library's is never linked. Only the program links
// this file; the test programs keep the descriptive handler.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

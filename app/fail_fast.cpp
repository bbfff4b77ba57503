#include "app/fail_fast.h"

#include <windows.h>

#include <cstdlib>
#include <exception>

namespace tarvelo {
namespace {

// The fail-fast exception goes to Windows' error reporting without passing
// through any handler of the program or the runtime, so the report shows the
// thread where the exception got loose. abort() would not do: the system's
// C runtime then shows a box of its own ("requested the Runtime to terminate
// it in an unusual way") and exits with code 3, which Windows counts as an
// ordinary end.
[[noreturn]] void RaiseFailFast() {
  ::RaiseFailFastException(nullptr, nullptr, 0);
  std::abort();  // not reached; the handler must not return
}

}  // namespace

void EndFailFastOnTerminate() noexcept { std::set_terminate(RaiseFailFast); }

}  // namespace tarvelo

// How the program ends when an exception escapes every handler (a worker
// thread's function, a window procedure, WinMain): as a crash that Windows'
// error reporting records, with the place it happened, rather than as a
// quiet exit.
#ifndef TARVELO_APP_FAIL_FAST_H
#define TARVELO_APP_FAIL_FAST_H

namespace tarvelo {

// Makes std::terminate end the process through the system's fail-fast
// exception. For the whole process, every thread; called first thing.
void EndFailFastOnTerminate() noexcept;

}  // namespace tarvelo

#endif

// How long a window's thread keeps its messages waiting: another thread
// sends the window a message that does nothing every 10 ms and notes the
// longest wait for the answer. For the in-process tests and the benchmarks.
#ifndef TARVELO_TESTS_SUPPORT_ANSWER_PROBE_H
#define TARVELO_TESTS_SUPPORT_ANSWER_PROBE_H

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tarvelo::testing {

class AnswerProbe {
 public:
  explicit AnswerProbe(HWND window) : thread_([this, window] { Run(window); }) {}
  AnswerProbe(const AnswerProbe&) = delete;
  AnswerProbe& operator=(const AnswerProbe&) = delete;
  ~AnswerProbe() {
    if (thread_.joinable()) thread_.join();
    ::CloseHandle(stop_);
  }

  // Ends the probing and gives the longest wait. The window's thread must go
  // on answering until the last message is in: `pumpUntil(done)` runs its
  // messages until done() is true or its own deadline passes.
  template <class PumpUntil>
  std::chrono::microseconds Stop(PumpUntil pumpUntil) {
    if (thread_.joinable()) {
      ::SetEvent(stop_);
      pumpUntil([this] { return done_.load(); });
      thread_.join();
    }
    return std::chrono::microseconds(longest_.load());
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Run(HWND window) {
    do {
      const auto start = Clock::now();
      DWORD_PTR result = 0;
      ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
      const long long took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      longest_ = std::max<long long>(longest_.load(), took);
    } while (::WaitForSingleObject(stop_, 10) == WAIT_TIMEOUT);
    done_ = true;
  }

  HANDLE stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<long long> longest_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace tarvelo::testing

#endif

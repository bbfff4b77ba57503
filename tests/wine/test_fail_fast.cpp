// An exception that no handler takes ends the whole process through the
// system's fail-fast exception, whichever thread it escaped from: Windows'
// error reporting then records it as the crash it is.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <thread>

#include "app/fail_fast.h"

namespace tarvelo {
namespace {

#ifndef STATUS_FAIL_FAST_EXCEPTION
#define STATUS_FAIL_FAST_EXCEPTION 0xC0000602L
#endif

TEST(FailFastDeathTest, ExceptionEscapingAThreadEndsTheProcessAsAFailFast) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        EndFailFastOnTerminate();
        std::thread([] { throw std::runtime_error("lost"); }).join();
      },
      ::testing::ExitedWithCode(static_cast<int>(STATUS_FAIL_FAST_EXCEPTION)), "");
}

}  // namespace
}  // namespace tarvelo

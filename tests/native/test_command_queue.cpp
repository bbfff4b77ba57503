// Commands run one at a time in arrival order: those that arrive while one
// runs, or while start-up holds them, wait and then all run.
#include "app/command_queue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

TEST(CommandQueue, CommandsArrivingMeanwhileWaitAndRunInOrderNoneLost) {
  std::vector<std::string> ran;
  std::vector<std::string> errors;
  CommandQueue queue([&](const std::exception* error) { errors.push_back(error ? error->what() : "?"); });

  // Start-up holds everything that arrives until it has finished.
  {
    CommandQueue::Hold startUp(queue);
    queue.Submit([&] { ran.push_back("exit"); });
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(queue.Busy());
  }
  EXPECT_EQ(ran, std::vector<std::string>{"exit"});

  // A fade that lets messages through: what arrives runs after it, in the
  // order it arrived, including what arrives while those run; a failing
  // command does not stop the ones behind it.
  ran.clear();
  queue.Submit([&] {
    ran.push_back("fade-in start");
    queue.Submit([&] {
      ran.push_back("show");
      queue.Submit([&] { ran.push_back("late"); });
    });
    queue.Submit([&] { throw std::runtime_error("refused"); });
    queue.Submit([&] { ran.push_back("hide"); });
    ran.push_back("fade-in end");
  });
  EXPECT_EQ(ran, (std::vector<std::string>{"fade-in start", "fade-in end", "show", "hide", "late"}));
  EXPECT_EQ(errors, std::vector<std::string>{"refused"});
  EXPECT_FALSE(queue.Busy());
  EXPECT_EQ(queue.Waiting(), 0u);
}

}  // namespace
}  // namespace tarvelo

// The program's commands run one at a time, in the order they arrive. A
// command that arrives while another runs (a fade, a drag, a message box
// that lets messages through, or start-up itself) waits, and runs once
// everything before it has finished: nothing is dropped, nothing overtakes.
// No Windows dependency, so the host tests it.
#ifndef TARVELO_APP_COMMAND_QUEUE_H
#define TARVELO_APP_COMMAND_QUEUE_H

#include <exception>
#include <functional>
#include <utility>
#include <vector>

namespace tarvelo {

class CommandQueue {
 public:
  using Command = std::function<void()>;

  // An error a command raises is handed here (null for one that is no
  // std::exception); the commands after it still run.
  explicit CommandQueue(std::function<void(const std::exception*)> onError) : onError_(std::move(onError)) {}
  CommandQueue(const CommandQueue&) = delete;
  CommandQueue& operator=(const CommandQueue&) = delete;

  // Runs the command now if nothing runs or waits, otherwise after the rest.
  void Submit(Command command) {
    waiting_.push_back(std::move(command));
    Drain();
  }

  // Whether a command (or a hold) is running now.
  bool Busy() const noexcept { return running_ > 0; }
  std::size_t Waiting() const noexcept { return waiting_.size(); }

  // Commands wait for as long as a hold lives; when the last one goes, they run.
  class Hold {
   public:
    explicit Hold(CommandQueue& queue) noexcept : queue_(queue) { ++queue_.running_; }
    ~Hold() {
      --queue_.running_;
      queue_.Drain();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    CommandQueue& queue_;
  };

 private:
  void Drain() noexcept {
    while (running_ == 0 && !waiting_.empty()) {
      // Commands are few and far between: a vector is queue enough.
      Command command = std::move(waiting_.front());
      waiting_.erase(waiting_.begin());
      ++running_;
      try {
        command();
      } catch (const std::exception& error) {
        onError_(&error);
      } catch (...) {
        onError_(nullptr);
      }
      --running_;
    }
  }

  std::function<void(const std::exception*)> onError_;
  std::vector<Command> waiting_;
  int running_ = 0;
};

}  // namespace tarvelo

#endif

#include "drives/drive_worker.h"

#include <objbase.h>

#include <deque>
#include <utility>
#include <vector>

#include "app/errors.h"
#include "app/handles.h"

namespace tarvelo {

namespace {

constexpr SIZE_T kPlainStack = 128 * 1024;

// The system's own lock and thread calls, not the standard library's: those
// bring more of their threads layer into the program (18 KB, measured).
auto Exclusive(SRWLOCK& lock) noexcept {
  ::AcquireSRWLockExclusive(&lock);
  return OnScopeExit([&lock] { ::ReleaseSRWLockExclusive(&lock); });
}

using Deadline = ULONGLONG;  // GetTickCount64 milliseconds

Deadline DeadlineAfter(std::chrono::milliseconds timeout) {
  return ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count() > 0 ? timeout.count() : 0);
}

}  // namespace

// Replies on their way to the window's thread. Shared with the lanes' work,
// which may outlive the worker when a drive never answers.
struct DriveReplies {
  SRWLOCK lock = SRWLOCK_INIT;
  std::vector<std::function<void()>> waiting;
  std::function<void()> wake;
  bool closed = false;

  void Push(std::function<void()> reply) {
    const auto hold = Exclusive(lock);
    if (closed) return;
    waiting.push_back(std::move(reply));
    // One wake-up for a batch: the window's thread takes them all at once.
    if (waiting.size() == 1) wake();
  }
};

// One thread that runs its tasks one at a time, in the order posted.
class DriveLane {
 public:
  using Task = std::function<void()>;

  // What a lane's work needs of its thread.
  enum class Kind {
    // The shell wants a single-threaded apartment, and may leave windows of
    // its own on the thread, whose messages the wait must let through; MCI
    // drivers and the shell may also go deep into the stack.
    Shell,
    // One shallow call each: a small stack and a plain wait, as every drive
    // has one from the first tick.
    Plain,
  };

  // new, not make_shared: see Failure in app/errors.h.
  explicit DriveLane(Kind kind) : state_(new State) {
    state_->shell = kind == Kind::Shell;
    const SIZE_T stack = state_->shell ? 0 : kPlainStack;
    if (!state_->signal) throw OutOfResourcesError();
    // The thread holds the state too: it may outlive this owner (see below).
    auto* shared = new std::shared_ptr<State>(state_);
    thread_.reset(::CreateThread(nullptr, stack, &DriveLane::Run, shared, stack ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0,
                                 nullptr));
    if (!thread_) {
      delete shared;
      throw OutOfResourcesError();
    }
  }
  // Ends the thread once it is idle; one still inside a drive call is left to
  // the end of the process, with its queue emptied.
  ~DriveLane() {
    Stop();
    if (WaitIdle(::GetTickCount64())) {
      ::WaitForSingleObject(thread_.get(), INFINITE);
    } else {
      Drop();
    }
  }
  DriveLane(const DriveLane&) = delete;
  DriveLane& operator=(const DriveLane&) = delete;

  void Post(Task task) {
    {
      const auto hold = Exclusive(state_->lock);
      if (state_->stopping) return;
      state_->tasks.push_back(std::move(task));
    }
    ::SetEvent(state_->signal.get());
  }

  // Whether the lane ran everything posted to it, at the latest by `deadline`.
  bool WaitIdle(Deadline deadline) {
    const auto hold = Exclusive(state_->lock);
    while (state_->busy || !state_->tasks.empty()) {
      const ULONGLONG now = ::GetTickCount64();
      if (now >= deadline) return false;
      ::SleepConditionVariableSRW(&state_->idle, &state_->lock, static_cast<DWORD>(deadline - now), 0);
    }
    return true;
  }

  // Tasks not yet started are forgotten.
  void Drop() {
    const auto hold = Exclusive(state_->lock);
    state_->tasks.clear();
  }

  // Nothing more is taken; the thread ends once it has run what it holds.
  void Stop() {
    {
      const auto hold = Exclusive(state_->lock);
      state_->stopping = true;
    }
    ::SetEvent(state_->signal.get());
  }

 private:
  struct State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE idle = CONDITION_VARIABLE_INIT;
    std::deque<Task> tasks;
    bool busy = true;  // until the thread has first looked at its queue
    bool stopping = false;
    bool shell = false;
    UniqueKernelHandle signal{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  };

  static DWORD WINAPI Run(void* parameter) noexcept {
    std::shared_ptr<State> state = std::move(*static_cast<std::shared_ptr<State>*>(parameter));
    delete static_cast<std::shared_ptr<State>*>(parameter);
    const HRESULT com =
        state->shell ? ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) : E_FAIL;
    for (;;) {
      Task task;
      {
        const auto hold = Exclusive(state->lock);
        if (!state->tasks.empty()) {
          task = std::move(state->tasks.front());
          state->tasks.pop_front();
          state->busy = true;
        } else {
          state->busy = false;
          ::WakeAllConditionVariable(&state->idle);
          if (state->stopping) break;
        }
      }
      if (task) {
        try {
          task();
        } catch (...) {
          // A drive call's failures are silent; so is running out of memory
          // on the way to one. The lane goes on with the next task.
        }
        continue;
      }
      HANDLE signal = state->signal.get();
      if (!state->shell) {
        ::WaitForSingleObject(signal, INFINITE);
        continue;
      }
      ::MsgWaitForMultipleObjects(1, &signal, FALSE, INFINITE, QS_ALLINPUT);
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
  }

  std::shared_ptr<State> state_;
  UniqueKernelHandle thread_;
};

DriveWorker::DriveWorker(DriveIo& io, std::function<void()> wake)
    : io_(io), replies_(new DriveReplies) {
  replies_->wake = std::move(wake);
}

DriveWorker::~DriveWorker() { Finish(kEndBound); }

DriveLane& DriveWorker::CommandLane(char letter) {
  const std::size_t index = letter >= 'A' && letter <= 'Z' ? static_cast<std::size_t>(letter - 'A') : kLanes - 1;
  if (!commands_[index]) commands_[index] = std::make_unique<DriveLane>(DriveLane::Kind::Shell);
  return *commands_[index];
}

void DriveWorker::Command(char letter, Work work) {
  if (finished_) return;
  DriveLane* lane = nullptr;
  try {
    lane = &CommandLane(letter);
  } catch (const std::exception&) {
    // No thread to be had: the command still reaches its drive, the old way,
    // rather than a lock staying on or a user's command being lost.
    work(io_);
    return;
  }
  lane->Post([io = &io_, work = std::move(work)] { work(*io); });
}

bool DriveWorker::QueryVolume(char letter, Answer answer) {
  if (finished_ || letter < 'A' || letter > 'Z') return false;
  const std::size_t index = static_cast<std::size_t>(letter - 'A');
  if (asking_[index]) return false;
  try {
    if (!queries_[index]) queries_[index] = std::make_unique<DriveLane>(DriveLane::Kind::Plain);
  } catch (const std::exception&) {
    return false;  // asked again at the next tick
  }
  asking_[index] = true;
  queries_[index]->Post([this, io = &io_, replies = replies_, letter, index, answer = std::move(answer)] {
    VolumeInfo info;
    const bool answered = GetDriveVolumeInfo(*io, letter, info);
    // Runs on the window's thread, and only while this worker delivers.
    replies->Push([this, index, answered, info, answer] {
      asking_[index] = false;
      answer(answered, info);
    });
  });
  return true;
}

void DriveWorker::DeliverReplies() {
  if (finished_) return;
  std::vector<std::function<void()>> arrived;
  {
    const auto hold = Exclusive(replies_->lock);
    arrived.swap(replies_->waiting);
  }
  for (const auto& reply : arrived) reply();
}

bool DriveWorker::WaitForCommands(std::chrono::milliseconds timeout) {
  const Deadline deadline = DeadlineAfter(timeout);
  for (const auto& lane : commands_) {
    if (lane && !lane->WaitIdle(deadline)) return false;
  }
  return true;
}

void DriveWorker::Finish(std::chrono::milliseconds bound) {
  if (finished_) return;
  finished_ = true;
  std::vector<std::function<void()>> undelivered;
  {
    const auto hold = Exclusive(replies_->lock);
    replies_->closed = true;
    undelivered.swap(replies_->waiting);
  }
  for (const auto& lane : queries_) {
    if (lane) lane->Drop();
  }
  WaitForCommands(bound);
  for (auto& lane : commands_) lane.reset();
  for (auto& lane : queries_) lane.reset();
}

}  // namespace tarvelo

// The one home of every call that reaches an optical drive. A drive answers
// when its tray has moved or its disc has spun up, seconds later, so nothing
// here runs on the window's thread: each drive has a lane of its own for the
// user's commands (tray doors, locks, Explore), run one at a time in the
// order given, and one for its volume queries, so that a slow drive holds up
// only its own work and a label query never holds up a command. Answers come
// back as replies that the window's thread runs when it is told they wait.
// No window code: the waking of that thread is a callback the caller supplies.
#ifndef TARVELO_DRIVES_DRIVE_WORKER_H
#define TARVELO_DRIVES_DRIVE_WORKER_H

#include <array>
#include <chrono>
#include <functional>
#include <memory>

#include "drives/drive_io.h"
#include "drives/hddinfo.h"

namespace tarvelo {

class DriveLane;
struct DriveReplies;

class DriveWorker {
 public:
  // How long the end of the program waits for drive work still in progress:
  // a tray takes up to about three seconds, and the system gives a program
  // five at log-off before it calls it unresponsive.
  static constexpr std::chrono::milliseconds kEndBound{4000};

  using Work = std::function<void(DriveIo& io)>;
  using Answer = std::function<void(bool answered, const VolumeInfo& info)>;

  // `wake` is called on a lane's thread when replies have come to wait;
  // the caller's thread then calls DeliverReplies.
  DriveWorker(DriveIo& io, std::function<void()> wake);
  // Finish with the bound, unless that already happened.
  ~DriveWorker();
  DriveWorker(const DriveWorker&) = delete;
  DriveWorker& operator=(const DriveWorker&) = delete;

  // Runs `work` on the command lane of drive `letter` ('A'..'Z'; 0 for the
  // default device when no drive is known), after what was given for it before.
  void Command(char letter, Work work);
  // Asks drive `letter` for its volume; `answer` runs among the replies.
  // Refused (false) while that drive's last query has not been answered.
  bool QueryVolume(char letter, Answer answer);
  // Runs the replies that have come in; on the thread that made the worker.
  void DeliverReplies();

  // Waits until every command given so far has run; false when `timeout`
  // passed first.
  bool WaitForCommands(std::chrono::milliseconds timeout);
  // The end: queries not yet started are dropped, no reply is delivered any
  // more, and the commands given so far run, within `bound` in all. A lane
  // still inside a drive call then is left to the end of the process.
  void Finish(std::chrono::milliseconds bound);

 private:
  static constexpr std::size_t kLanes = 27;  // the letters, then the default device
  DriveLane& CommandLane(char letter);

  DriveIo& io_;
  std::shared_ptr<DriveReplies> replies_;
  std::array<std::unique_ptr<DriveLane>, kLanes> commands_;
  std::array<std::unique_ptr<DriveLane>, kLanes> queries_;
  std::array<bool, kLanes> asking_{};  // a query of the drive is unanswered
  bool finished_ = false;
};

}  // namespace tarvelo

#endif

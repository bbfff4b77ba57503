// Answers this process's message boxes from a helper thread, the way a user
// would: each box captioned "Tarvelo" is read (its text is the static control
// 0xFFFF) and closed with OK. The test thread meanwhile sits in the modal loop
// that showed the box.
#ifndef TARVELO_TESTS_WINE_MESSAGE_BOX_ANSWERER_H
#define TARVELO_TESTS_WINE_MESSAGE_BOX_ANSWERER_H

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/utf8.h"

namespace tarvelo::testing {

class MessageBoxAnswerer {
 public:
  // `beforeOk` runs on the helper thread while each box is still open.
  explicit MessageBoxAnswerer(std::function<void(const std::string& text)> beforeOk = nullptr)
      : beforeOk_(std::move(beforeOk)), thread_([this] { Watch(); }) {}
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  std::vector<std::string> Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  static constexpr int kTextId = 0xFFFF;
  static constexpr auto kPoll = std::chrono::milliseconds(20);
  static constexpr auto kCloseDeadline = std::chrono::seconds(10);

  struct Search {
    DWORD process;
    HWND found;
  };

  // Reads nothing through messages: GetWindowText would send WM_GETTEXT to
  // windows of the test thread, and once that thread waits in the destructor's
  // join the two would wait on each other for ever.
  static BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    char className[16] = {};
    wchar_t caption[16] = {};
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    ::GetClassNameA(window, className, sizeof className);
    ::InternalGetWindowText(window, caption, 16);
    if (process != search.process || std::string(className) != "#32770" || std::wstring(caption) != L"Tarvelo" ||
        !::IsWindowVisible(window)) {
      return TRUE;
    }
    search.found = window;
    return FALSE;
  }

  static HWND FindBox() {
    Search search{::GetCurrentProcessId(), nullptr};
    ::EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void Watch() {
    while (!stop_) {
      HWND box = FindBox();
      if (!box) {
        std::this_thread::sleep_for(kPoll);
        continue;
      }
      // Read wide and kept as UTF-8, as the program holds its texts.
      wchar_t wide[512] = {};
      ::GetDlgItemTextW(box, kTextId, wide, 512);
      const std::string text = Narrow(wide);
      if (beforeOk_) beforeOk_(text);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(text);
      }
      ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      // One box at a time: the next one may reuse nothing of this one.
      const auto deadline = std::chrono::steady_clock::now() + kCloseDeadline;
      while (::IsWindow(box) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPoll);
    }
  }

  std::function<void(const std::string&)> beforeOk_;
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tarvelo::testing

#endif

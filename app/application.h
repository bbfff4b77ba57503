// The process-wide application: its title, its hidden owner window (which
// keeps the program's windows off the taskbar), COM on the GUI thread, the
// message loop and the pumping of messages inside long operations, and the
// error box for errors a handler did not handle.
#ifndef TARVELO_APP_APPLICATION_H
#define TARVELO_APP_APPLICATION_H

#include <windows.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/handles.h"
#include "app/resource_text.h"
#include "app/window.h"
#include "resources/resource_ids.h"

namespace tarvelo {

class TApplication : public Window {
 public:
  TApplication();
  ~TApplication() override;

  // Initialises COM for this thread (single-threaded apartment).
  void Initialize();

  const std::string& Title() const noexcept { return title_; }
  void SetTitle(const std::string& title);

  // Runs until WM_QUIT; errors that escape a handler never end the loop.
  void Run();
  // Dispatches the messages waiting now, as the loop would, and returns. A
  // quit request taken meanwhile is posted again, so the loop still ends on it.
  void ProcessMessages();
  // Posts WM_QUIT with exit code 0; handlers of messages already queued still run.
  void Terminate() noexcept;

  // Modal box captioned with the title: OK button, no icon, centred on the screen.
  void MessageBox(const std::string& text) const;
  // The error box: title as caption, text ending in a full stop, stop icon.
  void ShowException(const std::exception& error) const;

  // Modeless dialogs get their keyboard handling (Enter, Escape, Tab) from the loop.
  void AddModelessDialog(HWND dialog);
  void RemoveModelessDialog(HWND dialog);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Dispatch(MSG& msg);

  std::string title_;
  std::optional<ComApartment> com_;
  std::vector<HWND> modelessDialogs_;
};

// The one application object of the process, or null before it exists and
// after it is gone (tests create their own).
extern TApplication* Application;

// A message box without an owner window, whose caller waits until it is closed.
void ShowBox(const std::string& text, const std::string& caption, UINT flags);

// Shows an error in the application's error box; usable from any OS callback.
void ShowErrorBox(const std::exception& error) noexcept;

// Runs a piece of work at an OS callback boundary: an exception it raises is
// shown in the error box instead of crossing into the system, and the
// callback answers `onError`.
template <typename Result, typename Work>
Result RunGuarded(Result onError, Work&& work) noexcept {
  try {
    return work();
  } catch (const std::exception& e) {
    ShowErrorBox(e);
  } catch (...) {
    ShowErrorBox(Failure(ResourceText(IDS_UNKNOWN_ERROR)));
  }
  return onError;
}

template <typename Work>
void RunGuarded(Work&& work) noexcept {
  RunGuarded(0, [&work] {
    work();
    return 0;
  });
}

}  // namespace tarvelo

#endif

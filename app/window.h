// Base of every window of the program, dialogs included: owns its HWND,
// cannot be copied, and routes the window procedure to a member function.
// Every window is a Unicode window; names and titles are given in UTF-8.
// No C++ exception leaves the window procedure: it is caught there and shown
// in the error box.
#ifndef TARVELO_APP_WINDOW_H
#define TARVELO_APP_WINDOW_H

#include <windows.h>

namespace tarvelo {

// One of the system's cursors (IDC_ARROW and its kin). Those names are made
// for the ANSI call in this build; the number is the wide call's too.
HCURSOR SystemCursor(LPCSTR id) noexcept;

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const noexcept { return hwnd_; }

 protected:
  Window() = default;

  // Registers the class once per process; the window procedure is ours.
  static void RegisterWindowClass(const char* className, UINT style = 0, HICON icon = nullptr);
  // The same for a dialog template that names the class (CLASS in the
  // script): the dialog manager's extra bytes and default handling.
  static void RegisterDialogClass(const char* className);

  // Creates the window with this object as its owner; throws when the system refuses.
  void CreateHandle(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND owner);
  // Creates a modeless dialog from a template of this module whose class was
  // registered with RegisterDialogClass; throws when the system refuses.
  void CreateDialogHandle(int templateId, HWND owner);
  void DestroyHandle() noexcept;

  // Whatever a message is not handled with: the system's default for a
  // window or a dialog.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK EmptyDialogProc(HWND, UINT, WPARAM, LPARAM);

  HWND hwnd_ = nullptr;
  bool dialog_ = false;
};

}  // namespace tarvelo

#endif

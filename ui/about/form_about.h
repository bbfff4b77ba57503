// The About window: product name and version, the maker's contact details
// with a web link and a mail link, two pictures and a close picture. Created
// hidden at start-up and shown on demand without blocking the program.
#ifndef TARVELO_UI_FORM_ABOUT_H
#define TARVELO_UI_FORM_ABOUT_H

#include <windows.h>

#include <functional>
#include <string>

#include "app/application.h"
#include "app/handles.h"
#include "app/window.h"
#include "ui/pictures/image_control.h"
#include "ui/pictures/image_list.h"

namespace tarvelo {

// Hands a file or address to the shell (ShellExecuteW without parameters or
// folder); the result is of no interest.
using ShellOpen = std::function<void(HWND owner, const char* verb, const std::string& file, int show)>;
void SystemShellOpen(HWND owner, const char* verb, const std::string& file, int show);

class TfrmAbout : public Window {
 public:
  static constexpr int kClientWidth = 502;
  static constexpr int kClientHeight = 204;
  static constexpr int kCornerEllipse = 40;

  // `closePictures` is the main window's image list of the close picture.
  // The window is registered with the application so that Enter and Escape
  // reach it. Throws OutOfResourcesError when the window cannot be made.
  TfrmAbout(TApplication& application, const TImageList& closePictures, ShellOpen shellOpen = SystemShellOpen);
  ~TfrmAbout() override;

  // Shows the window, centred on the desktop the first time, and brings it
  // to the front.
  void Show();
  // Hides the window; Show brings the same window back.
  void Close();

  // The close picture in the top-right corner.
  const TImageControl& CloseControl() const noexcept { return ImageExit; }
  // The address the mail link hands to the shell.
  std::string MailLinkAddress() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Everything at the screen scale `dpi`: the window's size and rounded
  // corners, the labels' fonts and places, the pictures and their places.
  void LayOut(UINT dpi);
  void FormCreate();
  void FormMouseDown(POINT client);
  void ImageExitMouseEnter();
  void ImageExitMouseLeave();
  void Label11Click();
  void Label5Click();
  void Repaint();
  std::string LabelText(int id) const;

  TApplication& application_;
  const TImageList& closePictures_;
  ShellOpen shellOpen_;
  UniqueHFont font_;
  UniqueHFont linkFont_;
  TImageControl Image1{8, 8, 105, 105};
  TImageControl imgLogo{119, 8, 105, 41};
  TImageControl ImageExit{472, 8, 20, 20};
  TImageControlHost pictures_;
  UINT dpi_ = 0;
  bool placed_ = false;
};

// The one About window of the program, or null while there is none.
extern TfrmAbout* frmAbout;

}  // namespace tarvelo

#endif

// The main window's picture buttons: Open and Close for the default drive,
// the cross that hides the window, the bar picture that is never shown, and
// the logo. One table says, for each, its list, its normal and highlighted
// pictures and what a click runs; entering and leaving a picture show its
// highlighted and normal one.
#ifndef TARVELO_UI_PICTURE_BUTTONS_H
#define TARVELO_UI_PICTURE_BUTTONS_H

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "ui/pictures/image_control.h"
#include "app/screen_scale.h"
#include "ui/pictures/image_list.h"

namespace tarvelo {

enum class Picture { OpenCD, CloseCd, Exit, Hide, Logo };

class PictureButtons {
 public:
  // What a click on each picture runs; the bar picture and the logo's
  // highlight have none.
  struct Clicks {
    std::function<void()> openCD;
    std::function<void()> closeCd;
    std::function<void()> exit;
    std::function<void()> logo;
  };

  // What screen readers call each of the four: the caption of what its
  // click runs. An empty name gives the picture none.
  struct Names {
    std::string openCD;
    std::string closeCd;
    std::string exit;
    std::string logo;
  };

  // Loads the image lists and the logo at the screen scale `dpi`; `window`
  // is the holding window, repainted whenever a picture changes. Throws
  // OutOfResourcesError.
  PictureButtons(HWND window, Clicks clicks, UINT dpi = kDesignDpi, const Names& names = {});
  PictureButtons(const PictureButtons&) = delete;
  PictureButtons& operator=(const PictureButtons&) = delete;

  // Every picture that has a normal one shows it, and the window repaints.
  void ShowStartingPictures();
  // Every picture and its place at the screen scale `dpi`, each showing the
  // picture it showed; nothing changes when the scale is the one they have.
  // Throws OutOfResourcesError.
  void SetDpi(UINT dpi);
  UINT Dpi() const noexcept { return dpi_; }
  // The picture's highlighted or normal picture, and the window repaints.
  void MouseEnter(Picture picture);
  void MouseLeave(Picture picture);

  // The pointer is over another window: no picture is under it.
  void PointerElsewhere() { host_.PointerElsewhere(); }

  // Draws the visible pictures.
  void Paint(HDC dc) const;
  // Call first for every message of the holding window; see TImageControlHost.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The visible picture under a point of the client area, or null.
  const TImageControl* ControlAt(POINT client) const { return host_.ControlAt(client); }

  const TImageControl& Control(Picture picture) const { return *Row(picture).control; }
  const TImageList& ButtonPictures() const noexcept { return buttonPictures_; }
  // The close pictures, which the About window's close picture uses too.
  const TImageList& ClosePictures() const noexcept { return closePictures_; }

 private:
  struct Button {
    Picture picture;
    TImageControl* control;
    const TImageList* list;  // null: a picture of its own, no highlight
    int normal;
    int highlighted;
    std::function<void()> click;
  };
  const Button& Row(Picture picture) const;
  void Show(const Button& button, int index);

  HWND window_;
  UINT dpi_;
  TImageList buttonPictures_;
  TImageList closePictures_;
  TImageControl imgOpenCD_{56, 93, 145, 50};
  TImageControl imgCloseCd_{56, 149, 145, 50};
  TImageControl imageExit_{214, 20, 20, 20};
  TImageControl imageHide_{214, 108, 20, 20};
  TImageControl imageLogo_{56, 20, 145, 65};
  std::array<Button, 5> buttons_;
  TImageControlHost host_;
};

}  // namespace tarvelo

#endif

// The main form's picture buttons: Open and Close for the default drive, the
// cross that hides the window, the hidden bar picture, and the logo that
// opens the About window. Each highlights while the mouse is over it.
#include "resources/resource_ids.h"
#include "ui/form_about.h"
#include "ui/form_main.h"

namespace tarvelo {

namespace {

// Picture indices: in the buttons list the highlighted picture is two places
// after the normal one, in the close list the next one.
constexpr int kOpenNormal = 0;
constexpr int kCloseNormal = 1;
constexpr int kOpenHighlighted = 2;
constexpr int kCloseHighlighted = 3;
constexpr int kCrossNormal = 0;
constexpr int kCrossHighlighted = 1;
constexpr int kBarNormal = 2;
constexpr int kBarHighlighted = 3;

}  // namespace

void TfrmMain::CreatePictureControls() {
  ImageLogo.LoadPicture(::GetModuleHandleA(nullptr), IDB_LOGO);
  ImageHide.Visible = false;
  for (TImageControl* control : {&ImgOpenCD, &ImgCloseCd, &ImageExit, &ImageHide, &ImageLogo}) {
    control->HandCursor = true;
    pictureControls_.Add(*control);
  }
  ImgOpenCD.OnClick = [this] { acDefautCDOpenExecute(); };
  ImgOpenCD.OnMouseEnter = [this] { ImgOpenCDMouseEnter(); };
  ImgOpenCD.OnMouseLeave = [this] { ImgOpenCDMouseLeave(); };
  ImgCloseCd.OnClick = [this] { acDefaultCDCloseExecute(); };
  ImgCloseCd.OnMouseEnter = [this] { ImgCloseCdMouseEnter(); };
  ImgCloseCd.OnMouseLeave = [this] { ImgCloseCdMouseLeave(); };
  ImageExit.OnClick = [this] { acHideExecute(); };
  ImageExit.OnMouseEnter = [this] { ImageExitMouseEnter(); };
  ImageExit.OnMouseLeave = [this] { ImageExitMouseLeave(); };
  ImageHide.OnMouseEnter = [this] { ImageHideMouseEnter(); };
  ImageHide.OnMouseLeave = [this] { acPNGOnMouseMoveExecute(); };
  ImageLogo.OnClick = [this] { acFormAboutExecute(); };
}

void TfrmMain::SetInitialPictures() {
  ImageHide.SetPictureFromList(ImageListClose, kBarNormal);
  ImageExit.SetPictureFromList(ImageListClose, kCrossNormal);
  ImgOpenCD.SetPictureFromList(ImageListButtons, kOpenNormal);
  ImgCloseCd.SetPictureFromList(ImageListButtons, kCloseNormal);
  Repaint();
}

TImageControl* TfrmMain::ControlAt(POINT client) const { return pictureControls_.ControlAt(client); }

void TfrmMain::Repaint() {
  ::InvalidateRect(Handle(), nullptr, FALSE);
  ::UpdateWindow(Handle());
}

void TfrmMain::ShowPicture(TImageControl& control, const TImageList& list, int index) {
  control.SetPictureFromList(list, index);
  Repaint();
}

void TfrmMain::ImgOpenCDMouseEnter() { ShowPicture(ImgOpenCD, ImageListButtons, kOpenHighlighted); }
void TfrmMain::ImgOpenCDMouseLeave() { ShowPicture(ImgOpenCD, ImageListButtons, kOpenNormal); }
void TfrmMain::ImgCloseCdMouseEnter() { ShowPicture(ImgCloseCd, ImageListButtons, kCloseHighlighted); }
void TfrmMain::ImgCloseCdMouseLeave() { ShowPicture(ImgCloseCd, ImageListButtons, kCloseNormal); }
void TfrmMain::ImageExitMouseEnter() { ShowPicture(ImageExit, ImageListClose, kCrossHighlighted); }
void TfrmMain::ImageExitMouseLeave() { ShowPicture(ImageExit, ImageListClose, kCrossNormal); }
void TfrmMain::ImageHideMouseEnter() { ShowPicture(ImageHide, ImageListClose, kBarHighlighted); }
void TfrmMain::acPNGOnMouseMoveExecute() { ShowPicture(ImageHide, ImageListClose, kBarNormal); }

void TfrmMain::acFormAboutExecute() {
  if (frmAbout) frmAbout->Show();
}

}  // namespace tarvelo

#include "ui/pictures/picture_buttons.h"

#include <utility>

#include "resources/resource_ids.h"

namespace tarvelo {

namespace {

TImageList ButtonList(UINT dpi) {
  return TImageList(::GetModuleHandleW(nullptr), IDB_BUTTONS, IDB_BUTTONS_MASK, IDB_BUTTONS_WIDTH, IDB_BUTTONS_HEIGHT,
                    dpi);
}

TImageList CloseList(UINT dpi) {
  return TImageList(::GetModuleHandleW(nullptr), IDB_CLOSE, IDB_CLOSE_MASK, IDB_CLOSE_WIDTH, IDB_CLOSE_HEIGHT, dpi);
}

}  // namespace

PictureButtons::PictureButtons(HWND window, Clicks clicks, UINT dpi, const Names& names)
    : window_(window),
      dpi_(dpi),
      buttonPictures_(ButtonList(dpi)),
      closePictures_(CloseList(dpi)),
      buttons_{{
          {Picture::OpenCD, &imgOpenCD_, &buttonPictures_, IDB_BUTTONS_OPEN, IDB_BUTTONS_OPEN_LIT,
           std::move(clicks.openCD)},
          {Picture::CloseCd, &imgCloseCd_, &buttonPictures_, IDB_BUTTONS_CLOSE, IDB_BUTTONS_CLOSE_LIT,
           std::move(clicks.closeCd)},
          {Picture::Exit, &imageExit_, &closePictures_, IDB_CLOSE_CROSS, IDB_CLOSE_CROSS_LIT, std::move(clicks.exit)},
          {Picture::Hide, &imageHide_, &closePictures_, IDB_CLOSE_BAR, IDB_CLOSE_BAR_LIT, nullptr},
          {Picture::Logo, &imageLogo_, nullptr, 0, 0, std::move(clicks.logo)},
      }} {
  imageLogo_.LoadPicture(::GetModuleHandleW(nullptr), IDB_LOGO, dpi);
  imageHide_.Visible = false;
  for (const Button& button : buttons_) {
    TImageControl& control = *button.control;
    control.SetDpi(dpi);
    control.HandCursor = true;
    if (button.click) control.OnClick = button.click;
    if (button.list) {
      const Picture picture = button.picture;
      control.OnMouseEnter = [this, picture] { MouseEnter(picture); };
      control.OnMouseLeave = [this, picture] { MouseLeave(picture); };
    }
    host_.Add(control);
  }
  const std::pair<TImageControl*, const std::string*> named[] = {
      {&imgOpenCD_, &names.openCD}, {&imgCloseCd_, &names.closeCd}, {&imageExit_, &names.exit},
      {&imageLogo_, &names.logo}};
  for (const auto& [control, name] : named) {
    if (!name->empty()) control->SetAccessibleName(window_, *name);
  }
}

const PictureButtons::Button& PictureButtons::Row(Picture picture) const {
  for (const Button& button : buttons_) {
    if (button.picture == picture) return button;
  }
  return buttons_.front();
}

void PictureButtons::Show(const Button& button, int index) {
  if (!button.list) return;
  button.control->SetPictureFromList(*button.list, index);
  ::InvalidateRect(window_, nullptr, FALSE);
  ::UpdateWindow(window_);
}

void PictureButtons::ShowStartingPictures() {
  // The order in which the designer set them: the bar, the cross, Open, Close.
  for (Picture picture : {Picture::Hide, Picture::Exit, Picture::OpenCD, Picture::CloseCd}) {
    const Button& button = Row(picture);
    button.control->SetPictureFromList(*button.list, button.normal);
  }
  ::InvalidateRect(window_, nullptr, FALSE);
  ::UpdateWindow(window_);
}

void PictureButtons::SetDpi(UINT dpi) {
  if (dpi == dpi_) return;
  // Loaded in full before anything changes: a failure leaves every picture as it was.
  TImageList buttonPictures = ButtonList(dpi);
  TImageList closePictures = CloseList(dpi);
  // The logo changes only once its picture is loaded, and the lists after it.
  imageLogo_.LoadPicture(::GetModuleHandleW(nullptr), IDB_LOGO, dpi);
  buttonPictures_ = std::move(buttonPictures);
  closePictures_ = std::move(closePictures);
  dpi_ = dpi;
  for (const Button& button : buttons_) {
    TImageControl& control = *button.control;
    control.SetDpi(dpi);
    if (!button.list) continue;
    const int shown = control.PictureIndex();
    control.ClearPicture();
    if (shown >= 0) control.SetPictureFromList(*button.list, shown);
  }
  ::InvalidateRect(window_, nullptr, FALSE);
}

void PictureButtons::MouseEnter(Picture picture) {
  const Button& button = Row(picture);
  Show(button, button.highlighted);
}

void PictureButtons::MouseLeave(Picture picture) {
  const Button& button = Row(picture);
  Show(button, button.normal);
}

void PictureButtons::Paint(HDC dc) const { host_.Paint(dc); }

bool PictureButtons::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return host_.HandleMessage(window_, message, wParam, lParam, result);
}

}  // namespace tarvelo

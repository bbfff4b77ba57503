// Picture controls without windows of their own: the window that holds them
// paints them and passes them its mouse messages through a TImageControlHost,
// which turns those into enter, leave and click events and the hand cursor.
// A named one has a window that screen readers see, and nothing else does.
#ifndef TARVELO_UI_IMAGE_CONTROL_H
#define TARVELO_UI_IMAGE_CONTROL_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/handles.h"
#include "ui/pictures/image_list.h"

namespace tarvelo {

class TImageControl {
 public:
  // The place and size as designed at 100 %.
  TImageControl(int left, int top, int width, int height) noexcept
      : designed_{left, top, left + width, top + height}, bounds_(designed_) {}
  TImageControl(const TImageControl&) = delete;
  TImageControl& operator=(const TImageControl&) = delete;

  bool Visible = true;
  bool HandCursor = false;
  // White parts of the picture let the window's background show.
  bool Transparent = false;
  std::function<void()> OnClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  // The place and size at the scale last set, 100 % until then.
  const RECT& BoundsRect() const noexcept { return bounds_; }
  // Places and sizes the control at the screen scale `dpi`; its picture is
  // the caller's to set again at that scale.
  void SetDpi(UINT dpi) noexcept;
  // Drops the picture, so that the next one set from a list starts on white.
  void ClearPicture() noexcept;
  bool Contains(POINT client) const noexcept { return ::PtInRect(&bounds_, client) != FALSE; }

  // Resizes the picture to the list's image size (a new area is white) and
  // draws list image `index` over what it holds, through the image's mask.
  // An index outside the list leaves the picture unchanged.
  void SetPictureFromList(const TImageList& list, int index);
  // Takes a picture stored with the form. Throws OutOfResourcesError.
  void LoadPicture(HINSTANCE module, int bitmapId);
  // The same picture at the screen scale `dpi` (ui/pictures/picture_scale.h).
  void LoadPicture(HINSTANCE module, int bitmapId, UINT dpi);

  HBITMAP Picture() const noexcept { return picture_.get(); }
  SIZE PictureSize() const noexcept { return pictureSize_; }
  // The list index of the picture last set from a list; -1 when none was.
  int PictureIndex() const noexcept { return pictureIndex_; }

  // Draws the picture unscaled at the control's top-left corner, cut to the
  // control's size.
  void Paint(HDC dc) const;

  // Gives the picture the name that screen readers read. The system's
  // accessibility objects describe windows, and names a window by its text:
  // the picture gets a child window of `window` over its bounds, captioned
  // `name`, that paints nothing and lets every mouse message through to
  // `window`. Throws OutOfResourcesError.
  void SetAccessibleName(HWND window, const std::string& name);
  HWND NameWindow() const noexcept { return nameWindow_.get(); }

 private:
  void Resize(SIZE size);

  RECT designed_;
  RECT bounds_;
  UniqueHBitmap picture_;
  SIZE pictureSize_{0, 0};
  int pictureIndex_ = -1;
  UniqueHWnd nameWindow_;
};

class TImageControlHost {
 public:
  // The controls are borrowed; they must outlive the host's window messages.
  void Add(TImageControl& control) { controls_.push_back(&control); }

  // The visible control under a point of the window's client area, or null.
  TImageControl* ControlAt(POINT client) const;
  // Draws the visible controls in the order they were added.
  void Paint(HDC dc) const;

  // Call first for every message of the holding window. Returns true when the
  // message concerned a control and is dealt with (`result` is then the
  // window procedure's answer); mouse moves are always passed on as well.
  bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // The pointer is over another window now (the skin beneath a see-through
  // part of the holding window, say): no control is under it.
  void PointerElsewhere() { SetHovered(nullptr); }

 private:
  void SetHovered(TImageControl* control);
  // Where the pointer really is, while a control is hovered.
  void CheckPointer(HWND window);

  // The system reports a move onto another window to that window alone, and
  // a leave only when it sees the holding window left: while a control is
  // hovered, the pointer is looked at a few times a second as well.
  static constexpr UINT_PTR kPointerCheckTimer = 0x7C01;
  static constexpr UINT kPointerCheckInterval = 50;

  std::vector<TImageControl*> controls_;
  TImageControl* hovered_ = nullptr;
  TImageControl* pressed_ = nullptr;
  bool trackingLeave_ = false;
  ScopedTimer pointerCheck_;
};

}  // namespace tarvelo

#endif

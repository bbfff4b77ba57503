// The skinned window as the user sees it: two windows at one position. The
// main window in front shows the picture buttons on see-through white;
// PNGForm beneath it shows the skin with its per-pixel alpha. This class owns
// PNGForm, the skin picture and the front window's layered attributes, places
// both windows, fades them out and in, and drags them. While a fade or drag
// runs only PNGForm changes: it shows a snapshot of skin and buttons
// together, so both fade and move as one picture.
#ifndef TARVELO_UI_SKIN_LAYERS_H
#define TARVELO_UI_SKIN_LAYERS_H

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/application.h"
#include "ui/skin/layered_window.h"
#include "ui/skin/png_form.h"
#include "ui/skin/skin_image.h"
#include "ui/skin/system_screens.h"
#include "ui/skin/window_placement.h"

namespace tarvelo {

class SkinLayers {
 public:
  // `front` is the main window, `designed` its size at 100 % while it has
  // no skin; `paintFront` draws what it shows, for the snapshots. Failures
  // to load the skin are told through the application.
  SkinLayers(TApplication& application, HWND front, SIZE designed, std::function<void(HDC)> paintFront);
  SkinLayers(const SkinLayers&) = delete;
  SkinLayers& operator=(const SkinLayers&) = delete;

  // The window steps of start-up, in their order.
  // First placement, the designed size at the screen's scale, and white as
  // the see-through colour.
  void SetUpFrame();
  // On success the front window takes the skin's size at the screen's scale;
  // on failure the user is told and the skin is empty.
  bool LoadSkin(const std::string& path);
  // The skin file from `folder`; without a folder (the executable's path was
  // not known whole) there is no file to read.
  bool LoadSkinFrom(const std::optional<std::string>& folder);
  // Creates PNGForm with the skin installed fully transparent, places both
  // windows in the corner, and sends presses on PNGForm to `onMouseDown` and
  // the pointer's moves over it to `onMouseMove`.
  void CreatePngForm(const std::string& caption, std::function<void(MouseButton, POINT)> onMouseDown,
                     std::function<void()> onMouseMove);
  // Both windows to the work area's bottom-right corner, at the front
  // window's size.
  void Place();
  // The work area or the displays changed: the windows go where they now
  // belong. A hidden window stays parked and comes back there when shown.
  void DisplaysChanged();
  // The same for a change of the work area that no message told of, asked
  // now and then: the windows move only if it has changed.
  void CheckWorkArea();
  WindowPlacement& Placement() noexcept { return placement_; }
  // The screen's scale became `screenDpi` (the window moved to another
  // monitor, or the user changed the scale): the skin is scaled again from
  // the file's picture and both windows take its size, with their top-left
  // corner at `topLeft`. A hidden window stays hidden where it was. Does
  // nothing while a fade or drag runs: the caller waits for its end.
  void SetDpi(UINT screenDpi, POINT topLeft);
  // The scale the skin is shown at: the screen's, or less where the skin
  // would grow beyond kMaxScaledSkinSide. The pictures on it take the same.
  UINT Dpi() const noexcept { return dpi_; }

  // Both return at once, doing nothing, before PNGForm exists and while a
  // fade or drag runs.
  void FadeOutSkin(DWORD duration);
  void FadeInSkin(DWORD duration);
  // A press on the background of either window, at a point of its client
  // area (the same in both: they share one position). Raises the front
  // window; the left button drags both until it is released.
  void Press(MouseButton button, POINT client);
  // PNGForm, then the front window above it, to the top of their band.
  void BringToFront();

  // PNGForm exists and no fade or drag runs.
  bool Ready() const noexcept { return pngForm_ != nullptr && !busy_; }
  bool Busy() const noexcept { return busy_; }
  const TPNGForm* PngForm() const noexcept { return pngForm_.get(); }
  // The skin as shown, at Dpi().
  const SkinImage& Skin() const noexcept { return skin_; }
  // Frees the skin picture; the windows show nothing more of it.
  void FreeSkin() noexcept {
    skin_ = SkinImage{};
    file_ = SkinImage{};
  }

 private:
  SkinImage Snapshot();
  // Shows the front window, painted, above PNGForm, and only then gives
  // PNGForm back the plain skin.
  void HandOverToFront();
  void KeepFrontAbovePng();
  // Both windows to where they belong on the displays of the moment.
  void Settle();
  void ReportFailure(SkinFailure failure, const std::string& fileName);
  // The skin at the screen's scale, and the front window at its size.
  void ScaleSkin();
  // The front window at the designed size at Dpi(), as it is without a skin.
  void SizeToDesign();
  // The plain skin on PNGForm, as the windows show it when no fade or drag runs.
  void ShowPlainSkin(BYTE alpha);

  TApplication& application_;
  HWND front_;
  SIZE designed_;
  std::function<void(HDC)> paintFront_;
  // As designed: magenta key and opaque; start-up makes white the key.
  LayeredAttributes frontAttributes_{true, 255, true, RGB(255, 0, 255)};
  UINT screenDpi_;
  UINT dpi_;
  // The picture as the file holds it, kept for scaling again; empty while
  // the skin is shown at the file's own size, when skin_ is that picture.
  SkinImage file_;
  SkinImage skin_;
  // The alpha at which PNGForm shows the plain skin: 0 while hidden.
  BYTE plainAlpha_ = 0;
  std::unique_ptr<TPNGForm> pngForm_;
  bool busy_ = false;
  WindowPlacement placement_{std::make_unique<SystemScreens>()};
  // The front window is above the screen, as hiding leaves it.
  bool parked_ = false;
  // A change came while a fade or drag ran; it is followed when that ends.
  bool displaysChanged_ = false;
};

}  // namespace tarvelo

#endif

#include "ui/skin_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "app/handles.h"
#include "ui/dib.h"

namespace tarvelo {
namespace {

// DIB rows start on four-byte boundaries.
std::ptrdiff_t DibStride(int width, int bytesPerPixel) {
  return (std::ptrdiff_t{width} * bytesPerPixel + 3) & ~std::ptrdiff_t{3};
}

// The part of `image` that fits, copied into a zeroed 32-bit DIB of `size`.
void CopyIntoDib(const SkinImage& image, SIZE size, std::uint8_t* bits) {
  const std::ptrdiff_t stride = DibStride(size.cx, 4);
  std::memset(bits, 0, static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.cy));
  const int rows = std::min<int>(image.height, size.cy);
  const std::size_t rowBytes = std::size_t(std::min<int>(image.width, size.cx)) * 4;
  for (int y = 0; y < rows; ++y) {
    std::memcpy(bits + y * stride, &image.pixels[std::size_t(y) * std::size_t(image.width) * 4], rowBytes);
  }
}

// A 24-bit off-screen picture of a client area as `paint` draws it.
class ClientCapture {
 public:
  ClientCapture(SIZE size, const std::function<void(HDC)>& paint) {
    if (size.cx <= 0 || size.cy <= 0) return;
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    const BITMAPINFO info = TopDownDib(size, 24);
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap_ || !bits) return;
    {
      SelectObjectRestorer selected(dc.get(), bitmap_.get());
      paint(dc.get());
    }
    ::GdiFlush();
    view_ = CaptureView{size.cx, size.cy, DibStride(size.cx, 3), static_cast<const std::uint8_t*>(bits)};
  }

  // Sized as the capture really is, which may differ from the skin's size
  // when the system refused to give the window that size.
  const CaptureView& View() const noexcept { return view_; }

 private:
  UniqueHBitmap bitmap_;
  CaptureView view_{};
};

}  // namespace

MouseButton PressedButton(UINT message) noexcept {
  switch (message) {
    case WM_RBUTTONDOWN:
      return MouseButton::Right;
    case WM_MBUTTONDOWN:
      return MouseButton::Middle;
    default:
      return MouseButton::Left;
  }
}

TPNGForm::TPNGForm(HWND owner, const std::string& caption) {
  RegisterWindowClass(kClassName);
  CreateHandle(kClassName, caption.c_str(), WS_POPUP, WS_EX_TOPMOST | WS_EX_LAYERED, 0, 0, 0, 0, owner);
}

void TPNGForm::SetCursorOverride(HCURSOR cursor) noexcept {
  cursorOverride_ = cursor;
  ::SetCursor(cursor ? cursor : ::LoadCursorA(nullptr, IDC_ARROW));
}

LRESULT TPNGForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMouseDown) OnMouseDown(PressedButton(message), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_SETCURSOR:
      if (cursorOverride_ && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(cursorOverride_);
        return TRUE;
      }
      break;
    case WM_MOUSEACTIVATE:
      // A press on the skin drags or raises the windows; it never activates
      // this layer, which only shows the skin beneath the main window.
      return MA_NOACTIVATE;
    case WM_CLOSE:
      // PNGForm lives as long as the main window; closing it alone (Alt+F4
      // while it is active) would take the skin away for good.
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

LayerPicture::LayerPicture(const SkinImage& image, SIZE size) : image_(image), size_(size) {
  if (size.cx <= 0 || size.cy <= 0) return;
  WindowDc screen(nullptr);
  dc_.reset(::CreateCompatibleDC(screen.get()));
  const BITMAPINFO info = TopDownDib(size, 32);
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen || !dc_ || !bitmap_ || !bits) return;
  CopyIntoDib(image, size, static_cast<std::uint8_t*>(bits));
  selected_ = std::make_unique<SelectObjectRestorer>(dc_.get(), bitmap_.get());
  ready_ = true;
}

SIZE WindowSize(HWND window) {
  RECT bounds{};
  if (!::GetWindowRect(window, &bounds)) return SIZE{0, 0};
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void UpdateSkinLayer(HWND window, const LayerPicture& picture, BYTE alpha) {
  ::SetWindowLongA(window, GWL_EXSTYLE, ::GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  RECT bounds{};
  if (!::GetWindowRect(window, &bounds)) return;
  // The window's size, not the image's: the update must never resize it.
  SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
  if (size.cx <= 0 || size.cy <= 0) return;
  if (size.cx != picture.Size().cx || size.cy != picture.Size().cy) {
    UpdateSkinLayer(window, LayerPicture(picture.Image(), size), alpha);
    return;
  }
  if (!picture.Dc()) return;

  WindowDc screen(nullptr);
  POINT destination{bounds.left, bounds.top};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(window, screen.get(), &destination, &size, picture.Dc(), &origin, 0, &blend, ULW_ALPHA);
}

void UpdateSkinLayer(HWND window, const SkinImage& image, BYTE alpha) {
  UpdateSkinLayer(window, LayerPicture(image, WindowSize(window)), alpha);
}

LayeredAttributes::LayeredAttributes(bool alphaBlend, BYTE alphaBlendValue, bool transparentColor,
                                     COLORREF transparentColorValue) noexcept
    : alphaBlend_(alphaBlend),
      alphaBlendValue_(alphaBlendValue),
      transparentColor_(transparentColor),
      transparentColorValue_(transparentColorValue) {}

void LayeredAttributes::Attach(HWND window) noexcept {
  window_ = window;
  Apply();
}

void LayeredAttributes::SetAlphaBlend(bool on) noexcept {
  alphaBlend_ = on;
  Apply();
}

void LayeredAttributes::SetAlphaBlendValue(BYTE value) noexcept {
  alphaBlendValue_ = value;
  Apply();
}

void LayeredAttributes::SetTransparentColor(bool on) noexcept {
  transparentColor_ = on;
  Apply();
}

void LayeredAttributes::SetTransparentColorValue(COLORREF value) noexcept {
  transparentColorValue_ = value;
  Apply();
}

void LayeredAttributes::Apply() const noexcept {
  if (!window_) return;
  const LONG style = ::GetWindowLongA(window_, GWL_EXSTYLE);
  const bool layered = alphaBlend_ || transparentColor_;
  const LONG wanted = layered ? (style | WS_EX_LAYERED) : (style & ~LONG{WS_EX_LAYERED});
  if (wanted != style) ::SetWindowLongA(window_, GWL_EXSTYLE, wanted);
  if (!layered) return;
  const DWORD flags = (alphaBlend_ ? LWA_ALPHA : 0) | (transparentColor_ ? LWA_COLORKEY : 0);
  ::SetLayeredWindowAttributes(window_, transparentColorValue_, alphaBlendValue_, flags);
}

SkinImage ComposeWindowSnapshot(const SkinImage& skin, SIZE clientSize, const std::function<void(HDC)>& paint,
                                COLORREF key) {
  if (skin.empty()) return SkinImage{};
  const ClientCapture capture(clientSize, paint);
  return ComposeSkinSnapshot(skin, capture.View(), GetRValue(key), GetGValue(key), GetBValue(key));
}

void ProcessPendingMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

std::string ExecutableFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, length < MAX_PATH ? length : 0);
  const std::size_t separator = full.find_last_of('\\');
  return separator == std::string::npos ? std::string() : full.substr(0, separator + 1);
}

}  // namespace tarvelo

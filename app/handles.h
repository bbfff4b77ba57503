// Owning wrappers for Windows handles: one small template, a traits type per
// kind of handle. A wrapper cannot be copied, only moved, and closes what it
// holds exactly once. Kinds whose "no handle" value is INVALID_HANDLE_VALUE
// rather than null say so in their traits.
#ifndef TARVELO_APP_HANDLES_H
#define TARVELO_APP_HANDLES_H

#include <windows.h>
#include <objbase.h>

#include <type_traits>
#include <utility>

namespace tarvelo {

template <typename Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(pointer value) noexcept : value_(value) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

  pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
  void reset(pointer value = Traits::invalid()) noexcept {
    pointer old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  pointer value_ = Traits::invalid();
};

namespace handle_traits {

struct Kernel {  // events, mappings, processes: null means none
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct File {  // CreateFile results: INVALID_HANDLE_VALUE means none
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct RegKey {
  using pointer = HKEY;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct Menu {
  using pointer = HMENU;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyMenu(h); }
};

struct Icon {
  using pointer = HICON;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyIcon(h); }
};

template <typename T>
struct GdiObject {
  using pointer = T;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteObject(h); }
};

struct MemoryDc {
  using pointer = HDC;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteDC(h); }
};

struct OwnedWindow {  // a window not managed by the Window base, e.g. a dialog
  using pointer = HWND;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyWindow(h); }
};

template <typename T>
struct LocalMemory {  // blocks the system allocates for the caller to free
  using pointer = T;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { ::LocalFree(p); }
};

}  // namespace handle_traits

using UniqueKernelHandle = UniqueHandle<handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<handle_traits::File>;
using UniqueHKey = UniqueHandle<handle_traits::RegKey>;
using UniqueHMenu = UniqueHandle<handle_traits::Menu>;
using UniqueHIcon = UniqueHandle<handle_traits::Icon>;
using UniqueHBitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using UniqueHRgn = UniqueHandle<handle_traits::GdiObject<HRGN>>;
using UniqueHFont = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using UniqueHBrush = UniqueHandle<handle_traits::GdiObject<HBRUSH>>;
using UniqueMemoryDc = UniqueHandle<handle_traits::MemoryDc>;
using UniqueHWnd = UniqueHandle<handle_traits::OwnedWindow>;
using UniqueArgumentList = UniqueHandle<handle_traits::LocalMemory<LPWSTR*>>;

// A device context obtained with GetDC, handed back with ReleaseDC: the window
// is part of the handle, so it does not fit the one-value template.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Puts back the object a device context held before, so a DC is never deleted
// or released with one of our bitmaps, brushes or fonts still selected.
class SelectObjectRestorer {
 public:
  SelectObjectRestorer(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectObjectRestorer() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectObjectRestorer(const SelectObjectRestorer&) = delete;
  SelectObjectRestorer& operator=(const SelectObjectRestorer&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint and EndPaint of one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A window timer, killed with its owner object.
class ScopedTimer {
 public:
  ScopedTimer() noexcept = default;
  ScopedTimer(HWND window, UINT_PTR id, UINT interval) noexcept
      : window_(window), id_(::SetTimer(window, id, interval, nullptr) ? id : 0) {}
  ~ScopedTimer() { reset(); }
  ScopedTimer(ScopedTimer&& other) noexcept
      : window_(other.window_), id_(std::exchange(other.id_, UINT_PTR{0})) {}
  ScopedTimer& operator=(ScopedTimer&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = other.window_;
      id_ = std::exchange(other.id_, UINT_PTR{0});
    }
    return *this;
  }

  explicit operator bool() const noexcept { return id_ != 0; }
  void reset() noexcept {
    if (id_) ::KillTimer(window_, std::exchange(id_, UINT_PTR{0}));
  }

 private:
  HWND window_ = nullptr;
  UINT_PTR id_ = 0;
};

// Undoes a paired call that has no handle of its own (a lock taken, a flag
// raised, colours swapped) when the scope ends, whichever way it ends,
// unless released first. The undoing must not throw.
template <typename Undo>
class ScopeExit {
 public:
  explicit ScopeExit(Undo undo) noexcept(std::is_nothrow_move_constructible_v<Undo>) : undo_(std::move(undo)) {}
  ~ScopeExit() {
    if (armed_) undo_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

  // The pair stays as it is: nothing is undone.
  void release() noexcept { armed_ = false; }

 private:
  Undo undo_;
  bool armed_ = true;
};

// `const auto done = OnScopeExit([&] { ... });`
template <typename Undo>
[[nodiscard]] ScopeExit<Undo> OnScopeExit(Undo undo) {
  return ScopeExit<Undo>(std::move(undo));
}

// COM on this thread, single-threaded apartment, for as long as it lives.
// CoUninitialize only follows a CoInitialize that succeeded.
class ComApartment {
 public:
  ComApartment() noexcept : initialized_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool Initialized() const noexcept { return initialized_; }

 private:
  bool initialized_;
};

}  // namespace tarvelo

#endif

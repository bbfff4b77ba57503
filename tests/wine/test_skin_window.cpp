// The two stacked windows of the real main form: where they land, what they
// are, hiding and showing with Tag, dragging with the system's mouse input,
// and the pieces beneath (the layered update, the colour-key attributes, the
// capture laid over the skin) on windows and pictures made here.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#include <zlib.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "tests/wine/message_box_answerer.h"
#include "tests/wine/mouse_and_pixels.h"
#include "tests/wine/wine_test_util.h"
#include "ui/form_main.h"
#include "ui/skin/layered_window.h"
#include "ui/skin/skin_image.h"
#include "ui/skin/system_screens.h"

namespace tarvelo {
namespace {

using testing::PumpUntil;
using Rgba = std::array<std::uint8_t, 4>;

constexpr auto kDeadline = std::chrono::seconds(20);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// ---- pictures and files made here ----------------------------------------

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendChunk(std::vector<std::uint8_t>& file, const char* type, const std::vector<std::uint8_t>& data) {
  AppendBigEndian(file, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  AppendBigEndian(file, static_cast<std::uint32_t>(crc32(0, &file[typeAt], static_cast<uInt>(file.size() - typeAt))));
}

// An 8-bit RGBA PNG file in this test's scratch folder; returns its Windows path.
std::string WriteRgbaPng(const std::string& name, int width, int height, const std::function<Rgba(int, int)>& pixel) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const Rgba p = pixel(x, y);
      raw.insert(raw.end(), p.begin(), p.end());
    }
  }
  std::vector<std::uint8_t> packed(compressBound(static_cast<uLong>(raw.size())));
  uLongf packedSize = static_cast<uLongf>(packed.size());
  compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(packedSize);

  std::vector<std::uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  AppendBigEndian(header, static_cast<std::uint32_t>(width));
  AppendBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  AppendChunk(file, "IHDR", header);
  AppendChunk(file, "IDAT", packed);
  AppendChunk(file, "IEND", {});

  testing::ScratchUnixDir("skin-window");
  const std::string path = "Z:\\tmp\\tarvelo-wine-tests\\skin-window\\" + name;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return path;
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  return path;
}

std::string OpaqueSkin(const std::string& name, int width, int height) {
  return WriteRgbaPng(name, width, height, [](int x, int y) {
    return Rgba{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 90, 255};
  });
}

// ---- window facts -----------------------------------------------------------

RECT BoundsOf(HWND window) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return bounds;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

RECT WorkArea() {
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// Whether `upper` lies above `lower` in the Z order.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

void PressLeft(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}

SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}

// The work area as this process's own system parameters hold it. The tests
// change it with SPI_SETWORKAREA, which under Wine changes only the calling
// process's copy, never what GetMonitorInfo reports, and sends no message.
class ParameterScreens : public Screens {
 public:
  ScreenRect PrimaryWorkArea() const override { return ToScreenRect(WorkArea()); }
  bool OnAnyMonitor(const ScreenRect& bounds) const override { return SystemScreens().OnAnyMonitor(bounds); }
};

// Sets the work area for the length of a test.
class WorkAreaAside {
 public:
  WorkAreaAside() : saved_(WorkArea()) {}
  ~WorkAreaAside() { ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved_, 0); }
  WorkAreaAside(const WorkAreaAside&) = delete;
  WorkAreaAside& operator=(const WorkAreaAside&) = delete;
  static void Set(RECT work) { ASSERT_TRUE(::SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0)); }

 private:
  RECT saved_;
};

// ---- the real form ----------------------------------------------------------

class SkinWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    application_ = std::make_unique<TApplication>();
    form_ = std::make_unique<TfrmMain>(*application_);
    ASSERT_NE(form_->Skin().PngForm(), nullptr);
  }
  void TearDown() override {
    form_.reset();
    application_.reset();
  }

  HWND Main() const { return form_->Handle(); }
  HWND Png() const { return form_->Skin().PngForm()->Handle(); }

  // A skin of the given picture, in the corner, as start-up would leave it.
  void UseSkin(const std::string& path, int width, int height) {
    ASSERT_TRUE(form_->Skin().LoadSkin(path));
    form_->Skin().Place();
    const RECT main = BoundsOf(Main());
    ASSERT_EQ(main.right - main.left, width);
    ASSERT_EQ(main.bottom - main.top, height);
  }

  void FollowWorkAreaOfParameters() {
    form_->Skin().Placement().UseScreens(std::make_unique<ParameterScreens>());
  }

  std::unique_ptr<TApplication> application_;
  std::unique_ptr<TfrmMain> form_;
};

TEST_F(SkinWindow, BothWindowsAreTopmostLayeredPopupsOfTheApplicationWindowWithTheMainOneAbove) {
  for (HWND window : {Main(), Png()}) {
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
    // Owned by the hidden application window: no taskbar button, and not
    // owned by the main window, which would have to stay above it.
    EXPECT_EQ(::GetWindow(window, GW_OWNER), application_->Handle());
    EXPECT_TRUE(::IsWindowVisible(window));
    char caption[64] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Tarvelo");
  }
  char className[64] = {};
  ::GetClassNameA(Png(), className, sizeof className);
  EXPECT_STREQ(className, "TPNGForm");
  EXPECT_FALSE(::IsWindowVisible(application_->Handle()));
  EXPECT_TRUE(IsAbove(Main(), Png()));
  EXPECT_TRUE(SameRect(BoundsOf(Main()), BoundsOf(Png()))) << Describe(BoundsOf(Main()));
  EXPECT_EQ(form_->Tag(), 1);

  // After the fade-in only the white colour key is left.
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(Main(), &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD{LWA_COLORKEY});
  EXPECT_EQ(key, kWhite);
}

TEST_F(SkinWindow, TheSkinSizesTheWindowsAndTheWorkAreaSizePlacesThemAMissingSkinChangesNothing) {
  UseSkin(OpaqueSkin("wide.png", 300, 200), 300, 200);
  const RECT work = WorkArea();
  const RECT expected{work.right - 300, work.bottom - 200, work.right, work.bottom};
  EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));

  // The failure is reported, the skin is empty, and the windows keep their
  // size and place; a fade with the empty skin still runs.
  testing::MessageBoxAnswerer answerer;
  EXPECT_FALSE(form_->Skin().LoadSkin("Z:\\tmp\\tarvelo-wine-tests\\skin-window\\none.png"));
  EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Image none.png introuvable."});
  EXPECT_TRUE(form_->Skin().Skin().empty());
  form_->acHideExecute();
  form_->acShowExecute();
  EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
}

// The box names the file with every character, also those outside the ANSI
// code page (Cyrillic and Chinese on a Windows whose code page is 1252).
TEST_F(SkinWindow, AMissingSkinIsNamedWithEveryCharacterOfItsName) {
  testing::MessageBoxAnswerer answerer;
  EXPECT_FALSE(form_->Skin().LoadSkin("Z:\\tmp\\tarvelo-wine-tests\\skin-window\\\u0444\u043e\u0440\u043c\u0430 "
                                      "\u76ae\u80a4.png"));
  EXPECT_EQ(answerer.Texts(),
            std::vector<std::string>{"Image \u0444\u043e\u0440\u043c\u0430 \u76ae\u80a4.png introuvable."});
}

// A file that breaks off inside its image data is refused with the format
// message, not the end of the program: libpng's error comes back by longjmp
// from deep within its reading of the rows, which on 64-bit Windows unwinds
// through every frame on the way.
TEST(SkinFile, ACutImageIsRefusedAsABadFormat) {
  const std::string path = OpaqueSkin("cut.png", 64, 64);
  std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
  std::vector<std::string> shown;
  SkinImage image;
  EXPECT_FALSE(LoadSkinImage(path, image, [&shown](SkinFailure failure, const std::string& name) {
    shown.push_back(failure == SkinFailure::BadFormat ? "Erreur format PNG (" + name + ")" : name);
  }));
  EXPECT_EQ(shown, std::vector<std::string>{"Erreur format PNG (cut.png)"});
}

// Moved to a monitor of 200 % and back: both layers, the skin and the
// pictures take the new scale, and at 100 % again every pixel and place is
// as it was.
TEST_F(SkinWindow, AScaleChangeRescalesBothLayersAndThePicturesInPlace) {
  const SkinImage before = form_->Skin().Skin();
  ASSERT_FALSE(before.empty());
  const RECT openBefore = form_->Buttons().Control(Picture::OpenCD).BoundsRect();
  const auto changeTo = [this](UINT dpi, RECT suggested) {
    ::SendMessageA(Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  };

  // Never dragged, the window keeps to the work area's corner at each size.
  const RECT work = WorkArea();
  changeTo(192, RECT{100, 120, 150, 150});
  const RECT expected{work.right - 2 * before.width, work.bottom - 2 * before.height, work.right, work.bottom};
  EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
  EXPECT_EQ(form_->Skin().Skin().width, 2 * before.width);
  EXPECT_EQ(form_->Skin().Skin().height, 2 * before.height);
  const TImageControl& open = form_->Buttons().Control(Picture::OpenCD);
  const RECT doubled{2 * openBefore.left, 2 * openBefore.top, 2 * openBefore.right, 2 * openBefore.bottom};
  EXPECT_TRUE(SameRect(open.BoundsRect(), doubled)) << Describe(open.BoundsRect());
  EXPECT_EQ(open.PictureSize().cx, 2 * (openBefore.right - openBefore.left));
  EXPECT_EQ(open.PictureSize().cy, 2 * (openBefore.bottom - openBefore.top));
  EXPECT_EQ(form_->Buttons().ClosePictures().Width(), 40);

  changeTo(96, RECT{10, 20, 30, 40});
  EXPECT_TRUE(SameRect(BoundsOf(Main()), RECT{work.right - before.width, work.bottom - before.height, work.right,
                                               work.bottom}))
      << Describe(BoundsOf(Main()));
  EXPECT_EQ(form_->Skin().Skin().pixels, before.pixels);
  EXPECT_TRUE(SameRect(open.BoundsRect(), openBefore)) << Describe(open.BoundsRect());
  EXPECT_EQ(open.PictureSize().cx, openBefore.right - openBefore.left);
}

// Without a skin the window keeps its designed size, 251 x 215 at 100 %: at
// another scale that size is scaled like the pictures on it, which would
// otherwise hang over its edges.
TEST_F(SkinWindow, WithoutASkinTheDesignedSizeTakesTheScreensScale) {
  testing::MessageBoxAnswerer answerer;
  ASSERT_FALSE(form_->Skin().LoadSkin("Z:\\tmp\\tarvelo-wine-tests\\skin-window\\none.png"));
  const RECT work = WorkArea();
  for (const auto& [dpi, width, height] : {std::tuple{144u, 377, 323}, std::tuple{96u, 251, 215}}) {
    RECT suggested{10, 20, 30, 40};
    ::SendMessageA(Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const RECT expected{work.right - width, work.bottom - height, work.right, work.bottom};
    EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << dpi << ": " << Describe(BoundsOf(Main()));
    EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << dpi << ": " << Describe(BoundsOf(Png()));
  }
}

// With the taskbar at the top or at the left the work area does not start at
// the screen's origin: the windows still go to its bottom-right corner.
TEST_F(SkinWindow, TheCornerIsTheWorkAreasWhereverItsOriginIs) {
  FollowWorkAreaOfParameters();
  const RECT saved = WorkArea();
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  const RECT size = BoundsOf(Main());
  const int w = size.right - size.left;
  const int h = size.bottom - size.top;
  for (RECT work : {RECT{0, 40, width, height}, RECT{48, 0, width, height - 30}}) {
    ASSERT_TRUE(::SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0));
    form_->Skin().Place();
    const RECT expected{work.right - w, work.bottom - h, work.right, work.bottom};
    EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
    EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
  }
  RECT restore = saved;
  ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &restore, 0);
}

// Windows sends both messages to every top-level window; Wine sends neither
// for SPI_SETWORKAREA, so the test sends them as the system would. A change
// that no message tells of (Wine's taskbar band moving later, a shell that
// does not send one) is seen on the drive timer's tick.
TEST_F(SkinWindow, TheWindowsFollowTheCornerOnTheSettingsAndTheDisplayMessageOrElseOnTheTick) {
  FollowWorkAreaOfParameters();
  const WorkAreaAside aside;
  const RECT size = BoundsOf(Main());
  const int w = size.right - size.left;
  const int h = size.bottom - size.top;
  const auto expectCorner = [&](const RECT& work) {
    const RECT expected{work.right - w, work.bottom - h, work.right, work.bottom};
    EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
    EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
  };
  const RECT taller{0, 0, 1700, 900};
  WorkAreaAside::Set(taller);
  ::SendMessageA(Main(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  expectCorner(taller);
  const RECT lower{0, 0, 1024, 768};
  WorkAreaAside::Set(lower);
  ::SendMessageA(Main(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  expectCorner(lower);
  const RECT bandMoved{0, 0, 1024, 748};
  WorkAreaAside::Set(bandMoved);
  form_->TimerCheckTimer();
  expectCorner(bandMoved);
}

TEST_F(SkinWindow, AHiddenWindowStaysParkedThroughAChangeAndShowsAtTheNewCorner) {
  FollowWorkAreaOfParameters();
  const WorkAreaAside aside;
  const RECT shown = BoundsOf(Main());
  const int w = shown.right - shown.left;
  const int h = shown.bottom - shown.top;
  form_->acHideExecute();
  const RECT parked = BoundsOf(Main());
  const RECT work{0, 0, 1200, 700};
  WorkAreaAside::Set(work);
  ::SendMessageA(Main(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_EQ(BoundsOf(Main()).top, parked.top);

  form_->acShowExecute();
  const RECT expected{work.right - w, work.bottom - h, work.right, work.bottom};
  EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
}

TEST_F(SkinWindow, HideParksTheMainWindowAboveTheScreenByAtLeastItsHeightAndShowBringsItBack) {
  struct Case {
    int height;
    int parkedTop;
  };
  for (const Case c : {Case{200, -300}, Case{450, -450}}) {
    SCOPED_TRACE(c.height);
    UseSkin(OpaqueSkin("tall.png", 180, c.height), 180, c.height);
    const RECT shown = BoundsOf(Main());

    for (int round = 0; round < 2; ++round) {
      form_->acHideExecute();
      EXPECT_EQ(form_->Tag(), 0);
      const RECT parked = BoundsOf(Main());
      EXPECT_EQ(parked.top, c.parkedTop);
      EXPECT_EQ(parked.left, shown.left);
      EXPECT_EQ(parked.bottom - parked.top, c.height);
      EXPECT_TRUE(::IsWindowVisible(Main())) << "moved away, not hidden";
      EXPECT_TRUE(SameRect(BoundsOf(Png()), shown));
    }
    for (int round = 0; round < 2; ++round) {
      form_->acShowExecute();
      EXPECT_EQ(form_->Tag(), 1);
      EXPECT_TRUE(SameRect(BoundsOf(Main()), shown)) << Describe(BoundsOf(Main()));
      EXPECT_TRUE(SameRect(BoundsOf(Png()), shown));
      EXPECT_TRUE(::IsWindowVisible(Main()));
      EXPECT_TRUE(IsAbove(Main(), Png()));
    }
    form_->acHideExecute();
    EXPECT_EQ(form_->Tag(), 0);
    form_->acShowExecute();
  }
}

// The drag runs its own loop until the button is released, so the test's
// steps run from a timer that the loop's message pumping dispatches.
struct DragScript {
  TfrmMain* form = nullptr;
  POINT press{};
  int tick = 0;
  bool done = false;
  bool mainHiddenWhileDragging = false;
  bool moveCursorWhileDragging = false;
  bool reentryIgnored = false;
};
DragScript* g_drag = nullptr;

constexpr int kDragSteps = 10;
constexpr POINT kDragStep{-10, -6};

void CALLBACK DragTick(HWND, UINT, UINT_PTR id, DWORD) {
  DragScript& s = *g_drag;
  if (s.done) return;
  ++s.tick;
  if (s.tick == 2) {
    s.mainHiddenWhileDragging = !::IsWindowVisible(s.form->Handle()) && s.form->Skin().Busy();
    s.moveCursorWhileDragging = ::GetCursor() == ::LoadCursorA(nullptr, IDC_SIZEALL);
    // Commands that arrive during the drag must not start a second drag or a fade.
    const int tickBefore = s.tick;
    s.form->FormMouseDown(MouseButton::Left, POINT{20, 110});
    s.form->acHideExecute();
    s.form->acShowExecute();
    s.reentryIgnored = s.tick == tickBefore && s.form->Tag() == 1 && s.form->Skin().Busy();
  }
  ::SetCursorPos(s.press.x + kDragStep.x * s.tick, s.press.y + kDragStep.y * s.tick);
  if (s.tick < kDragSteps) return;
  // The last move comes with the release, as a quick hand's would.
  PressLeft(MOUSEEVENTF_LEFTUP);
  ::KillTimer(nullptr, id);
  s.done = true;
}

TEST_F(SkinWindow, ADragMovesBothWindowsByTheCursorDisplacementAndIgnoresCommandsMeanwhile) {
  UseSkin(OpaqueSkin("drag.png", 240, 220), 240, 220);
  const RECT start = BoundsOf(Main());
  // Left of the picture controls, on opaque skin.
  DragScript script;
  script.form = form_.get();
  script.press = POINT{start.left + 20, start.top + 110};
  g_drag = &script;

  ASSERT_TRUE(testing::MoveMouseTo(script.press));
  PressLeft(MOUSEEVENTF_LEFTDOWN);
  // The hand moves on before the program gets to the press: the grip is
  // still where the button went down.
  ::SetCursorPos(script.press.x + kDragStep.x, script.press.y + kDragStep.y);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &DragTick);
  ASSERT_NE(timer, 0u);
  EXPECT_TRUE(PumpUntil([&] { return script.done && !form_->Skin().Busy(); }, kDeadline));
  if (!script.done) {
    ::KillTimer(nullptr, timer);
    PressLeft(MOUSEEVENTF_LEFTUP);
  }
  g_drag = nullptr;

  EXPECT_TRUE(script.mainHiddenWhileDragging);
  EXPECT_TRUE(script.moveCursorWhileDragging);
  EXPECT_TRUE(script.reentryIgnored);
  const RECT expected{start.left + kDragStep.x * kDragSteps, start.top + kDragStep.y * kDragSteps,
                      start.right + kDragStep.x * kDragSteps, start.bottom + kDragStep.y * kDragSteps};
  EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
  EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
  EXPECT_TRUE(::IsWindowVisible(Main()));
  EXPECT_EQ(form_->Tag(), 1);
  EXPECT_NE(::GetCursor(), ::LoadCursorA(nullptr, IDC_SIZEALL));

  // Put there by the user, the windows stay there when the displays change.
  ::SendMessageA(Main(), WM_DISPLAYCHANGE, 32, 0);
  EXPECT_TRUE(SameRect(BoundsOf(Main()), expected)) << Describe(BoundsOf(Main()));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), expected)) << Describe(BoundsOf(Png()));
}

TEST_F(SkinWindow, PressesThatDoNotDragLeaveBothWindowsInPlace) {
  const RECT start = BoundsOf(Main());
  const POINT grip{20, 110};
  ASSERT_TRUE(testing::MoveMouseTo(Main(), grip));
  // A right press only raises; a left press released where it was moves nothing.
  form_->FormMouseDown(MouseButton::Right, grip);
  EXPECT_TRUE(SameRect(BoundsOf(Png()), start));
  EXPECT_TRUE(::IsWindowVisible(Main()));
  form_->FormMouseDown(MouseButton::Left, grip);
  EXPECT_TRUE(SameRect(BoundsOf(Main()), start));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), start));
  EXPECT_TRUE(::IsWindowVisible(Main()));

  // The hidden skin is invisible but may still be pressed: nothing moves into view.
  form_->acHideExecute();
  const RECT parked = BoundsOf(Main());
  form_->FormMouseDown(MouseButton::Left, grip);
  EXPECT_TRUE(SameRect(BoundsOf(Main()), parked));
  EXPECT_TRUE(SameRect(BoundsOf(Png()), start));
}

TEST_F(SkinWindow, FadesKeepNoPictureBehind) {
  // Fades without their pauses: each one still makes every layered update and
  // snapshot. A kept 32-bit picture of the window's size per update would add
  // megabytes with every round.
  form_->Skin().FadeOutSkin(0);
  form_->Skin().FadeInSkin(0);
  const SIZE_T before = PrivateBytes();
  for (int round = 0; round < 10; ++round) {
    form_->Skin().FadeOutSkin(0);
    form_->Skin().FadeInSkin(0);
  }
  const SIZE_T after = PrivateBytes();
  EXPECT_LT(after, before + 4 * 1024 * 1024) << before << " -> " << after;
  EXPECT_TRUE(SameRect(BoundsOf(Main()), BoundsOf(Png())));
}

// ---- the pieces, on windows and pictures made here ------------------------

class PlainLayeredWindow : public Window {
 public:
  PlainLayeredWindow() {
    RegisterWindowClass("TarveloTestLayered");
    CreateHandle("TarveloTestLayered", "", WS_POPUP, WS_EX_TOOLWINDOW, 10, 10, 50, 40, nullptr);
  }
};

TEST(SkinLayer, TheUpdateMakesTheWindowLayeredAndNeverResizesIt) {
  PlainLayeredWindow window;
  SkinImage big;
  big.width = 100;
  big.height = 100;
  big.pixels.assign(100 * 100 * 4, 0x80);
  UpdateSkinLayer(window.Handle(), big, 255);
  EXPECT_TRUE(::GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(SameRect(BoundsOf(window.Handle()), RECT{10, 10, 60, 50})) << Describe(BoundsOf(window.Handle()));
  UpdateSkinLayer(window.Handle(), SkinImage{}, 0);
  EXPECT_TRUE(SameRect(BoundsOf(window.Handle()), RECT{10, 10, 60, 50})) << Describe(BoundsOf(window.Handle()));
}

TEST(SkinLayer, LayeredAttributesFollowEveryChangeAndDropTheStyleWhenBothAreOff) {
  PlainLayeredWindow window;
  LayeredAttributes layered(true, 255, true, RGB(255, 0, 255));
  layered.Attach(window.Handle());
  const auto current = [&] {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ::GetLayeredWindowAttributes(window.Handle(), &key, &alpha, &flags);
    return std::make_tuple(key, int{alpha}, flags);
  };
  EXPECT_EQ(current(), std::make_tuple(RGB(255, 0, 255), 255, DWORD{LWA_ALPHA | LWA_COLORKEY}));
  layered.SetTransparentColorValue(kWhite);
  layered.SetAlphaBlendValue(0);
  EXPECT_EQ(current(), std::make_tuple(kWhite, 0, DWORD{LWA_ALPHA | LWA_COLORKEY}));
  layered.SetAlphaBlend(false);
  EXPECT_EQ(std::get<2>(current()), DWORD{LWA_COLORKEY});
  EXPECT_EQ(std::get<0>(current()), kWhite);
  layered.SetTransparentColor(false);
  EXPECT_EQ(::GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  layered.SetAlphaBlend(true);
  EXPECT_TRUE(::GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(current(), std::make_tuple(kWhite, 0, DWORD{LWA_ALPHA}));
}

SkinImage UniformSkin(int width, int height) {
  SkinImage skin;
  skin.width = width;
  skin.height = height;
  for (int i = 0; i < width * height; ++i) skin.pixels.insert(skin.pixels.end(), {10, 20, 30, 40});
  return skin;
}

// Every capture pixel gets its own colour, so a wrong row length or a row
// read from the wrong place shows.
COLORREF PatternColour(int x, int y) { return RGB(x * 40 + 1, y * 50 + 2, 7); }

void PaintPattern(HDC dc, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ::SetPixel(dc, x, y, PatternColour(x, y));
  }
}

TEST(SkinSnapshot, TheCaptureOfAnOddWidthLandsPixelForPixelAndWhiteLeavesTheSkin) {
  const SkinImage skin = UniformSkin(3, 3);
  const SkinImage snapshot = ComposeWindowSnapshot(
      skin, SIZE{3, 3},
      [](HDC dc) {
        PaintPattern(dc, 3, 3);
        ::SetPixel(dc, 1, 1, kWhite);
      },
      kWhite);
  ASSERT_EQ(snapshot.width, 3);
  ASSERT_EQ(snapshot.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      const std::uint8_t* p = &snapshot.pixels[std::size_t(y * 3 + x) * 4];
      if (x == 1 && y == 1) {
        EXPECT_EQ(Rgba({p[0], p[1], p[2], p[3]}), Rgba({10, 20, 30, 40}));
      } else {
        const COLORREF c = PatternColour(x, y);
        EXPECT_EQ(Rgba({p[0], p[1], p[2], p[3]}), Rgba({GetBValue(c), GetGValue(c), GetRValue(c), 255}))
            << x << "," << y;
      }
    }
  }
}

TEST(SkinSnapshot, AWindowSmallerOrLargerThanTheSkinIsReadOnlyWhereBothAre) {
  const SkinImage skin = UniformSkin(5, 4);
  // The system gave the window less than the skin's size: the rest keeps the skin.
  const SkinImage small =
      ComposeWindowSnapshot(skin, SIZE{2, 3}, [](HDC dc) { PaintPattern(dc, 2, 3); }, kWhite);
  ASSERT_EQ(small.width, 5);
  ASSERT_EQ(small.height, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t alpha = small.pixels[std::size_t(y * 5 + x) * 4 + 3];
      EXPECT_EQ(alpha, (x < 2 && y < 3) ? 255 : 40) << x << "," << y;
    }
  }
  // A larger window: the snapshot keeps the skin's size.
  const SkinImage large =
      ComposeWindowSnapshot(skin, SIZE{9, 9}, [](HDC dc) { PaintPattern(dc, 9, 9); }, kWhite);
  EXPECT_EQ(large.width, 5);
  EXPECT_EQ(large.height, 4);
  EXPECT_EQ(large.pixels.size(), skin.pixels.size());
  // Nothing to lay anything over: no capture is taken at all.
  bool painted = false;
  const SkinImage none = ComposeWindowSnapshot(SkinImage{}, SIZE{4, 4}, [&](HDC) { painted = true; }, kWhite);
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(painted);
}

}  // namespace
}  // namespace tarvelo

// The picture buttons of the real main form, driven through the system's
// mouse input: hover pictures, what the masks leave see-through, what the
// window paints, and what a click runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/wine/mouse_and_pixels.h"
#include "tests/wine/recording_drive_io.h"
#include "tests/wine/wine_test_util.h"
#include "ui/about/form_about.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using testing::Canvas;
using testing::CentreOf;
using testing::PumpUntil;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr auto kDeadline = std::chrono::seconds(5);

// What a list image looks like, worked out through the list's own drawing:
// a pixel drawn the same over black and over white is the image's, one that
// follows the background is masked.
struct ListImage {
  std::vector<bool> masked;
  std::vector<std::uint32_t> colour;
};

ListImage ReadListImage(const TImageList& list, int index) {
  Canvas overBlack(list.Width(), list.Height(), 0x000000);
  Canvas overWhite(list.Width(), list.Height(), kWhite);
  list.Draw(overBlack.Dc(), 0, 0, index);
  list.Draw(overWhite.Dc(), 0, 0, index);
  ListImage image;
  for (int y = 0; y < list.Height(); ++y) {
    for (int x = 0; x < list.Width(); ++x) {
      const std::uint32_t black = overBlack.Pixel(x, y);
      const std::uint32_t white = overWhite.Pixel(x, y);
      image.masked.push_back(black == 0x000000 && white == kWhite);
      image.colour.push_back(white);
    }
  }
  return image;
}

class PictureButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    application_ = std::make_unique<TApplication>();
    form_ = std::make_unique<TfrmMain>(*application_, io_);
    about_ = std::make_unique<TfrmAbout>(*application_, form_->Buttons().ClosePictures());
    ASSERT_TRUE(::IsWindowVisible(Main())) << "the start-up fade-in shows the window";
    ASSERT_TRUE(MoveAway());
    io_.calls.clear();
  }
  void TearDown() override {
    about_.reset();
    form_.reset();
    application_.reset();
  }

  HWND Main() const { return form_->Handle(); }

  // The cursor well away from both windows; the form sees it leave.
  bool MoveAway() {
    const bool moved = testing::MoveMouseTo(POINT{1, 1});
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    return moved;
  }
  bool MoveOnto(const TImageControl& control) {
    return testing::MoveMouseTo(Main(), CentreOf(control.BoundsRect()));
  }
  bool ShowsPicture(const TImageControl& control, int index) {
    return PumpUntil([&] { return control.PictureIndex() == index; }, kDeadline);
  }

  testing::RecordingDriveIo io_;
  std::unique_ptr<TApplication> application_;
  std::unique_ptr<TfrmMain> form_;
  std::unique_ptr<TfrmAbout> about_;
};

TEST_F(PictureButtons, StartWithTheNormalPicturesAndOnlyVisibleOnesTakeTheMouse) {
  EXPECT_EQ(form_->Buttons().Control(Picture::OpenCD).PictureIndex(), 0);
  EXPECT_EQ(form_->Buttons().Control(Picture::CloseCd).PictureIndex(), 1);
  EXPECT_EQ(form_->Buttons().Control(Picture::Exit).PictureIndex(), 0);
  EXPECT_EQ(form_->Buttons().Control(Picture::Hide).PictureIndex(), 2);
  EXPECT_EQ(form_->Buttons().Control(Picture::Logo).PictureSize().cx, 137);
  EXPECT_EQ(form_->Buttons().Control(Picture::Logo).PictureSize().cy, 60);

  // The hidden bar picture takes no mouse; the background is nobody's.
  EXPECT_EQ(form_->Buttons().ControlAt(CentreOf(form_->Buttons().Control(Picture::Hide).BoundsRect())), nullptr);
  EXPECT_EQ(form_->Buttons().ControlAt(POINT{10, 10}), nullptr);
  EXPECT_EQ(form_->Buttons().ControlAt(POINT{56, 20}), &form_->Buttons().Control(Picture::Logo));
  EXPECT_EQ(form_->Buttons().ControlAt(POINT{200, 142}), &form_->Buttons().Control(Picture::OpenCD));
  EXPECT_EQ(form_->Buttons().ControlAt(POINT{201, 142}), nullptr);
}

TEST_F(PictureButtons, HighlightWhileTheMouseIsOverAndReturnToNormalAfter) {
  struct Case {
    const TImageControl* control;
    int highlighted;
    int normal;
  };
  for (const Case& c : {Case{&form_->Buttons().Control(Picture::OpenCD), 2, 0}, Case{&form_->Buttons().Control(Picture::CloseCd), 3, 1}, Case{&form_->Buttons().Control(Picture::Exit), 1, 0}}) {
    ASSERT_TRUE(MoveOnto(*c.control));
    EXPECT_TRUE(ShowsPicture(*c.control, c.highlighted)) << c.control->PictureIndex();
    ASSERT_TRUE(MoveAway());
    EXPECT_TRUE(ShowsPicture(*c.control, c.normal)) << c.control->PictureIndex();
  }

  // From one picture straight onto the next: the first one is left.
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::OpenCD)));
  ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::OpenCD), 2));
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::CloseCd)));
  EXPECT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::CloseCd), 3));
  EXPECT_EQ(form_->Buttons().Control(Picture::OpenCD).PictureIndex(), 0);
  // The logo has no highlighted picture.
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::Logo)));
  EXPECT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::CloseCd), 1));
  EXPECT_EQ(form_->Buttons().Control(Picture::Logo).PictureIndex(), -1);
}

TEST_F(PictureButtons, ShowTheHandCursorOverPicturesOnly) {
  const HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  const auto cursorAt = [&](POINT client) {
    ::SetCursor(nullptr);
    testing::MoveMouseTo(Main(), client);
    ::SendMessageA(Main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Main()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
  };
  for (const TImageControl* control : {&form_->Buttons().Control(Picture::OpenCD), &form_->Buttons().Control(Picture::CloseCd), &form_->Buttons().Control(Picture::Exit), &form_->Buttons().Control(Picture::Logo)}) {
    EXPECT_EQ(cursorAt(CentreOf(control->BoundsRect())), hand);
  }
  EXPECT_NE(cursorAt(POINT{10, 10}), hand);
}

// Every pixel a list image masks must stay white in the control's picture,
// whatever was shown before: white is the window's see-through colour, so
// these pixels show the skin. No pixel of the image itself may be white.
TEST_F(PictureButtons, MaskedPixelsStayWhiteThroughEveryPictureChange) {
  const auto expectPicture = [](const TImageControl& control, const TImageList& list, int index) {
    const ListImage image = ReadListImage(list, index);
    const std::vector<std::uint32_t> pixels = testing::BitmapPixels(control.Picture(), control.PictureSize());
    ASSERT_EQ(pixels.size(), image.colour.size());
    int masked = 0;
    int wrong = 0;
    int whiteInImage = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      if (image.masked[i]) {
        ++masked;
        wrong += pixels[i] != kWhite;
      } else {
        wrong += pixels[i] != image.colour[i];
        whiteInImage += image.colour[i] == kWhite;
      }
    }
    EXPECT_GT(masked, 0) << "image " << index << " has no transparent pixels";
    EXPECT_LT(masked, static_cast<int>(pixels.size()) / 2) << "image " << index << " is mostly transparent";
    EXPECT_EQ(wrong, 0) << "image " << index;
    EXPECT_EQ(whiteInImage, 0) << "image " << index << " has opaque white pixels";
  };

  expectPicture(form_->Buttons().Control(Picture::OpenCD), form_->Buttons().ButtonPictures(), 0);
  expectPicture(form_->Buttons().Control(Picture::CloseCd), form_->Buttons().ButtonPictures(), 1);
  expectPicture(form_->Buttons().Control(Picture::Exit), form_->Buttons().ClosePictures(), 0);
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::OpenCD)));
    ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::OpenCD), 2));
    expectPicture(form_->Buttons().Control(Picture::OpenCD), form_->Buttons().ButtonPictures(), 2);
    ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::CloseCd)));
    ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::CloseCd), 3));
    expectPicture(form_->Buttons().Control(Picture::CloseCd), form_->Buttons().ButtonPictures(), 3);
    expectPicture(form_->Buttons().Control(Picture::OpenCD), form_->Buttons().ButtonPictures(), 0);
    ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::Exit)));
    ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::Exit), 1));
    expectPicture(form_->Buttons().Control(Picture::Exit), form_->Buttons().ClosePictures(), 1);
    expectPicture(form_->Buttons().Control(Picture::CloseCd), form_->Buttons().ButtonPictures(), 1);
    ASSERT_TRUE(MoveAway());
    ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::Exit), 0));
    expectPicture(form_->Buttons().Control(Picture::Exit), form_->Buttons().ClosePictures(), 0);
  }
  // The bar pictures of the hidden control follow the same rule.
  form_->Buttons().MouseEnter(Picture::Hide);
  expectPicture(form_->Buttons().Control(Picture::Hide), form_->Buttons().ClosePictures(), 3);
  form_->acPNGOnMouseMove.Execute();
  expectPicture(form_->Buttons().Control(Picture::Hide), form_->Buttons().ClosePictures(), 2);
}

// The fades capture the window through PaintClient: it must give the
// pictures over white, the hidden one left out.
TEST_F(PictureButtons, PaintClientDrawsTheVisiblePicturesOverWhite) {
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::OpenCD)));
  ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::OpenCD), 2));
  RECT client{};
  ::GetClientRect(Main(), &client);
  Canvas painted(client.right, client.bottom, 0x123456);
  form_->PaintClient(painted.Dc());

  const auto expectPictureAt = [&](const TImageControl& control) {
    const SIZE size = control.PictureSize();
    const RECT& at = control.BoundsRect();
    const std::vector<std::uint32_t> pixels = testing::BitmapPixels(control.Picture(), size);
    int wrong = 0;
    for (int y = 0; y < at.bottom - at.top; ++y) {
      for (int x = 0; x < at.right - at.left; ++x) {
        const bool inPicture = x < size.cx && y < size.cy;
        wrong += painted.Pixel(at.left + x, at.top + y) != (inPicture ? pixels[y * size.cx + x] : kWhite);
      }
    }
    EXPECT_EQ(wrong, 0);
  };
  expectPictureAt(form_->Buttons().Control(Picture::OpenCD));
  expectPictureAt(form_->Buttons().Control(Picture::CloseCd));
  expectPictureAt(form_->Buttons().Control(Picture::Exit));
  expectPictureAt(form_->Buttons().Control(Picture::Logo));  // 137 x 60 in a 145 x 65 control

  const RECT hidden = form_->Buttons().Control(Picture::Hide).BoundsRect();
  int notWhite = 0;
  for (int y = hidden.top; y < hidden.bottom; ++y) {
    for (int x = hidden.left; x < hidden.right; ++x) notWhite += painted.Pixel(x, y) != kWhite;
  }
  EXPECT_EQ(notWhite, 0);
  EXPECT_EQ(painted.Pixel(0, 0), kWhite);
  EXPECT_EQ(painted.Pixel(client.right - 1, client.bottom - 1), kWhite);
  EXPECT_EQ(form_->Buttons().Control(Picture::OpenCD).PictureIndex(), 2) << "painting changes no picture";
}

TEST_F(PictureButtons, TheCrossHidesTheWindowAndDoesNotEndTheProgram) {
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::Exit)));
  ASSERT_TRUE(ShowsPicture(form_->Buttons().Control(Picture::Exit), 1));
  testing::ClickMouse();
  EXPECT_TRUE(PumpUntil([&] { return form_->Tag() == 0; }, kDeadline));
  MSG quit;
  EXPECT_FALSE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the cross ended the program";
  EXPECT_TRUE(::IsWindow(Main()));
  EXPECT_TRUE(io_.calls.empty());
}

TEST_F(PictureButtons, OpenAndCloseMoveTheDefaultTrayOnAWholeClickOnly) {
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::OpenCD)));
  testing::ClickMouse();
  ASSERT_TRUE(PumpUntil([&] { return io_.Calls().size() == 1; }, kDeadline));
  EXPECT_NE(io_.calls[0].find("\"Set cdaudio door open wait\""), std::string::npos) << io_.calls[0];

  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::CloseCd)));
  testing::ClickMouse();
  ASSERT_TRUE(PumpUntil([&] { return io_.Calls().size() == 2; }, kDeadline));
  EXPECT_NE(io_.calls[1].find("\"Set cdaudio door closed wait\""), std::string::npos) << io_.calls[1];

  // Pressed on Open, released on Close: neither is a click.
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::OpenCD)));
  testing::ClickMouse(MOUSEEVENTF_LEFTDOWN, 0);
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::CloseCd)));
  testing::ClickMouse(0, MOUSEEVENTF_LEFTUP);
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  ASSERT_TRUE(form_->DriveWork().WaitForCommands(std::chrono::seconds(10)));
  EXPECT_EQ(io_.calls.size(), 2u);
  EXPECT_EQ(form_->Tag(), 1);
}

TEST_F(PictureButtons, TheLogoOpensTheAboutWindow) {
  ASSERT_FALSE(::IsWindowVisible(about_->Handle()));
  ASSERT_TRUE(MoveOnto(form_->Buttons().Control(Picture::Logo)));
  testing::ClickMouse();
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(about_->Handle()) != FALSE; }, kDeadline));
  EXPECT_EQ(form_->Tag(), 1);
}

}  // namespace
}  // namespace tarvelo

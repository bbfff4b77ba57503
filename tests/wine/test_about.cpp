// The real About window: its labels in pixels, fonts and colours, the window's
// shape and place, the keys that close it, its links and its close picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "resources/resource_ids.h"
#include "tests/wine/mouse_and_pixels.h"
#include "tests/wine/wine_test_util.h"
#include "ui/about/form_about.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using testing::PumpUntil;

constexpr auto kDeadline = std::chrono::seconds(5);

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(24, 116, 226);

struct ExpectedLabel {
  int id;
  int left;
  int top;
  COLORREF colour;
  bool underlined;
  const char* text;  // null: the maker's details, any text
};

const ExpectedLabel kExpectedLabels[] = {
    {IDC_ABOUT_LABEL16, 119, 55, kBlack, false, "Software"},
    {IDC_ABOUT_LABEL17, 177, 55, kSilver, false, "for"},
    {IDC_ABOUT_LABEL18, 119, 75, kBlack, false, "People"},
    {IDC_ABOUT_LABEL9, 254, 8, kBlack, false, "Product:"},
    {IDC_ABOUT_LABEL13, 340, 8, kBlue, false, "Tarvelo"},
    {IDC_ABOUT_LABEL7, 254, 30, kBlack, false, "Version:"},
    {IDC_ABOUT_LABEL4, 340, 30, kBlue, false, "v1.0 Free"},
    {IDC_ABOUT_LABEL14, 254, 53, kBlack, false, "Developer:"},
    {IDC_ABOUT_LABEL15, 340, 53, kBlue, false, nullptr},
    {IDC_ABOUT_LABEL3, 254, 75, kBlack, false, "Site:"},
    {IDC_ABOUT_LABEL11, 341, 75, kBlue, true, nullptr},
    {IDC_ABOUT_LABEL1, 254, 97, kBlack, false, "E-mail:"},
    {IDC_ABOUT_LABEL5, 341, 97, kBlue, true, nullptr},
    {IDC_ABOUT_LABEL6, 254, 119, kBlack, false, "Phone:"},
    {IDC_ABOUT_LABEL8, 340, 119, kBlue, false, nullptr},
    {IDC_ABOUT_LABEL12, 24, 143, kGrey, false, "Owner:"},
    {IDC_ABOUT_LABEL00, 92, 143, kBlue, false, nullptr},
    {IDC_ABOUT_LABEL2, 285, 170, kSilver, false, nullptr},
};

struct ShellCall {
  HWND owner;
  std::string verb;  // "<null>" for none
  std::string file;
  int show;
};

// Wine's own MS Sans Serif. This Wine build does not look for its fonts by
// itself, so without it a wider face stands in and the sizes below mean little.
constexpr const char* kMsSansSerifFile = "Z:\\usr\\share\\wine\\fonts\\sserife.fon";

class AboutWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_GT(::AddFontResourceExA(kMsSansSerifFile, FR_PRIVATE, nullptr), 0) << "package fonts-wine is missing";
  }
  static void TearDownTestSuite() { ::RemoveFontResourceExA(kMsSansSerifFile, FR_PRIVATE, nullptr); }

  void SetUp() override {
    application_ = std::make_unique<TApplication>();
    form_ = std::make_unique<TfrmMain>(*application_);
    about_ = std::make_unique<TfrmAbout>(
        *application_, form_->Buttons().ClosePictures(), [this](HWND owner, const char* verb, const std::string& file, int show) {
          shellCalls_.push_back(ShellCall{owner, verb ? verb : "<null>", file, show});
        });
  }
  void TearDown() override {
    about_.reset();
    form_.reset();
    application_.reset();
  }

  HWND About() const { return about_->Handle(); }
  HWND Label(int id) const { return ::GetDlgItem(About(), id); }
  bool Visible() const { return ::IsWindowVisible(About()) != FALSE; }
  RECT ClientRectOf(HWND control) const {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, About(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  std::string Text(HWND window) const {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
  }

  // A key pressed while the window has the focus, through the program's own
  // message loop (which hands keys to modeless dialogs).
  void PressKey(WPARAM key) {
    ::PostMessageA(About(), WM_KEYDOWN, key, 1);
    ::PostMessageA(About(), WM_KEYUP, key, 0xC0000001);
    ::PostQuitMessage(0);
    application_->Run();
  }

  std::unique_ptr<TApplication> application_;
  std::unique_ptr<TfrmMain> form_;
  std::unique_ptr<TfrmAbout> about_;
  std::vector<ShellCall> shellCalls_;
};

TEST_F(AboutWindow, LabelsSitAtTheirPixelPlacesInTheirFontsAndColours) {
  LOGFONTA wanted{};
  wanted.lfHeight = -13;
  lstrcpyA(wanted.lfFaceName, "MS Sans Serif");
  UniqueHRgn shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(About(), shape.get()), ERROR);
  for (const ExpectedLabel& expected : kExpectedLabels) {
    SCOPED_TRACE(expected.id);
    HWND label = Label(expected.id);
    ASSERT_NE(label, nullptr);
    const std::string text = Text(label);
    if (expected.text) {
      EXPECT_EQ(text, expected.text);
    }
    EXPECT_FALSE(text.empty());

    LOGFONTA font{};
    HFONT handle = reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0));
    ASSERT_NE(handle, nullptr);
    ::GetObjectA(handle, sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(font.lfUnderline != 0, expected.underlined);

    // The label is exactly as large as its text in that font, at its place.
    wanted.lfUnderline = expected.underlined;
    UniqueHFont measureFont(::CreateFontIndirectA(&wanted));
    testing::Canvas canvas(1, 1);
    SelectObjectRestorer select(canvas.Dc(), measureFont.get());
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(canvas.Dc(), sizeof face, face);
    EXPECT_STREQ(face, "MS Sans Serif");
    SIZE extent{};
    ::GetTextExtentPoint32A(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &extent);
    const RECT at = ClientRectOf(label);
    EXPECT_EQ(at.left, expected.left);
    EXPECT_EQ(at.top, expected.top);
    EXPECT_EQ(at.right - at.left, extent.cx);
    EXPECT_EQ(at.bottom - at.top, extent.cy);
    // Nothing may run past the window's edge or into its rounded corners.
    for (POINT corner : {POINT{at.left, at.top}, POINT{at.right - 1, at.top}, POINT{at.left, at.bottom - 1},
                         POINT{at.right - 1, at.bottom - 1}}) {
      EXPECT_TRUE(::PtInRegion(shape.get(), corner.x, corner.y)) << text << " cut at " << corner.x << "," << corner.y;
    }

    testing::Canvas paint(1, 1);
    const auto brush = ::SendMessageA(About(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(paint.Dc()),
                                      reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(::GetTextColor(paint.Dc()), expected.colour);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(WHITE_BRUSH));
  }
}

// Moved to a monitor of 200 %: the window, its rounded corners, its labels'
// places and font, and its pictures with their places all double, at the
// corner the system suggests.
TEST_F(AboutWindow, AScaleChangeDoublesTheWindowItsLabelsAndItsPictures) {
  RECT suggested{40, 60, 50, 70};
  ::SendMessageA(About(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  RECT window{};
  ::GetWindowRect(About(), &window);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 60);
  EXPECT_EQ(window.right - window.left, 2 * TfrmAbout::kClientWidth);
  EXPECT_EQ(window.bottom - window.top, 2 * TfrmAbout::kClientHeight);
  UniqueHRgn shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(About(), shape.get()), ERROR);
  // Inside the corner's curve at 100 %, outside the one twice as large.
  EXPECT_FALSE(::PtInRegion(shape.get(), 12, 3));
  EXPECT_TRUE(::PtInRegion(shape.get(), 50, 3));

  const RECT site = ClientRectOf(Label(IDC_ABOUT_LABEL11));
  EXPECT_EQ(site.left, 2 * 341);
  EXPECT_EQ(site.top, 2 * 75);
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(Label(IDC_ABOUT_LABEL11), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -26);
  EXPECT_TRUE(font.lfUnderline);

  const RECT exit = about_->CloseControl().BoundsRect();
  EXPECT_EQ(exit.left, 2 * 472);
  EXPECT_EQ(exit.right - exit.left, 40);
}

TEST_F(AboutWindow, IsABorderlessTopmostWindowCentredOnTheDesktopWhenFirstShown) {
  EXPECT_FALSE(Visible());
  EXPECT_EQ(Text(About()), "frmAbout");
  RECT client{};
  RECT window{};
  ::GetClientRect(About(), &client);
  ::GetWindowRect(About(), &window);
  EXPECT_EQ(client.right, 502);
  EXPECT_EQ(client.bottom, 204);
  EXPECT_EQ(window.right - window.left, 502) << "no frame";
  EXPECT_EQ(window.bottom - window.top, 204);
  EXPECT_TRUE(::GetWindowLongA(About(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(::GetWindowLongA(About(), GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(::GetWindow(About(), GW_OWNER), application_->Handle()) << "no taskbar button of its own";

  form_->acFormAbout.Execute();
  ASSERT_TRUE(Visible());
  ::GetWindowRect(About(), &window);
  EXPECT_EQ(window.left, (::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 502) / 2);
  EXPECT_EQ(window.top, (::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 204) / 2);

  // Moved, closed and opened again: it comes back where it was left.
  ::SetWindowPos(About(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  about_->Close();
  form_->acFormAbout.Execute();
  ::GetWindowRect(About(), &window);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 50);
}

TEST_F(AboutWindow, EnterAndEscapeCloseItOtherKeysDoNot) {
  const HWND window = About();
  form_->acFormAbout.Execute();
  for (WPARAM key : {WPARAM{'A'}, WPARAM{VK_SPACE}, WPARAM{VK_TAB}, WPARAM{VK_F4}, WPARAM{VK_DOWN}}) {
    PressKey(key);
    EXPECT_TRUE(Visible()) << "key " << key;
  }
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(Visible());

  form_->acFormAbout.Execute();
  EXPECT_EQ(About(), window) << "the same window comes back";
  EXPECT_TRUE(Visible());
  PressKey(VK_RETURN);
  EXPECT_FALSE(Visible());
  EXPECT_TRUE(::IsWindow(window));
}

TEST_F(AboutWindow, LinksHandTheirAddressesToTheShell) {
  form_->acFormAbout.Execute();
  const auto click = [&](int id) {
    HWND label = Label(id);
    ::PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  };
  click(IDC_ABOUT_LABEL11);
  click(IDC_ABOUT_LABEL5);
  click(IDC_ABOUT_LABEL15);  // plain text, no link
  ASSERT_EQ(shellCalls_.size(), 2u);

  const std::string site = Text(Label(IDC_ABOUT_LABEL11));
  EXPECT_EQ(shellCalls_[0].owner, nullptr);
  EXPECT_EQ(shellCalls_[0].verb, "<null>");
  EXPECT_EQ(shellCalls_[0].file, site);
  EXPECT_EQ(shellCalls_[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(site.rfind("https://", 0), 0u) << "the shell must be able to open " << site;

  EXPECT_EQ(shellCalls_[1].owner, About());
  EXPECT_EQ(shellCalls_[1].verb, "Open");
  EXPECT_EQ(shellCalls_[1].file,
            "mailto:info@hobrast.example?subject=New letter&Body=Dear%20developer%0D%0AThank%20you"
            "&CC=office@hobrast.example");
  EXPECT_EQ(shellCalls_[1].show, SW_RESTORE);
  EXPECT_EQ(Text(Label(IDC_ABOUT_LABEL5)), "info@hobrast.example");
  EXPECT_TRUE(Visible());

  // The hand cursor over the links only.
  const HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  for (int id : {IDC_ABOUT_LABEL11, IDC_ABOUT_LABEL5, IDC_ABOUT_LABEL13}) {
    ::SetCursor(nullptr);
    ::SendMessageA(Label(id), WM_SETCURSOR, reinterpret_cast<WPARAM>(Label(id)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor() == hand, id != IDC_ABOUT_LABEL13) << id;
  }
}

TEST_F(AboutWindow, CornersAreCutByARoundedRegion) {
  UniqueHRgn region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(::GetWindowRgn(About(), region.get()), COMPLEXREGION);
  const int right = TfrmAbout::kClientWidth - 1;
  const int bottom = TfrmAbout::kClientHeight - 1;
  for (POINT corner : {POINT{0, 0}, POINT{right, 0}, POINT{0, bottom}, POINT{right, bottom}, POINT{4, 4},
                       POINT{right - 4, bottom - 4}}) {
    EXPECT_FALSE(::PtInRegion(region.get(), corner.x, corner.y)) << corner.x << "," << corner.y;
  }
  // The region leaves out the last column and row, as the system's round
  // rectangles do.
  for (POINT inside : {POINT{251, 102}, POINT{20, 0}, POINT{0, 20}, POINT{251, bottom - 1}, POINT{right - 1, 102},
                       POINT{10, 10}, POINT{251, 0}, POINT{0, 102}}) {
    EXPECT_TRUE(::PtInRegion(region.get(), inside.x, inside.y)) << inside.x << "," << inside.y;
  }
}

TEST_F(AboutWindow, ClosePictureHighlightsUnderTheMouseAndClosesOnClick) {
  form_->acFormAbout.Execute();
  const TImageControl& cross = about_->CloseControl();
  EXPECT_EQ(cross.PictureIndex(), 0);
  ASSERT_TRUE(testing::MoveMouseTo(POINT{1, 1}));
  ASSERT_TRUE(testing::MoveMouseTo(About(), testing::CentreOf(cross.BoundsRect())));
  EXPECT_TRUE(PumpUntil([&] { return cross.PictureIndex() == 1; }, kDeadline));
  ASSERT_TRUE(testing::MoveMouseTo(About(), POINT{240, 190}));
  EXPECT_TRUE(PumpUntil([&] { return cross.PictureIndex() == 0; }, kDeadline));

  ASSERT_TRUE(testing::MoveMouseTo(About(), testing::CentreOf(cross.BoundsRect())));
  ASSERT_TRUE(PumpUntil([&] { return cross.PictureIndex() == 1; }, kDeadline));
  testing::ClickMouse();
  EXPECT_TRUE(PumpUntil([&] { return !Visible(); }, kDeadline));
  EXPECT_EQ(form_->Tag(), 1);
}

}  // namespace
}  // namespace tarvelo

#include "ui/about/form_about.h"

#include <shellapi.h>
#include <windowsx.h>

#include <iterator>

#include "app/errors.h"
#include "app/names.h"
#include "app/screen_scale.h"
#include "app/system_library.h"
#include "app/utf8.h"
#include "resources/resource_ids.h"

namespace tarvelo {

TfrmAbout* frmAbout = nullptr;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(24, 116, 226);
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr int kFontHeight = 13;  // character height in pixels
constexpr const wchar_t* kFontFace = L"MS Sans Serif";

constexpr WPARAM kDragCommand = SC_MOVE | HTCAPTION;  // 0xF012

// The copy of every letter written through the mail link goes here.
constexpr const char* kMailCopyAddress = "office@hobrast.example";
constexpr const char* kMailTemplate = "?subject=New letter&Body=Dear%20developer%0D%0AThank%20you&CC=";

struct LabelLayout {
  int id;
  int left;
  int top;
  COLORREF colour;
  bool link;
};

constexpr LabelLayout kLabels[] = {
    {IDC_ABOUT_LABEL16, 119, 55, kBlack, false},  {IDC_ABOUT_LABEL17, 177, 55, kSilver, false},
    {IDC_ABOUT_LABEL18, 119, 75, kBlack, false},  {IDC_ABOUT_LABEL9, 254, 8, kBlack, false},
    {IDC_ABOUT_LABEL13, 340, 8, kBlue, false},    {IDC_ABOUT_LABEL7, 254, 30, kBlack, false},
    {IDC_ABOUT_LABEL4, 340, 30, kBlue, false},    {IDC_ABOUT_LABEL14, 254, 53, kBlack, false},
    {IDC_ABOUT_LABEL15, 340, 53, kBlue, false},   {IDC_ABOUT_LABEL3, 254, 75, kBlack, false},
    {IDC_ABOUT_LABEL11, 341, 75, kBlue, true},    {IDC_ABOUT_LABEL1, 254, 97, kBlack, false},
    {IDC_ABOUT_LABEL5, 341, 97, kBlue, true},     {IDC_ABOUT_LABEL6, 254, 119, kBlack, false},
    {IDC_ABOUT_LABEL8, 340, 119, kBlue, false},   {IDC_ABOUT_LABEL12, 24, 143, kGrey, false},
    {IDC_ABOUT_LABEL00, 92, 143, kBlue, false},   {IDC_ABOUT_LABEL2, 285, 170, kSilver, false},
};

const LabelLayout* LayoutOf(int id) {
  for (const LabelLayout& label : kLabels) {
    if (label.id == id) return &label;
  }
  return nullptr;
}

UniqueHFont CreateLabelFont(bool underline, UINT dpi) {
  UniqueHFont font(::CreateFontW(-ScaleToDpi(kFontHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, kFontFace));
  if (!font) throw OutOfResourcesError();
  return font;
}

// The size a label needs to show its text on one line in its font.
SIZE TextSize(HWND label, HFONT font, const std::string& text) {
  WindowDc dc(label);
  SelectObjectRestorer select(dc.get(), font);
  RECT bounds{0, 0, 0, 0};
  const std::wstring wide = Widen(text);
  ::DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &bounds,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE);
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// Windows 10 (1703) and later scale a dialog and its controls' fonts and
// sizes by themselves when the scale changes; this window scales its own
// pixel layout, which would then be scaled twice. Looked up by name: older
// systems do not have the calls, and do no such scaling either.
void KeepSystemFromScaling(HWND dialog) {
  using BehaviorFn = BOOL WINAPI(HWND, int, int);
  constexpr int kDisableAll = 1;                   // DDC_DISABLE_ALL
  constexpr int kDisableFontAndRelayout = 1 | 2;   // DCDC_DISABLE_FONTUPDATE | DCDC_DISABLE_RELAYOUT
  auto* const dialogBehavior = User32().Procedure<BehaviorFn>("SetDialogDpiChangeBehavior");
  auto* const controlBehavior = User32().Procedure<BehaviorFn>("SetDialogControlDpiChangeBehavior");
  if (dialogBehavior) dialogBehavior(dialog, kDisableAll, kDisableAll);
  if (!controlBehavior) return;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    controlBehavior(child, kDisableFontAndRelayout, kDisableFontAndRelayout);
  }
}

}  // namespace

void SystemShellOpen(HWND owner, const char* verb, const std::string& file, int show) {
  ::ShellExecuteW(owner, verb ? Widen(verb).c_str() : nullptr, Widen(file).c_str(), nullptr, nullptr, show);
}

TfrmAbout::TfrmAbout(TApplication& application, const TImageList& closePictures, ShellOpen shellOpen)
    : application_(application),
      closePictures_(closePictures),
      shellOpen_(std::move(shellOpen)) {
  imgLogo.Transparent = true;
  ImageExit.HandCursor = true;
  ImageExit.OnClick = [this] { Close(); };
  ImageExit.OnMouseEnter = [this] { ImageExitMouseEnter(); };
  ImageExit.OnMouseLeave = [this] { ImageExitMouseLeave(); };
  for (TImageControl* control : {&Image1, &imgLogo, &ImageExit}) pictures_.Add(*control);

  RegisterDialogClass(names::kAboutFormClass);
  CreateDialogHandle(IDD_ABOUT, application_.Handle());
  application_.AddModelessDialog(Handle());
  frmAbout = this;
}

TfrmAbout::~TfrmAbout() {
  if (frmAbout == this) frmAbout = nullptr;
  application_.RemoveModelessDialog(Handle());
  DestroyHandle();
}

LRESULT TfrmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT pictureResult = 0;
  if (pictures_.HandleMessage(Handle(), message, wParam, lParam, pictureResult)) return pictureResult;
  switch (message) {
    case WM_INITDIALOG:
      KeepSystemFromScaling(Handle());
      LayOut(WindowDpi(Handle()));
      FormCreate();
      return FALSE;  // no control takes the focus: keys go to the window
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      RunGuarded([&] {
        LayOut(LOWORD(wParam));
        // The main window's close pictures may have changed scale meanwhile.
        ImageExit.ClearPicture();
        FormCreate();
      });
      ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Repaint();
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:      // Enter
        case IDCANCEL:  // Escape
          Close();
          return 0;
        case IDC_ABOUT_LABEL11:
          if (HIWORD(wParam) == STN_CLICKED) Label11Click();
          return 0;
        case IDC_ABOUT_LABEL5:
          if (HIWORD(wParam) == STN_CLICKED) Label5Click();
          return 0;
        default:
          break;
      }
      break;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    case WM_CTLCOLORSTATIC: {
      const LabelLayout* layout = LayoutOf(::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, layout ? layout->colour : kBlack);
      ::SetBkColor(dc, kWhite);
      return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_SETCURSOR: {
      const LabelLayout* layout = LayoutOf(::GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
      if (!layout || !layout->link) break;
      ::SetCursor(SystemCursor(IDC_HAND));
      return TRUE;
    }
    case WM_PAINT: {
      const PaintScope paint(Handle());
      pictures_.Paint(paint.get());
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      FormMouseDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CLOSE:
      // A close request from outside hides the window, as Escape does; the
      // program ends only through the main form.
      Close();
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

// The designed sizes and positions, in pixels at 100 %.
void TfrmAbout::LayOut(UINT dpi) {
  if (dpi == dpi_) return;
  // Loaded first: a failure leaves the window as it was.
  UniqueHFont font = CreateLabelFont(false, dpi);
  UniqueHFont linkFont = CreateLabelFont(true, dpi);
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  Image1.LoadPicture(module, IDB_EMBLEM, dpi);
  imgLogo.LoadPicture(module, IDB_WORDMARK, dpi);
  dpi_ = dpi;
  for (TImageControl* control : {&Image1, &imgLogo, &ImageExit}) control->SetDpi(dpi);
  const int width = ScaleToDpi(kClientWidth, dpi);
  const int height = ScaleToDpi(kClientHeight, dpi);
  ::SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const LabelLayout& layout : kLabels) {
    HWND label = ::GetDlgItem(Handle(), layout.id);
    if (!label) continue;
    HFONT labelFont = layout.link ? linkFont.get() : font.get();
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), FALSE);
    const SIZE size = TextSize(label, labelFont, LabelText(layout.id));
    ::SetWindowPos(label, nullptr, ScaleToDpi(layout.left, dpi), ScaleToDpi(layout.top, dpi), size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The labels hold the new fonts now; the old ones can go.
  font_ = std::move(font);
  linkFont_ = std::move(linkFont);
  const int corner = ScaleToDpi(kCornerEllipse, dpi);
  UniqueHRgn region(::CreateRoundRectRgn(0, 0, width, height, corner, corner));
  // Once set, the region belongs to the system.
  if (region && ::SetWindowRgn(Handle(), region.get(), TRUE)) region.release();
}

void TfrmAbout::FormCreate() {
  ImageExit.SetPictureFromList(closePictures_, IDB_CLOSE_CROSS);
}

void TfrmAbout::Show() {
  if (!placed_) {
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN) + (::GetSystemMetrics(SM_CXVIRTUALSCREEN) - width) / 2;
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN) + (::GetSystemMetrics(SM_CYVIRTUALSCREEN) - height) / 2;
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    placed_ = true;
  }
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(Handle());
}

void TfrmAbout::Close() { ::ShowWindow(Handle(), SW_HIDE); }

void TfrmAbout::Repaint() {
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TfrmAbout::ImageExitMouseEnter() {
  ImageExit.SetPictureFromList(closePictures_, IDB_CLOSE_CROSS_LIT);
  Repaint();
}

void TfrmAbout::ImageExitMouseLeave() {
  ImageExit.SetPictureFromList(closePictures_, IDB_CLOSE_CROSS);
  Repaint();
}

void TfrmAbout::Label11Click() { shellOpen_(nullptr, nullptr, LabelText(IDC_ABOUT_LABEL11), SW_SHOWNORMAL); }

void TfrmAbout::Label5Click() { shellOpen_(Handle(), "Open", MailLinkAddress(), SW_RESTORE); }

std::string TfrmAbout::MailLinkAddress() const {
  return "mailto:" + LabelText(IDC_ABOUT_LABEL5) + kMailTemplate + kMailCopyAddress;
}

// Presses on a label or picture are theirs; the background moves the window.
void TfrmAbout::FormMouseDown(POINT client) {
  if (pictures_.ControlAt(client)) return;
  ::ReleaseCapture();
  ::SendMessageW(Handle(), WM_SYSCOMMAND, kDragCommand, 0);
}

std::string TfrmAbout::LabelText(int id) const {
  wchar_t text[256] = {};
  const UINT length = ::GetDlgItemTextW(Handle(), id, text, static_cast<int>(std::size(text)));
  return Narrow(std::wstring_view(text, length));
}

}  // namespace tarvelo

// tarvelo-probe: what the end-to-end scripts cannot do from the X side. It
// runs in the same Wine session as the program under test and reads or pokes
// its windows, defines CD-ROM drives, and holds hotkeys or X keyboard focus;
// for the benchmarks it starts the program and times it to its first full
// showing, drives hide/show cycles and reads a process's costs.
// Results go to stdout; a failure exits non-zero with one line on stderr
// (exit 1: the thing looked for is not there, exit 2: the request is wrong or
// the system refused).
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/wine_drives.h"

namespace {

using tarvelo::testing::DriveView;

constexpr char kWindowClass[] = "TarveloProbeWindow";
constexpr char kDefaultTitle[] = "tarvelo-probe";
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr int kHotkeyId = 1;
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr char kXWindowProperty[] = "__wine_x11_whole_window";
constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr DWORD kPollMs = 50;

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct NotFound : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Positional words and "--name value" options; the few options without a
// value are listed in kFlags.
class Args {
 public:
  Args(int argc, char** argv) {
    static const std::set<std::string> kFlags = {"--gone", "--no-wait", "--visible"};
    for (int i = 0; i < argc; ++i) {
      const std::string word = argv[i];
      if (word.rfind("--", 0) != 0) {
        positional_.push_back(word);
      } else if (kFlags.count(word)) {
        options_[word] = "";
      } else if (i + 1 < argc) {
        options_[word] = argv[++i];
      } else {
        throw Usage(word + " needs a value");
      }
    }
  }

  const std::string& At(std::size_t index) const {
    if (index >= positional_.size()) throw Usage("missing argument " + std::to_string(index + 1));
    return positional_[index];
  }
  std::size_t Count() const { return positional_.size(); }
  std::optional<std::string> Option(const char* name) const {
    const auto found = options_.find(name);
    if (found == options_.end()) return std::nullopt;
    return found->second;
  }
  bool Flag(const char* name) const { return options_.count(name) != 0; }

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> options_;
};

unsigned long long Number(const std::string& text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0') throw Usage("not a number: " + text);
  return value;
}

HWND WindowArg(const std::string& text) {
  const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(Number(text)));
  if (!::IsWindow(window)) throw NotFound("no window " + text);
  return window;
}

char DriveArg(const std::string& text) {
  if (text.size() != 2 || text[1] != ':' || !std::isalpha(static_cast<unsigned char>(text[0]))) {
    throw Usage("a drive is written like D: (" + text + ")");
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

std::string Hex(UINT_PTR value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string HwndText(HWND window) { return Hex(reinterpret_cast<UINT_PTR>(window)); }

std::string ClassOf(HWND window) {
  char name[256] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TitleOf(HWND window) {
  char title[512] = {};
  ::GetWindowTextA(window, title, sizeof title);
  return title;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  return pid;
}

// Top-level windows, in Z order, that match every given criterion.
struct WindowFilter {
  std::optional<std::string> className;
  std::optional<std::string> title;
  std::optional<DWORD> pid;
  bool visibleOnly = false;

  WindowFilter() = default;
  explicit WindowFilter(const Args& args)
      : className(args.Option("--class")), title(args.Option("--title")), visibleOnly(args.Flag("--visible")) {
    if (const auto text = args.Option("--pid")) pid = static_cast<DWORD>(Number(*text));
  }
  WindowFilter(std::string cls, std::string caption) : className(std::move(cls)), title(std::move(caption)) {}

  bool Matches(HWND window) const {
    if (visibleOnly && !::IsWindowVisible(window)) return false;
    if (className && ClassOf(window) != *className) return false;
    if (title && TitleOf(window) != *title) return false;
    return !pid || ProcessOf(window) == *pid;
  }

  std::vector<HWND> Find() const {
    Search search{this, {}};
    ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

 private:
  struct Search {
    const WindowFilter* filter;
    std::vector<HWND> found;
  };
  static BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (search->filter->Matches(window)) search->found.push_back(window);
    return TRUE;
  }
};

void PrintWindows(const std::vector<HWND>& windows) {
  for (HWND window : windows) std::printf("%s\n", HwndText(window).c_str());
}

HWND MessageBoxWindow(const std::string& caption) {
  const std::vector<HWND> boxes = WindowFilter("#32770", caption).Find();
  if (boxes.empty()) throw NotFound("no message box captioned \"" + caption + "\"");
  return boxes.front();
}

void PrintDrive(char letter, const DriveView& view) {
  std::printf("drive=%c: type=%u readable=%d label=%s serial=%08lX\n", letter, view.type, view.readable ? 1 : 0,
              view.label.c_str(), static_cast<unsigned long>(view.serial));
}

// A small visible window of this process that lives for a number of seconds
// or until it is closed; the hotkeys it receives are reported on stdout.
class ProbeWindow {
 public:
  ProbeWindow(const std::string& title, DWORD lifetimeMs) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassA(&windowClass);
    // Away from the bottom-right corner and the tray, where the tests look.
    window_ = ::CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 300, 240, 90,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window_) throw std::runtime_error("cannot create a window");
    if (lifetimeMs) ::SetTimer(window_, kLifetimeTimer, lifetimeMs, nullptr);
  }
  ~ProbeWindow() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
  }
  ProbeWindow(const ProbeWindow&) = delete;
  ProbeWindow& operator=(const ProbeWindow&) = delete;

  HWND Handle() const { return window_; }

  static int RunUntilClosed() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    return 0;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_HOTKEY:
        std::printf("hotkey %u\n", static_cast<unsigned>(wParam));
        std::fflush(stdout);
        return 0;
      case WM_TIMER:
        if (wParam == kLifetimeTimer) ::DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        ::UnregisterHotKey(window, kHotkeyId);
        ::PostQuitMessage(0);
        return 0;
      default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
  }

  HWND window_ = nullptr;
};

DWORD SecondsOption(const Args& args) {
  const auto seconds = args.Option("--seconds");
  return seconds ? static_cast<DWORD>(Number(*seconds) * 1000) : 0;
}

void AnnounceReady(HWND window) {
  std::printf("ready %s\n", HwndText(window).c_str());
  std::fflush(stdout);
}

// ---- the commands ----

int DefineCdrom(const Args& args) {
  const char letter = DriveArg(args.At(0));
  const DWORD serial = args.Count() > 3 ? static_cast<DWORD>(Number(args.At(3))) : 0;
  if (!tarvelo::testing::DefineCdromDrive(letter, args.At(1), args.At(2), serial)) {
    throw std::runtime_error("could not define " + args.At(0) + " on " + args.At(1) +
                             " (an absolute Unix path is needed)");
  }
  PrintDrive(letter, tarvelo::testing::ReadDrive(letter));
  return 0;
}

int RemoveDrive(const Args& args) {
  if (!tarvelo::testing::RemoveDrive(DriveArg(args.At(0)))) throw std::runtime_error(args.At(0) + " is still there");
  return 0;
}

int DriveInfo(const Args& args) {
  const char letter = DriveArg(args.At(0));
  PrintDrive(letter, tarvelo::testing::ReadDrive(letter));
  return 0;
}

int FindWindow(const Args& args) {
  const std::vector<HWND> windows = WindowFilter(args).Find();
  if (windows.empty()) throw NotFound("no such window");
  PrintWindows(windows);
  return 0;
}

// Every top-level window, one a line: HWND, process, visible, class, title,
// separated by tabs; for scripts that look at many windows at once.
int ListWindows(const Args&) {
  for (HWND window : WindowFilter().Find()) {
    std::printf("%s\t%lu\t%d\t%s\t%s\n", HwndText(window).c_str(), static_cast<unsigned long>(ProcessOf(window)),
                ::IsWindowVisible(window) ? 1 : 0, ClassOf(window).c_str(), TitleOf(window).c_str());
  }
  return 0;
}

int WaitWindow(const Args& args) {
  const WindowFilter filter(args);
  const bool gone = args.Flag("--gone");
  const auto timeout = args.Option("--timeout");
  const DWORD limit = timeout ? static_cast<DWORD>(Number(*timeout)) : kDefaultTimeoutMs;
  const DWORD start = ::GetTickCount();
  for (;;) {
    const std::vector<HWND> windows = filter.Find();
    if (windows.empty() == gone) {
      PrintWindows(windows);
      return 0;
    }
    if (::GetTickCount() - start >= limit) throw NotFound(gone ? "the window is still there" : "no such window");
    ::Sleep(kPollMs);
  }
}

int WindowInfo(const Args& args) {
  const HWND window = WindowArg(args.At(0));
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
  std::printf("class=%s\ntitle=%s\n", ClassOf(window).c_str(), TitleOf(window).c_str());
  std::printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
  std::printf("visible=%d\nexstyle=%s\ntopmost=%d\n", ::IsWindowVisible(window) ? 1 : 0,
              Hex(static_cast<UINT_PTR>(exStyle)).c_str(), (exStyle & WS_EX_TOPMOST) ? 1 : 0);
  std::printf("owner=%s\npid=%lu\n", HwndText(::GetWindow(window, GW_OWNER)).c_str(),
              static_cast<unsigned long>(ProcessOf(window)));
  // Wine's X11 driver notes each window's X window here; xdotool needs it.
  std::printf("xwindow=%s\n", Hex(reinterpret_cast<UINT_PTR>(::GetPropA(window, kXWindowProperty))).c_str());
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if ((exStyle & WS_EX_LAYERED) && ::GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
    std::printf("layered_key=0x%06lx\nlayered_alpha=%u\nlayered_flags=0x%lx\n", static_cast<unsigned long>(key),
                alpha, static_cast<unsigned long>(flags));
  } else {
    std::printf("layered_key=-\nlayered_alpha=-\nlayered_flags=-\n");
  }
  return 0;
}

using MonitorLines = std::vector<std::pair<bool, std::string>>;

BOOL CALLBACK AddMonitorLine(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoA(monitor, &info)) return TRUE;
  char line[160];
  std::snprintf(line, sizeof line, "monitor=%ld,%ld,%ld,%ld work=%ld,%ld,%ld,%ld", info.rcMonitor.left,
                info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom, info.rcWork.left, info.rcWork.top,
                info.rcWork.right, info.rcWork.bottom);
  reinterpret_cast<MonitorLines*>(context)->emplace_back((info.dwFlags & MONITORINFOF_PRIMARY) != 0, line);
  return TRUE;
}

// The monitors as this process sees them, one line each, the primary first:
// "monitor=L,T,R,B work=L,T,R,B". A fresh process reads them afresh.
int Displays(const Args&) {
  MonitorLines lines;
  ::EnumDisplayMonitors(nullptr, nullptr, AddMonitorLine, reinterpret_cast<LPARAM>(&lines));
  if (lines.empty()) throw NotFound("no monitor");
  std::stable_partition(lines.begin(), lines.end(), [](const auto& line) { return line.first; });
  for (const auto& line : lines) std::printf("%s\n", line.second.c_str());
  return 0;
}

// Changes the primary display's resolution, for this session only; every
// program gets WM_DISPLAYCHANGE. Only a Wine virtual desktop can change size.
int DisplayMode(const Args& args) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(Number(args.At(0)));
  mode.dmPelsHeight = static_cast<DWORD>(Number(args.At(1)));
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  const LONG result = ::ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
  if (result != DISP_CHANGE_SUCCESSFUL) throw std::runtime_error("refused with " + std::to_string(result));
  return 0;
}

int MessageBoxText(const Args& args) {
  char text[4096] = {};
  ::GetDlgItemTextA(MessageBoxWindow(args.At(0)), kMessageBoxTextId, text, sizeof text);
  std::printf("%s\n", text);
  return 0;
}

int MessageBoxClose(const Args& args) {
  ::PostMessageA(MessageBoxWindow(args.At(0)), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

int Post(const Args& args) {
  const HWND window = WindowArg(args.At(0));
  const UINT message = static_cast<UINT>(Number(args.At(1)));
  const WPARAM wParam = static_cast<WPARAM>(Number(args.At(2)));
  const LPARAM lParam = static_cast<LPARAM>(Number(args.At(3)));
  if (!::PostMessageA(window, message, wParam, lParam)) throw std::runtime_error("PostMessage failed");
  return 0;
}

int Close(const Args& args) {
  if (!::PostMessageA(WindowArg(args.At(0)), WM_CLOSE, 0, 0)) throw std::runtime_error("PostMessage failed");
  return 0;
}

int HoldHotkey(const Args& args) {
  const UINT modifiers = static_cast<UINT>(Number(args.At(0)));
  const UINT key = static_cast<UINT>(Number(args.At(1)));
  ProbeWindow window(args.Option("--title").value_or(kDefaultTitle), SecondsOption(args));
  if (!::RegisterHotKey(window.Handle(), kHotkeyId, modifiers, key)) {
    throw std::runtime_error("the hotkey is taken (error " + std::to_string(::GetLastError()) + ")");
  }
  AnnounceReady(window.Handle());
  return ProbeWindow::RunUntilClosed();
}

int FocusWindow(const Args& args) {
  ProbeWindow window(args.Option("--title").value_or(kDefaultTitle), SecondsOption(args));
  AnnounceReady(window.Handle());
  return ProbeWindow::RunUntilClosed();
}

int BroadcastTaskbarCreated(const Args&) {
  const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  if (!message || !::PostMessageA(HWND_BROADCAST, message, 0, 0)) throw std::runtime_error("broadcast failed");
  return 0;
}

// Makes the shell forget another program's icon, as a restarted taskbar has
// forgotten every icon by the time it broadcasts "TaskbarCreated".
int TrayForget(const Args& args) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = WindowArg(args.At(0));
  data.uID = static_cast<UINT>(std::strtoul(args.At(1).c_str(), nullptr, 0));
  if (!::Shell_NotifyIconA(NIM_DELETE, &data)) throw std::runtime_error("the shell has no such icon");
  return 0;
}

// A notification area that is not ready: a window of the class the shell's
// notification calls look for, found before the real one, that refuses
// every request. It goes when closed, as the real one comes up at logon.
LRESULT CALLBACK RefusingTrayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      std::printf("refused %lu\n", static_cast<unsigned long>(reinterpret_cast<COPYDATASTRUCT*>(lParam)->dwData));
      std::fflush(stdout);
      return FALSE;
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

int RefusingTray(const Args&) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &RefusingTrayProcedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "Shell_TrayWnd";
  ::RegisterClassA(&windowClass);
  // Topmost and newest: first in the order in which windows are searched.
  HWND window = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP, 0, 0,
                                  1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) throw std::runtime_error("cannot create a window");
  AnnounceReady(window);
  return ProbeWindow::RunUntilClosed();
}

// The fixed version numbers of a file's version resource and its
// "ProductVersion" text (US English, Windows-1252, as the resources write it).
int FileVersion(const Args& args) {
  const std::string& path = args.At(0);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (!size) throw NotFound("no version resource in " + path);
  std::vector<char> block(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) throw std::runtime_error("cannot read it");
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    throw NotFound("no fixed version information");
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  std::printf("fixed=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  const bool named = ::VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductVersion", &value, &length);
  std::printf("product=%s\n", named ? static_cast<const char*>(value) : "");
  return 0;
}

// What a shortcut starts, read through the shell as Explorer reads it.
int ShortcutTarget(const Args& args) {
  struct Com {
    Com() { ::CoInitialize(nullptr); }
    ~Com() { ::CoUninitialize(); }
  } com;
  IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
    throw std::runtime_error("no shell link object");
  }
  IPersistFile* file = nullptr;
  std::string target(MAX_PATH, '\0'), folder(MAX_PATH, '\0');
  const std::wstring path(args.At(0).begin(), args.At(0).end());
  bool read = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
              SUCCEEDED(link->GetPath(target.data(), MAX_PATH, nullptr, SLGP_RAWPATH)) &&
              SUCCEEDED(link->GetWorkingDirectory(folder.data(), MAX_PATH));
  if (file) file->Release();
  link->Release();
  if (!read) throw NotFound("cannot read the shortcut " + args.At(0));
  std::printf("target=%s\nfolder=%s\n", target.c_str(), folder.c_str());
  return 0;
}

// Keeps a file open, shared as a file browser or a media player would hold
// a file on a disc, until its window is closed.
int HoldFile(const Args& args) {
  HANDLE file = ::CreateFileA(args.At(0).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open the file");
  ProbeWindow window(args.Option("--title").value_or(kDefaultTitle), SecondsOption(args));
  AnnounceReady(window.Handle());
  const int code = ProbeWindow::RunUntilClosed();
  ::CloseHandle(file);
  return code;
}

// ---- benchmark commands ----

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The program's window is shown in full: visible, on the screen (a fade-out
// moves it above the top edge) and opaque (the fade-in shows it once at
// alpha 0 before its steps, and for good only after them).
bool ShownInFull(HWND window) {
  RECT rect{};
  if (!::IsWindowVisible(window) || !::GetWindowRect(window, &rect) || rect.top < 0) return false;
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  const bool layered = (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  return !(layered && ::GetLayeredWindowAttributes(window, &key, &alpha, &flags) && (flags & LWA_ALPHA) && alpha < 255);
}

void WaitFor(const char* what, DWORD timeoutMs, const std::function<bool()>& done) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= timeoutMs) throw NotFound(std::string("timed out waiting for ") + what);
    ::Sleep(1);
  }
}

// Waits until the window's thread takes sent messages again: it does not
// while a fade runs.
void WaitAnswered(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result)) {
    throw NotFound("the window did not answer");
  }
}

DWORD TimeoutOption(const Args& args) {
  const auto timeout = args.Option("--timeout");
  return timeout ? static_cast<DWORD>(Number(*timeout)) : 60000;
}

// Starts EXE in its own folder and waits until a window of class --class
// (default TfrmMain) of the new process is shown in full; prints the new
// process, the window and the time since just before the process was created.
// With --no-wait, prints the new process at once: a window taller than the
// work area never counts as shown in full, and the caller waits for it by
// other signs.
int Launch(const Args& args) {
  const std::string exe = args.At(0);
  const std::string windowClass = args.Option("--class").value_or("TfrmMain");
  const std::size_t slash = exe.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  ::QueryPerformanceCounter(&start);
  std::string commandLine = "\"" + exe + "\"";
  if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
    throw std::runtime_error("cannot start " + exe + " (error " + std::to_string(::GetLastError()) + ")");
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  if (args.Flag("--no-wait")) {
    std::printf("pid=%lu\n", static_cast<unsigned long>(process.dwProcessId));
    return 0;
  }
  WindowFilter filter;
  filter.className = windowClass;
  filter.pid = process.dwProcessId;
  HWND window = nullptr;
  WaitFor("the window to show", TimeoutOption(args), [&] {
    for (HWND candidate : filter.Find()) {
      if (ShownInFull(candidate)) window = candidate;
    }
    return window != nullptr;
  });
  LARGE_INTEGER shown;
  ::QueryPerformanceCounter(&shown);
  std::printf("pid=%lu\nwindow=%s\nstart_to_shown_ms=%.1f\n", static_cast<unsigned long>(process.dwProcessId),
              HwndText(window).c_str(), 1000 * Seconds(start, shown));
  return 0;
}

// COUNT times: the hide hotkey, then the show hotkey, each posted once the
// previous fade has ended. Prints the mean time of a cycle.
int HideShow(const Args& args) {
  constexpr WPARAM kHide = 3;
  constexpr WPARAM kShow = 4;
  const HWND window = WindowArg(args.At(0));
  const unsigned long long count = Number(args.At(1));
  const DWORD timeout = TimeoutOption(args);
  LARGE_INTEGER start;
  ::QueryPerformanceCounter(&start);
  for (unsigned long long cycle = 0; cycle < count; ++cycle) {
    if (!::PostMessageA(window, WM_HOTKEY, kHide, 0)) throw NotFound("the window is gone");
    // The fade-out first moves the window off the screen, then runs without
    // taking messages.
    WaitFor("the fade-out", timeout, [&] {
      RECT rect{};
      return ::GetWindowRect(window, &rect) && rect.top < 0;
    });
    WaitAnswered(window, timeout);
    if (!::PostMessageA(window, WM_HOTKEY, kShow, 0)) throw NotFound("the window is gone");
    WaitFor("the fade-in", timeout, [&] { return ShownInFull(window); });
    WaitAnswered(window, timeout);
  }
  LARGE_INTEGER end;
  ::QueryPerformanceCounter(&end);
  std::printf("cycles=%llu\nms_per_cycle=%.1f\n", count, count ? 1000 * Seconds(start, end) / double(count) : 0.0);
  return 0;
}

// Kernel handles a process holds, counted in the system's handle table.
std::size_t KernelHandles(DWORD pid) {
  struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) throw std::runtime_error("no NtQuerySystemInformation");
  std::vector<std::uint8_t> buffer(1 << 16);
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
         kInfoLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) throw std::runtime_error("the handle table cannot be read");
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  std::size_t count = 0;
  for (ULONG i = 0; i < table->count; ++i) {
    if (table->entries[i].ownerPid == pid) ++count;
  }
  return count;
}

// Committed private memory: what the process has allocated for itself.
std::size_t PrivateBytes(HANDLE process) {
  std::size_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; ::VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < at) break;
  }
  return total;
}

// What a process costs: committed private memory, kernel handles, and the
// processor time it has used so far.
int ProcessStats(const Args& args) {
  const DWORD pid = static_cast<DWORD>(Number(args.At(0)));
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) throw NotFound("no process " + args.At(0));
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  const std::size_t privateBytes = PrivateBytes(process);
  ::CloseHandle(process);
  std::printf("private_kb=%.1f\nhandles=%u\ncpu_ms=%.3f\n", double(privateBytes) / 1024,
              static_cast<unsigned>(KernelHandles(pid)), double(ticks(kernel) + ticks(user)) / 10000);
  return 0;
}

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"define-cdrom", "D: /unix/dir LABEL [SERIAL]", DefineCdrom},
    {"remove-drive", "D:", RemoveDrive},
    {"drive-info", "D:", DriveInfo},
    {"find-window", "[--class C] [--title T] [--pid P] [--visible]", FindWindow},
    {"list-windows", "", ListWindows},
    {"wait-window", "[--class C] [--title T] [--pid P] [--visible] [--gone] [--timeout MS]", WaitWindow},
    {"window-info", "HWND", WindowInfo},
    {"displays", "", Displays},
    {"display-mode", "WIDTH HEIGHT", DisplayMode},
    {"msgbox-text", "CAPTION", MessageBoxText},
    {"msgbox-close", "CAPTION", MessageBoxClose},
    {"post", "HWND MSG WPARAM LPARAM", Post},
    {"close", "HWND", Close},
    {"hold-hotkey", "MODIFIERS VK [--seconds N] [--title T]", HoldHotkey},
    {"focus-window", "[--seconds N] [--title T]", FocusWindow},
    {"broadcast-taskbarcreated", "", BroadcastTaskbarCreated},
    {"tray-forget", "HWND ID", TrayForget},
    {"refusing-tray", "", RefusingTray},
    {"file-version", "PATH", FileVersion},
    {"shortcut-target", "PATH.lnk", ShortcutTarget},
    {"hold-file", "PATH [--seconds N] [--title T]", HoldFile},
    {"launch", "EXE [--class C] [--timeout MS] [--no-wait]", Launch},
    {"hide-show", "HWND COUNT [--timeout MS]", HideShow},
    {"process-stats", "PID", ProcessStats},
};

void PrintUsage() {
  std::fprintf(stderr, "usage: tarvelo-probe COMMAND ...\n");
  for (const Command& command : kCommands) std::fprintf(stderr, "  %s %s\n", command.name, command.usage);
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" line ends: the output is read by shell and Python scripts.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (argc < 2) {
    PrintUsage();
    return 2;
  }
  const std::string name = argv[1];
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    try {
      const int code = command.run(Args(argc - 2, argv + 2));
      std::fflush(stdout);
      return code;
    } catch (const NotFound& error) {
      std::fprintf(stderr, "tarvelo-probe %s: %s\n", command.name, error.what());
      return 1;
    } catch (const Usage& error) {
      std::fprintf(stderr, "tarvelo-probe %s: %s\nusage: tarvelo-probe %s %s\n", command.name, error.what(),
                   command.name, command.usage);
      return 2;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "tarvelo-probe %s: %s\n", command.name, error.what());
      return 2;
    }
  }
  PrintUsage();
  return 2;
}

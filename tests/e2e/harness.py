"""Drives the real Tarvelo.exe under Wine for the end-to-end tests.

The tests run with the environment of scripts/lib/testenv.sh (DISPLAY,
WINEPREFIX, ...) and three variables set by CTest:

  TARVELO_DIST   folder with Tarvelo.exe and form.png
  TARVELO_PROBE  path of tarvelo-probe.exe
  TARVELO_WORK   scratch folder of this test script (emptied at start)

A test script defines `def test_...()` functions and ends with
`harness.main()`, which runs them in file order, prints one line per case
with its time, cleans up after every case and exits non-zero on any failure.

Two rules keep the runs deterministic on a loaded machine:
- every wait polls a condition against a deadline (wait_until), never a
  fixed sleep;
- no Wine process ever writes into a pipe of ours: a Wine program may start
  background processes (the desktop, services) that inherit its output and
  never end, so outputs go to files that are read afterwards.
"""

import contextlib
import inspect
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path

POLL_SECONDS = 0.05
START_TIMEOUT = 30  # a program start on a loaded two-core machine
WINE_CALL_TIMEOUT = 60

TRAY_TITLE = "Wine System Tray"
# Wine's stand-alone tray draws 16-pixel icons in 20-pixel slots from its
# left edge, vertically centred in a 20-pixel high client area.
TRAY_SLOT = 20
TRAY_ICON = 16

LWA_ALPHA = 0x2

MAIN_FORM_CLASS = "TfrmMain"
TRAY_WINDOW_CLASS = "TTrayIconWindow"
APPLICATION_CLASS = "TApplication"
PROGRAM_TITLE = "Tarvelo"
PROGRAM_IMAGE = "Tarvelo.exe"
FILE_BROWSER_CLASS = "ExplorerWClass"
POPUP_MENU_CLASS = "#32768"


class Timeout(AssertionError):
    pass


class CommandFailed(AssertionError):
    pass


def require_env(name):
    value = os.environ.get(name)
    if not value:
        raise SystemExit(f"harness: {name} is not set; run the end-to-end tests through CTest "
                         "in the environment of scripts/lib/testenv.sh")
    return value


def dist_dir():
    return Path(require_env("TARVELO_DIST"))


def work_dir():
    return Path(require_env("TARVELO_WORK"))


def probe_path():
    return Path(require_env("TARVELO_PROBE"))


def wait_until(fn, timeout, what, interval=POLL_SECONDS):
    """Polls fn until it returns something true and returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = fn()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# ---- running programs -----------------------------------------------------

def run(args, timeout=WINE_CALL_TIMEOUT, check=True):
    """Runs a command to its end; returns (exit code, stdout, stderr).

    Output goes through unnamed temporary files, never pipes (see above)."""
    with tempfile.TemporaryFile(dir=work_dir()) as out, tempfile.TemporaryFile(dir=work_dir()) as err:
        try:
            code = subprocess.run([str(a) for a in args], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  cwd=work_dir(), timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise Timeout(f"{' '.join(map(str, args))} did not end within {timeout} s") from None
        out.seek(0)
        err.seek(0)
        stdout = out.read().decode(errors="replace")
        stderr = err.read().decode(errors="replace")
    if check and code != 0:
        raise CommandFailed(f"{' '.join(map(str, args))} exited with {code}: {stderr.strip()}")
    return code, stdout, stderr


def wine(*args, check=True, timeout=WINE_CALL_TIMEOUT):
    return run(["wine", *args], timeout=timeout, check=check)


class Program:
    """A Windows program started in the background with `wine`.

    The `wine` process becomes the Windows process, so its exit status is the
    program's exit code. Output goes to NAME.out and NAME.err in TARVELO_WORK."""

    _running = []  # everything started and not yet reaped, for the clean-up

    def __init__(self, exe, name=None, args=()):
        self.name = name or Path(exe).stem
        work = work_dir()
        stem, serial = self.name, 1
        while (work / f"{stem}.out").exists():
            stem, serial = f"{self.name}-{serial}", serial + 1
        self.out_path = work / f"{stem}.out"
        self.err_path = work / f"{stem}.err"
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.process = subprocess.Popen(["wine", str(exe), *map(str, args)], stdin=subprocess.DEVNULL,
                                            stdout=out, stderr=err, cwd=work)
        Program._running.append(self)

    def running(self):
        return self.process.poll() is None

    def exit_code(self, timeout):
        """Waits for the end of the program and returns its exit code."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"{self.name} still runs after {timeout} s") from None
        self._forget()
        return code

    def kill(self):
        if self.running():
            self.process.kill()
        self.process.wait(timeout=WINE_CALL_TIMEOUT)
        self._forget()

    def output(self):
        return self.out_path.read_text(errors="replace")

    def _forget(self):
        if self in Program._running:
            Program._running.remove(self)


# ---- the probe ------------------------------------------------------------

def probe(*args, check=True, timeout=WINE_CALL_TIMEOUT):
    """Runs one probe command; returns its stdout (or (code, stdout) with check=False)."""
    code, out, err = wine(probe_path(), *args, check=False, timeout=timeout)
    if check:
        if code != 0:
            raise CommandFailed(f"tarvelo-probe {' '.join(map(str, args))}: {err.strip() or f'exit {code}'}")
        return out
    return code, out


class Window:
    """A top-level window as list-windows reports it."""

    def __init__(self, line):
        hwnd, pid, visible, self.cls, self.title = line.split("\t", 4)
        self.hwnd, self.pid, self.visible = int(hwnd, 16), int(pid), visible == "1"

    def matches(self, cls, title, pid, visible):
        return ((cls is None or self.cls == cls) and (title is None or self.title == title)
                and (pid is None or self.pid == pid) and (self.visible or not visible))


def top_level_windows():
    """Every top-level window of the Wine session, in Z order, with one probe call."""
    return [Window(line) for line in probe("list-windows").splitlines() if line]


def find_windows(cls=None, title=None, pid=None, visible=False):
    return [w.hwnd for w in top_level_windows() if w.matches(cls, title, pid, visible)]


def wait_window(cls=None, title=None, pid=None, visible=False, timeout=START_TIMEOUT):
    """Waits for a matching top-level window and returns its HWND."""
    what = f"a window class={cls} title={title} pid={pid}{' (visible)' if visible else ''}"
    return wait_until(lambda: (find_windows(cls, title, pid, visible) or [None])[0], timeout, what)


def wait_window_gone(cls=None, title=None, pid=None, timeout=START_TIMEOUT):
    wait_until(lambda: not find_windows(cls, title, pid), timeout, f"no window class={cls} title={title} pid={pid}")


def window_info(hwnd):
    """Rect, visibility, styles, owner, process and layered attributes of a window, as a dict."""
    info = {}
    for line in probe("window-info", hex(hwnd)).splitlines():
        key, _, value = line.partition("=")
        info[key] = value
    info["rect"] = tuple(int(v) for v in info["rect"].split(","))
    for key in ("visible", "topmost", "pid"):
        info[key] = int(info[key])
    for key in ("exstyle", "owner", "xwindow"):
        info[key] = int(info[key], 16)
    for key in ("layered_key", "layered_alpha", "layered_flags"):
        info[key] = None if info[key] == "-" else int(info[key], 0)
    return info


def post(hwnd, message, wparam=0, lparam=0):
    probe("post", hex(hwnd), hex(message), hex(wparam), hex(lparam))


def close_window(hwnd):
    probe("close", hex(hwnd), check=False)


def msgbox_text(caption):
    """The text of the message box with this caption, or None when there is none."""
    code, out = probe("msgbox-text", caption, check=False)
    return out.rstrip("\n") if code == 0 else None


def msgbox_close(caption):
    probe("msgbox-close", caption)


def broadcast_taskbar_created():
    probe("broadcast-taskbarcreated")


class _ProbeWindowProgram:
    """A probe command that keeps a window open until the context ends."""

    def __init__(self, *args):
        self.args = args
        self.program = None
        self.hwnd = None

    def __enter__(self):
        self.program = Program(probe_path(), "probe-window", self.args)

        def announced():
            if not self.program.running():
                raise CommandFailed(f"tarvelo-probe {' '.join(self.args)}: "
                                    f"{self.program.err_path.read_text().strip()}")
            for line in self.program.output().splitlines():
                if line.startswith("ready "):
                    return int(line.split()[1], 16)
            return None

        self.hwnd = wait_until(announced, START_TIMEOUT, f"tarvelo-probe {' '.join(self.args)} to be ready")
        return self

    def __exit__(self, *exc):
        if self.program.running():
            close_window(self.hwnd)
            try:
                self.program.exit_code(timeout=10)
            except Timeout:
                self.program.kill()
        return False

    def hotkeys_received(self):
        return [int(line.split()[1]) for line in self.program.output().splitlines() if line.startswith("hotkey ")]


def hold_hotkey(modifiers, vk):
    """Context: another program of this session holds the hotkey meanwhile."""
    return _ProbeWindowProgram("hold-hotkey", hex(modifiers), hex(vk), "--title", "tarvelo-probe hotkey")


def focus_window():
    """Context: a small window of this Wine session that can take X keyboard focus.

    Wine delivers global hotkeys only while the X focus is on one of its
    windows; call focus_x_window(x_window_of(ctx.hwnd)) to give it that."""
    return _ProbeWindowProgram("focus-window", "--title", "tarvelo-probe focus")


def x_window_of(hwnd):
    return window_info(hwnd)["xwindow"]


# ---- X input --------------------------------------------------------------

def xdotool(*args):
    return run(["xdotool", *args])[1]


# No --sync on mousemove: xdotool then waits for a motion event, and none
# comes when the pointer is already there (it gives up after 15 s). Motion and
# clicks reach the X server, and Wine, in the order sent anyway.
def mouse_move(x, y):
    xdotool("mousemove", x, y)


def click(x, y, button=1, repeat=1):
    xdotool("mousemove", x, y, "click", "--repeat", repeat, "--delay", 80, button)


# Where the pointer waits between cases: on the bare root window, away from
# the tray (a tooltip there would look like an icon) and from the skin.
POINTER_PARK = (960, 300)


def park_pointer():
    mouse_move(*POINTER_PARK)


def focus_x_window(xwindow):
    xdotool("windowfocus", "--sync", xwindow)


def keys(*names, xwindow=None):
    """Key presses (xdotool names such as Down, Return, ctrl+Prior) to the
    focused X window, after giving the focus to xwindow when one is given."""
    if xwindow is not None:
        focus_x_window(xwindow)
    xdotool("key", "--delay", 40, *names)


# ---- the notification area -----------------------------------------------

def tray_x_window():
    """Wine's stand-alone tray window, or None while no icon is shown."""
    code, out, _ = run(["xdotool", "search", "--onlyvisible", "--name", f"^{TRAY_TITLE}$"], check=False)
    ids = out.split()
    return int(ids[0]) if code == 0 and ids else None


def x_window_geometry(xwindow):
    """(left, top, width, height) of an X window's client area on the screen."""
    code, out, _ = run(["xwininfo", "-id", xwindow], check=False)
    if code != 0:
        return None
    fields = {}
    for line in out.splitlines():
        key, _, value = line.strip().partition(":")
        fields[key] = value.strip()
    return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
            int(fields["Width"]), int(fields["Height"]))


def tray_geometry():
    window = tray_x_window()
    return x_window_geometry(window) if window else None


def tray_icon_point(slot=0):
    """Screen point at the middle of the icon in the given slot of the tray."""
    geometry = wait_until(tray_geometry, START_TIMEOUT, "the Wine system tray")
    left, top, _, height = geometry
    return left + slot * TRAY_SLOT + TRAY_SLOT // 2, top + height // 2


def tray_icon_slots():
    """How many icon slots of the tray hold a picture (0 when there is no tray)."""
    geometry = tray_geometry()
    if not geometry:
        return 0
    left, top, width, height = geometry
    shot = Screenshot.take((left, top, width, height))
    background = shot.pixel(width - 2, height // 2)
    inset = (TRAY_SLOT - TRAY_ICON) // 2
    count = 0
    for slot in range(width // TRAY_SLOT):
        box = [(slot * TRAY_SLOT + inset + dx, (height - TRAY_ICON) // 2 + dy)
               for dx in range(TRAY_ICON) for dy in range(TRAY_ICON)]
        if all(shot.pixel(x, y) == background for x, y in box):
            break
        count += 1
    return count


def right_click_tray_icon(slot=0):
    click(*tray_icon_point(slot), button=3)


def double_click_tray_icon(slot=0):
    click(*tray_icon_point(slot), button=1, repeat=2)


class PopupMenu:
    """An open popup menu, chosen from with the keyboard.

    Under Wine another process cannot read a menu's items, so items are
    reached by position: `path` counts selectable items (separators are
    skipped by the keyboard) at each level, e.g. (3, 0) is the first item of
    the submenu of the fourth item."""

    def __init__(self, hwnd):
        self.hwnd = hwnd
        self.info = window_info(hwnd)

    @staticmethod
    def wait_open(timeout=10):
        return PopupMenu(wait_window(cls=POPUP_MENU_CLASS, visible=True, timeout=timeout))

    def choose(self, *path):
        """Walks to the item and presses Return; returns the monotonic time
        just before the Return, when the command starts."""
        presses = []
        for depth, index in enumerate(path):
            if depth:
                presses.append("Right")  # opens the submenu on its first item
                presses += ["Down"] * index
            else:
                presses += ["Down"] * (index + 1)  # nothing is selected at first
        keys(*presses, xwindow=self.info["xwindow"])
        chosen = time.monotonic()
        keys("Return")
        return chosen

    def dismiss(self):
        """Closes the menu without choosing anything."""
        keys("Escape", xwindow=self.info["xwindow"])
        wait_until(lambda: not find_windows(cls=POPUP_MENU_CLASS, visible=True), 10, "the menu to close")


def open_tray_menu(slot=0):
    right_click_tray_icon(slot)
    return PopupMenu.wait_open()


# ---- screenshots ----------------------------------------------------------

class Screenshot:
    """A picture of the screen or of a part of it, read as RGB pixels."""

    def __init__(self, width, height, data, origin=(0, 0)):
        self.width, self.height, self.data, self.origin = width, height, data, origin

    @staticmethod
    def take(area=None):
        """area = (left, top, width, height) in screen pixels; None for all of it."""
        with tempfile.TemporaryDirectory(dir=work_dir()) as folder:
            ppm = Path(folder) / "shot.ppm"
            args = ["import", "-window", "root"]
            if area:
                args += ["-crop", f"{area[2]}x{area[3]}+{area[0]}+{area[1]}", "+repage"]
            run(args + ["-depth", "8", str(ppm)])
            return Screenshot._read_ppm(ppm.read_bytes(), area[:2] if area else (0, 0))

    @staticmethod
    def _read_ppm(raw, origin):
        fields, position = [], 0
        while len(fields) < 4:  # magic, width, height, maximum, with optional comments
            while raw[position:position + 1].isspace():
                position += 1
            if raw[position:position + 1] == b"#":
                position = raw.index(b"\n", position)
                continue
            end = position
            while not raw[end:end + 1].isspace():
                end += 1
            fields.append(raw[position:end])
            position = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise CommandFailed(f"unexpected screenshot format {fields}")
        width, height = int(fields[1]), int(fields[2])
        return Screenshot(width, height, raw[position + 1:position + 1 + width * height * 3], origin)

    def pixel(self, x, y):
        """(r, g, b) at (x, y), relative to the picture's own top-left corner."""
        at = (y * self.width + x) * 3
        return tuple(self.data[at:at + 3])

    def screen_pixel(self, x, y):
        return self.pixel(x - self.origin[0], y - self.origin[1])


def save_screenshot(path):
    run(["import", "-window", "root", str(path)], check=False)


# ---- registry ---------------------------------------------------------------

def _reg_view(view64):
    return ["/reg:64"] if view64 else []


def reg_query(key, value, view64=False):
    """The data of a registry value as text, or None when it does not exist."""
    code, out, _ = wine("reg", "query", key, "/v", value, *_reg_view(view64), check=False)
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == value.lower() and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_add(key, value, data, kind="REG_SZ", view64=False):
    wine("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f", *_reg_view(view64))


def reg_delete(key, value=None, view64=False):
    """Deletes a value, or the whole key when value is None; absent ones are fine."""
    target = ["/v", value] if value is not None else []
    wine("reg", "delete", key, *target, "/f", *_reg_view(view64), check=False)


# ---- drives -----------------------------------------------------------------

def drive_info(letter):
    """{'type': int, 'readable': bool, 'label': str, 'serial': int} of a drive."""
    line = probe("drive-info", f"{letter}:").strip()
    fields = dict(part.split("=", 1) for part in line.split(" label=")[0].split())
    label, _, serial = line.split(" label=", 1)[1].rpartition(" serial=")
    return {"type": int(fields["type"]), "readable": fields["readable"] == "1", "label": label,
            "serial": int(serial, 16)}


DRIVE_CDROM = 5


def cdrom_letters():
    """Letters of the CD-ROM drives the prefix has now, in order."""
    dosdevices = Path(os.environ["WINEPREFIX"]) / "dosdevices"
    letters = sorted(p.name[0].upper() for p in dosdevices.iterdir() if len(p.name) == 2 and p.name[1] == ":")
    return [l for l in letters if l not in "CZ" and drive_info(l)["type"] == DRIVE_CDROM]


@contextlib.contextmanager
def cdrom(letter, label, serial=0x7A5E0001):
    """Context: a CD-ROM drive whose disc is a folder of TARVELO_WORK."""
    folder = work_dir() / f"drive-{letter.lower()}"
    folder.mkdir(parents=True, exist_ok=True)
    probe("define-cdrom", f"{letter}:", folder, label, hex(serial))
    try:
        yield folder
    finally:
        probe("remove-drive", f"{letter}:", check=False)


# ---- the program under test ------------------------------------------------

def tarvelo_exe():
    exe = dist_dir() / PROGRAM_IMAGE
    if not exe.is_file():
        raise CommandFailed(f"{exe} does not exist: build the program first")
    return exe


def start_tarvelo():
    """Starts Tarvelo.exe and returns once its start-up has finished."""
    program = Program(tarvelo_exe())
    wait_started(program)
    return program


def started_main_form():
    """The main form's HWND once start-up is over, else None.

    The fade-in hides the main form, fades the companion window in and shows
    the main form again, fully opaque; the start-up steps after it (the drive
    entries of the tray menu) run without handling any message. A visible,
    opaque main form therefore means that a click now meets a finished menu."""
    for hwnd in find_windows(cls=MAIN_FORM_CLASS, visible=True):
        info = window_info(hwnd)
        translucent = info["layered_flags"] is not None and info["layered_flags"] & LWA_ALPHA \
            and info["layered_alpha"] < 255
        if not translucent:
            return hwnd
    return None


def wait_started(program, timeout=START_TIMEOUT):
    def ready():
        if not program.running():
            raise CommandFailed(f"{program.name} ended during start-up with exit code {program.process.returncode}")
        return started_main_form() and tray_icon_slots() >= 1

    wait_until(ready, timeout, "Tarvelo to finish starting (main form shown, tray icon drawn)")


def tarvelo_windows():
    """HWNDs of the program's own top-level windows, by class."""
    windows = top_level_windows()
    return {cls: [w.hwnd for w in windows if w.cls == cls]
            for cls in (MAIN_FORM_CLASS, TRAY_WINDOW_CLASS, APPLICATION_CLASS)}


LEFTOVER_CLASSES = (MAIN_FORM_CLASS, TRAY_WINDOW_CLASS, FILE_BROWSER_CLASS)
POLITE_END_SECONDS = 5


def _open_menus():
    return find_windows(cls=POPUP_MENU_CLASS, visible=True)


def _close_popup_menus():
    def closed():
        menus = _open_menus()
        if menus:
            keys("Escape", xwindow=x_window_of(menus[0]))  # one submenu level per press
        return not menus

    wait_until(closed, 10, "the open popup menus to close", interval=0.2)


def _leftovers():
    return [w for w in top_level_windows() if w.cls in LEFTOVER_CLASSES]


def stop_everything():
    """Leaves no Tarvelo.exe, file browser or probe window behind.

    Polite first (WM_CLOSE ends the program without its fade), then by force:
    a program that does not answer is killed, which Wine cleans up after
    (windows and tray icons go with the process). An open popup menu is
    closed first: its owner handles nothing else until then."""
    _close_popup_menus()
    for window in _leftovers():
        if window.cls != TRAY_WINDOW_CLASS:
            close_window(window.hwnd)
    for program in list(Program._running):
        try:
            program.exit_code(timeout=POLITE_END_SECONDS)
        except Timeout:
            program.kill()
    if any(w.cls != FILE_BROWSER_CLASS for w in _leftovers()):
        wine("taskkill", "/f", "/im", PROGRAM_IMAGE, check=False)
    wait_until(lambda: not _leftovers(), 10, "the program's and the file browser's windows to go")
    wait_until(lambda: tray_x_window() is None, 10, "the tray icon to go")
    park_pointer()


# ---- the runner -------------------------------------------------------------

def _prepare_work_dir():
    work = work_dir()
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)


def main():
    """Runs the calling script's test_ functions in file order, or only those named on the command line."""
    module = sys.modules["__main__"]
    cases = [f for name, f in vars(module).items() if name.startswith("test_") and inspect.isfunction(f)]
    cases.sort(key=lambda f: f.__code__.co_firstlineno)
    wanted = set(sys.argv[1:])
    if wanted:
        cases = [f for f in cases if f.__name__ in wanted]
    for variable in ("DISPLAY", "WINEPREFIX"):
        require_env(variable)
    _prepare_work_dir()

    script = Path(module.__file__).stem
    failures = 0
    started = time.monotonic()
    stop_everything()
    for case in cases:
        t0 = time.monotonic()
        error = None
        try:
            case()
        except Exception:  # a case's own failure; reported, the next case runs
            error = traceback.format_exc()
            save_screenshot(work_dir() / f"{case.__name__}-failure.png")
        try:
            stop_everything()
        except Exception:
            error = (error or "") + "clean-up failed:\n" + traceback.format_exc()
        seconds = time.monotonic() - t0
        if error:
            failures += 1
            print(f"FAIL {script}.{case.__name__} ({seconds:.2f} s)\n{error}", flush=True)
        else:
            print(f"ok   {script}.{case.__name__} ({seconds:.2f} s)", flush=True)
    print(f"{script}: {len(cases) - failures} passed, {failures} failed in {time.monotonic() - started:.2f} s",
          flush=True)
    sys.exit(1 if failures or not cases else 0)

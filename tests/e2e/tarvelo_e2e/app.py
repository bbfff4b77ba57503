"""The program under test: its names, its start-up, and leaving the desktop
clean after a test."""

import os
from pathlib import Path

from . import desktop, skin
from .wine import (START_TIMEOUT, CommandFailed, Program, ProbeWindow, Timeout, close_window, find_windows,
                   probe_path, top_level_windows, wait_until, wait_window, window_info, wine)

PROGRAM_TITLE = "Tarvelo"
PROGRAM_IMAGE = "Tarvelo.exe"
MAIN_FORM_CLASS = "TfrmMain"
PNG_FORM_CLASS = "TPNGForm"
TRAY_WINDOW_CLASS = "TTrayIconWindow"
APPLICATION_CLASS = "TApplication"
FILE_BROWSER_CLASS = "ExplorerWClass"

# The program's registry entries, as `wine reg` names them.
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Mirrowen"
VENDOR_KEY = r"HKCU\Software\Hobrast"
SETTINGS_KEY = VENDOR_KEY + r"\Mirrowen"
AUTO_HIDE_VALUE = "AutoHide"
# What another program keeps beside the program's own entries.
OTHER_RUN_VALUE = "TarveloE2eOther"

LWA_ALPHA = 0x2
POLITE_END_SECONDS = 5
LEFTOVER_CLASSES = (MAIN_FORM_CLASS, TRAY_WINDOW_CLASS, FILE_BROWSER_CLASS)


def dist_dir():
    """The folder with Tarvelo.exe and form.png."""
    return Path(os.environ["TARVELO_DIST"])


def standard_skin():
    """The skin of the build (form.png beside Tarvelo.exe), as skin.Skin."""
    return skin.load(dist_dir() / "form.png")


def tarvelo_exe():
    exe = dist_dir() / PROGRAM_IMAGE
    if not exe.is_file():
        raise CommandFailed(f"{exe} does not exist: build the program first")
    return exe


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


def skin_on_screen(picture):
    """Whether the screen shows the whole skin where the skin window is."""
    left, top, right, bottom = window_info(wait_window(cls=PNG_FORM_CLASS))["rect"]
    return skin.shown_at(picture, (left, top), desktop.Screenshot.take((left, top, right - left, bottom - top)))


def wait_started(program, timeout=START_TIMEOUT, picture=True):
    """Returns once the program has finished starting: main form shown, tray
    icon drawn and, unless picture is None, the skin (the build's one when
    True) on the screen at full strength.

    The main form shows before the fade's last frames reach the screen: a
    test that compares screenshots must not take a frame of the fade for the
    program's look."""
    if picture is True:
        picture = standard_skin()

    def ready():
        if not program.running():
            raise CommandFailed(f"{program.name} ended during start-up with exit code {program.process.returncode}")
        return (started_main_form() and desktop.tray_icon_slots() >= 1
                and (picture is None or skin_on_screen(picture)))

    wait_until(ready, timeout, "Tarvelo to finish starting (main form shown, tray icon drawn, skin shown)")


def tarvelo_windows():
    """HWNDs of the program's own top-level windows, by class."""
    windows = top_level_windows()
    return {cls: [w.hwnd for w in windows if w.cls == cls]
            for cls in (MAIN_FORM_CLASS, TRAY_WINDOW_CLASS, APPLICATION_CLASS)}


def _leftovers(windows=None):
    windows = top_level_windows() if windows is None else windows
    return [w for w in windows if w.cls in LEFTOVER_CLASSES]


def stop_everything(programs=()):
    """Leaves no Tarvelo.exe, file browser or probe window behind.

    Polite first (WM_CLOSE ends the program without its fade), then by force:
    a program that does not answer is killed, which Wine cleans up after
    (windows and tray icons go with the process). An open popup menu is
    closed first: its owner handles nothing else until then."""
    windows = top_level_windows()
    if any(w.cls == desktop.POPUP_MENU_CLASS and w.visible for w in windows):
        desktop.close_popup_menus()
        windows = top_level_windows()
    for window in _leftovers(windows):
        if window.cls != TRAY_WINDOW_CLASS:
            close_window(window.hwnd)
    for program in programs:
        try:
            program.exit_code(timeout=POLITE_END_SECONDS)
        except Timeout:
            program.kill()
    left = _leftovers()
    if any(w.cls != FILE_BROWSER_CLASS for w in left):
        wine("taskkill", "/f", "/im", PROGRAM_IMAGE, check=False)
    if left:
        wait_until(lambda: not _leftovers(), 10, "the program's and the file browser's windows to go")
    wait_until(lambda: desktop.tray_x_window() is None, 10, "the tray icon to go")
    desktop.park_pointer()


class Programs:
    """Starts the Windows programs of one test in its work folder and ends
    them all afterwards (the `programs` fixture)."""

    def __init__(self, folder):
        self.folder = folder
        self._started = []

    def start(self, exe, name=None, args=(), env=None):
        """Starts a program (with `env` added to the environment) and returns
        at once with its Program."""
        program = Program(exe, self.folder, name, args, env)
        self._started.append(program)
        return program

    def start_tarvelo(self, exe=None, name=None):
        """Starts Tarvelo.exe (the built one unless exe is given; with the
        build's skin either way) and returns its Program once start-up has
        finished (see wait_started)."""
        program = self.start(exe or tarvelo_exe(), name)
        wait_started(program)
        return program

    def hold_hotkey(self, modifiers, vk):
        """Context: another program of this session holds the hotkey meanwhile;
        yields a ProbeWindow (its .hwnd, .hotkeys_received())."""
        return self._probe_window("hold-hotkey", hex(modifiers), hex(vk), "--title", "tarvelo-probe hotkey")

    def focus_window(self):
        """Context: a small window of this Wine session that can take X keyboard
        focus, yielding a ProbeWindow. Wine delivers global hotkeys only while the X
        focus is on one of its windows: keys(..., xwindow=x_window_of(ctx.hwnd))."""
        return self._probe_window("focus-window", "--title", "tarvelo-probe focus")

    def _probe_window(self, *args):
        return ProbeWindow(self.start(probe_path(), "probe-window", args))

    def stop_everything(self):
        """Ends every program of the session (see stop_everything); nothing
        to do when nothing was started since the last call."""
        if self._started:
            stop_everything(self._started)
            self._started = []

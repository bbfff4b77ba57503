"""The X side of the desktop: pointer and keys, Wine's stand-alone
notification area and popup menus, screenshots."""

import ctypes
import os
import time

from PIL import ImageGrab

from .wine import START_TIMEOUT, find_windows, run, wait_until, wait_window, window_info

TRAY_TITLE = "Wine System Tray"
# Wine's stand-alone tray draws 16-pixel icons in 20-pixel slots from its
# left edge, vertically centred in a 20-pixel high client area.
TRAY_SLOT = 20
TRAY_ICON = 16

POPUP_MENU_CLASS = "#32768"

# Where the pointer waits between tests: on the bare root window, away from
# the tray (a tooltip there would look like an icon) and from the skin.
POINTER_PARK = (960, 300)


# ---- X input ----------------------------------------------------------------------

def xdotool(*args):
    return run(["xdotool", *args])[1]


# No --sync on mousemove: xdotool then waits for a motion event, and none
# comes when the pointer is already there (it gives up after 15 s). Motion and
# clicks reach the X server, and Wine, in the order sent anyway.
def mouse_move(x, y):
    xdotool("mousemove", x, y)


def click(x, y, button=1, repeat=1):
    xdotool("mousemove", x, y, "click", "--repeat", repeat, "--delay", 80, button)


def drag(points, button=1):
    """Presses the button at the first point, moves through the others and releases it."""
    (x, y), *rest = points
    xdotool("mousemove", x, y, "mousedown", button)
    for x, y in rest:
        mouse_move(x, y)
    xdotool("mouseup", button)


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


# ---- the notification area ---------------------------------------------------------

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
    left, top, _, height = wait_until(tray_geometry, START_TIMEOUT, "the Wine system tray")
    return left + slot * TRAY_SLOT + TRAY_SLOT // 2, top + height // 2


def tray_icon_slots():
    """How many icon slots of the tray hold a picture (0 when there is no tray)."""
    geometry = tray_geometry()
    if not geometry:
        return 0
    _, _, width, height = geometry
    shot = Screenshot.take(geometry)
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


# ---- popup menus --------------------------------------------------------------------

def open_menus():
    """HWNDs of the popup menus (and submenus) shown now."""
    return find_windows(cls=POPUP_MENU_CLASS, visible=True)


def wait_menus_closed(timeout=10):
    wait_until(lambda: not open_menus(), timeout, "the menu to close")


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
        wait_menus_closed()


def open_tray_menu(slot=0):
    right_click_tray_icon(slot)
    return PopupMenu.wait_open()


def close_popup_menus():
    """Closes every open popup menu, one submenu level per Escape."""
    def closed():
        menus = open_menus()
        if menus:
            keys("Escape", xwindow=window_info(menus[0])["xwindow"])
        return not menus

    wait_until(closed, 10, "the open popup menus to close", interval=0.2)


# ---- screenshots ----------------------------------------------------------------------

def repaint(area):
    """Makes the compositor paint area = (left, top, width, height) afresh.

    Wine shapes a per-pixel-alpha window by its alpha, so a wholly transparent
    picture leaves the window with an empty shape; drawing into it then causes
    no damage, and xcompmgr keeps showing the last picture that had any. A
    check that nothing shows asks for this first."""
    left, top, width, height = area
    run(["xrefresh", "-geometry", f"{width}x{height}+{left}+{top}"])


class Screenshot:
    """A picture of the screen or of a part of it, read as (r, g, b) pixels.

    Read straight from the root window, as `import -window root` does: with
    the compositor running, that is what the screen shows, blending included."""

    def __init__(self, image, origin=(0, 0)):
        self.image = image
        self.width, self.height = image.size
        self.origin = origin
        self._pixels = image.load()

    @staticmethod
    def take(area=None):
        """area = (left, top, width, height) in screen pixels; None for all of it."""
        bbox = (area[0], area[1], area[0] + area[2], area[1] + area[3]) if area else None
        image = ImageGrab.grab(bbox=bbox, xdisplay=os.environ["DISPLAY"])
        return Screenshot(image, area[:2] if area else (0, 0))

    @property
    def data(self):
        return self.image.tobytes()

    def pixel(self, x, y):
        """(r, g, b) at (x, y), relative to the picture's own top-left corner."""
        return self._pixels[x, y]

    def screen_pixel(self, x, y):
        return self.pixel(x - self.origin[0], y - self.origin[1])


class PixelWatch:
    """One screen pixel read straight from the X server, a few hundredths of
    a millisecond a read: fast enough to catch a frame that is on screen for
    a few milliseconds, where a screenshot takes tens."""

    def __init__(self):
        self._x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        x11 = self._x11
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XGetImage.restype = ctypes.c_void_p
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XGetPixel.restype = ctypes.c_ulong
        x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._display = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
        if not self._display:
            raise OSError("cannot open the X display")
        self._root = x11.XDefaultRootWindow(self._display)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self._x11.XCloseDisplay(self._display)
        return False

    def pixel(self, x, y):
        """(r, g, b) on the screen at (x, y) now."""
        image = self._x11.XGetImage(self._display, self._root, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            raise OSError("XGetImage failed")
        value = self._x11.XGetPixel(image, 0, 0)
        self._x11.XDestroyImage(image)
        return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF


def save_screenshot(path):
    Screenshot.take().image.save(path)

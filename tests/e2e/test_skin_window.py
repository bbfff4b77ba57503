"""The skinned window of the real program, seen from outside: where it lands,
what the screen shows once it has faded in, hiding and showing, dragging,
the fade on "Exit", and a missing skin picture.

What the screen must show is worked out here from form.png itself (decoded
by ImageMagick) with the skin's pixel rules, not taken from the program.
"""
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402

PNG_FORM_CLASS = "TPNGForm"
WORK_AREA = (1920, 1040)     # scripts/lib/testenv.sh leaves a 40-pixel band at the bottom
ROOT_GREY = 128              # what xcompmgr shows where no window is
CONTROLS = (56, 20, 234, 199)  # the picture controls lie inside this box of the window
PARKED_DISTANCE = 300
DESIGN_SIZE = (251, 215)
FADE_SECONDS = 0.8
SETTLE = 10  # seconds for a fade and the compositor to catch up

# 255·a/240 for the PNG alphas where that is exactly one half: the skin's
# loader rounds the double quotient a/240, not the exact value, so these go
# whichever way that quotient leans (to even where it is exact: 120).
HALF_MASKS = {8: 8, 24: 26, 40: 42, 56: 60, 72: 76, 88: 93, 104: 111, 120: 128, 136: 144,
              152: 161, 168: 178, 184: 196, 200: 213, 216: 230, 232: 247}


# ---- the skin as the screen must show it ------------------------------------

def read_png(path):
    """(width, height, straight RGBA bytes) of a picture, decoded by ImageMagick."""
    size = h.run(["identify", "-format", "%w %h", str(path)])[1].split()
    raw = h.work_dir() / "skin.rgba"
    h.run(["convert", str(path), "-depth", "8", f"RGBA:{raw}"])
    return int(size[0]), int(size[1]), raw.read_bytes()


def skin_alpha(a):
    if a >= 240:
        return 255
    return HALF_MASKS.get(a, (17 * a + 8) // 16)


def skin_colour(c, a):
    """The stored colour byte of a channel value c with PNG alpha a."""
    over_white = 255 if a == 0 else c if a == 255 else (c * a + 255 * (255 - a) + 255) >> 8
    m = skin_alpha(a)
    return over_white if m >= 240 else (2 * over_white * m + 255) // 510


def on_screen(rgba):
    """What a skin pixel looks like over the grey root: c + grey·(255 − m)/255, rounded, saturated."""
    m = skin_alpha(rgba[3])
    under = (2 * ROOT_GREY * (255 - m) + 255) // 510
    return tuple(min(255, skin_colour(c, rgba[3]) + under) for c in rgba[:3])


class Skin:
    def __init__(self, path):
        self.width, self.height, self.data = read_png(path)

    def rgba(self, x, y):
        at = (y * self.width + x) * 4
        return tuple(self.data[at:at + 4])

    def background(self):
        """Skin points that no picture control covers, so the main window is see-through there."""
        left, top, right, bottom = CONTROLS
        for y in range(self.height):
            for x in range(self.width):
                if not (left <= x < right and top <= y < bottom):
                    yield x, y

    def samples(self):
        """One background point per kind of stored pixel: transparent, premultiplied
        (low and high), kept unpremultiplied (alpha 240..254) and opaque."""
        kinds = [(0, 0), (1, 120), (121, 225), (226, 239), (240, 254), (255, 255)]
        found = {}
        for x, y in self.background():
            a = self.rgba(x, y)[3]
            for kind in kinds:
                if kind[0] <= a <= kind[1] and kind not in found:
                    found[kind] = (x, y)
        return list(found.values())

    def opaque_point(self):
        """An opaque background point left of the controls, as near the middle height as there is."""
        points = [(x, y) for x, y in self.background() if x < CONTROLS[0] and self.rgba(x, y)[3] == 255]
        assert points, "form.png has no opaque skin left of the picture controls"
        return min(points, key=lambda p: abs(p[1] - self.height // 2))


def standard_skin():
    return Skin(h.dist_dir() / "form.png")


# ---- the program's two windows ----------------------------------------------

def windows():
    """The main window and PNGForm of the one program running."""
    main = h.wait_window(cls=h.MAIN_FORM_CLASS)
    png = h.wait_window(cls=PNG_FORM_CLASS)
    return main, png


def rect(hwnd):
    return h.window_info(hwnd)["rect"]


def corner_rect(width, height):
    return (WORK_AREA[0] - width, WORK_AREA[1] - height, WORK_AREA[0], WORK_AREA[1])


def repaint(origin, size):
    """Makes the compositor paint an area afresh.

    Wine shapes a per-pixel-alpha window by its alpha, so a wholly transparent
    picture leaves the window with an empty shape; drawing into it then causes
    no damage, and xcompmgr keeps showing the last picture that had any."""
    h.run(["xrefresh", "-geometry", f"{size[0]}x{size[1]}+{origin[0]}+{origin[1]}"])


def screen_matches(origin, expected, size=None):
    """Whether the screen shows each expected colour at origin + point."""
    if size:
        repaint(origin, size)
    shot = h.Screenshot.take()
    return all(shot.screen_pixel(origin[0] + x, origin[1] + y) == colour for (x, y), colour in expected.items())


def wait_screen(origin, expected, what, size=None):
    try:
        h.wait_until(lambda: screen_matches(origin, expected, size), SETTLE, what)
    except h.Timeout:
        shot = h.Screenshot.take()
        seen = {p: shot.screen_pixel(origin[0] + p[0], origin[1] + p[1]) for p in expected}
        raise AssertionError(f"{what}: expected {expected}, screen shows {seen}") from None


def skin_shown_at(skin, origin):
    expected = {p: on_screen(skin.rgba(*p)) for p in skin.samples()}
    assert any(0 < skin.rgba(*p)[3] < 255 for p in expected), "form.png has no soft edge to check"
    wait_screen(origin, expected, f"the skin blended over the background at {origin}")


def nothing_shown_at(skin, origin):
    wait_screen(origin, {p: (ROOT_GREY,) * 3 for p in skin.samples()}, f"only the background at {origin}",
                size=(skin.width, skin.height))


def hide_with_hotkey():
    with h.focus_window() as focus:
        h.focus_x_window(h.x_window_of(focus.hwnd))
        h.keys("ctrl+End")


# ---- the cases ---------------------------------------------------------------

def test_fades_in_at_the_corner_of_the_work_area_with_the_skin_blended():
    skin = standard_skin()
    h.start_tarvelo()
    main, png = windows()
    expected = corner_rect(skin.width, skin.height)
    assert rect(main) == expected, rect(main)
    assert rect(png) == expected, rect(png)
    skin_shown_at(skin, expected[:2])


def test_hotkey_hides_and_tray_double_click_shows_again():
    skin = standard_skin()
    program = h.start_tarvelo()
    main, png = windows()
    shown = corner_rect(skin.width, skin.height)

    hide_with_hotkey()
    parked_top = -max(PARKED_DISTANCE, skin.height)
    h.wait_until(lambda: rect(main)[1] == parked_top, SETTLE, "the main window parked above the screen")
    assert rect(main) == (shown[0], parked_top, shown[2], parked_top + skin.height), rect(main)
    assert h.window_info(main)["visible"], "moved away, not hidden"
    assert rect(png) == shown
    nothing_shown_at(skin, shown[:2])

    h.double_click_tray_icon()
    h.wait_until(lambda: rect(main) == shown, SETTLE, "the main window back in the corner")
    skin_shown_at(skin, shown[:2])
    assert program.running()


def test_drag_moves_both_windows_by_the_mouse_displacement():
    skin = standard_skin()
    program = h.start_tarvelo()
    main, png = windows()
    start = corner_rect(skin.width, skin.height)
    grip = skin.opaque_point()
    x, y = start[0] + grip[0], start[1] + grip[1]
    dx, dy, steps = -300, -200, 10

    h.xdotool("mousemove", x, y, "mousedown", 1)
    for step in range(1, steps + 1):
        h.mouse_move(x + dx * step // steps, y + dy * step // steps)
    h.xdotool("mouseup", 1)

    moved = (start[0] + dx, start[1] + dy, start[2] + dx, start[3] + dy)
    try:
        h.wait_until(lambda: rect(png) == moved and rect(main) == moved and h.window_info(main)["visible"],
                     SETTLE, f"both windows at {moved}")
    except h.Timeout:
        raise AssertionError(f"expected both windows at {moved}: PNGForm {rect(png)}, "
                             f"main window {h.window_info(main)}") from None
    skin_shown_at(skin, moved[:2])
    if abs(dx) >= skin.width:  # the old place is clear of the new one
        nothing_shown_at(skin, start[:2])
    assert program.running()


def test_exit_fades_the_shown_window_out_before_the_program_ends():
    skin = standard_skin()
    program = h.start_tarvelo()
    main, _ = windows()
    parked_top = -max(PARKED_DISTANCE, skin.height)

    h.open_tray_menu().choose(2)  # About..., Tools, Exit
    chosen = time.monotonic()
    seen_parked = False
    while program.running() and time.monotonic() - chosen < h.START_TIMEOUT:
        info = h.probe("window-info", hex(main), check=False)[1]
        seen_parked = seen_parked or f"rect={WORK_AREA[0] - skin.width},{parked_top}," in info
    assert program.exit_code(timeout=h.START_TIMEOUT) == 0
    assert seen_parked, "the main window never moved away for the fade-out"
    assert time.monotonic() - chosen >= FADE_SECONDS


def test_missing_skin_is_reported_and_the_program_runs_on_at_the_designed_size():
    folder = h.work_dir() / "no-skin"
    folder.mkdir()
    shutil.copy(h.tarvelo_exe(), folder)
    program = h.Program(folder / h.PROGRAM_IMAGE)

    text = h.wait_until(lambda: h.msgbox_text(h.PROGRAM_TITLE), h.START_TIMEOUT, "the skin's message box")
    assert text == "Image form.png introuvable.", text
    h.msgbox_close(h.PROGRAM_TITLE)
    h.wait_started(program)
    main, png = windows()
    expected = corner_rect(*DESIGN_SIZE)
    assert rect(main) == expected, rect(main)
    assert rect(png) == expected, rect(png)
    assert program.running()


if __name__ == "__main__":
    h.main()

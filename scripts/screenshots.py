"""Pictures of the running program for the README, taken with the helpers of
the end-to-end tests. Run through scripts/screenshots, which prepares the
display, the Wine prefix and the environment; the argument is the folder
that receives window.png and tray-menu.png, and window-150.png and
window-200.png of the window on screens scaled to 150 and 200 %."""

import os
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from tarvelo_e2e import app, desktop, wine  # noqa: E402

MARGIN = 12
SETTLE = 10
DISC_LABEL = "HOLIDAY 2025"
DRIVE = "D"
WM_KEYDOWN = 0x0100
VK_ESCAPE = 0x1B
VK_RIGHT = 0x27
VK_DOWN = 0x28
MENU_BORDER = 3
ARROW_COLUMN = 20  # the submenu arrows, right of the captions
SCALES = {144: "window-150.png", 192: "window-200.png"}  # DPI -> picture


def bounds(rects, margin):
    left = max(0, min(r[0] for r in rects) - margin)
    top = max(0, min(r[1] for r in rects) - margin)
    right = max(r[2] for r in rects) + margin
    bottom = max(r[3] for r in rects) + margin
    return left, top, right, bottom


def save(area, path):
    """Saves the part of the screen in area; the margins end at the screen's edges."""
    screen = desktop.Screenshot.take().image
    left, top, right, bottom = area
    screen.crop((left, top, min(right, screen.width), min(bottom, screen.height))).save(path, optimize=True)
    print(f"saved {path}")


def rect_of(hwnd):
    return wine.window_info(hwnd)["rect"]


# Keys posted to an open menu reach its menu loop whatever has the X focus.
def press(menu, vk):
    wine.post(menu, WM_KEYDOWN, vk)


def close_menus():
    """One Escape per open level until no menu is left."""
    def closed():
        menus = desktop.open_menus()
        if menus:
            press(menus[0], VK_ESCAPE)
        return not menus

    wine.wait_until(closed, SETTLE, "the menus to close", interval=0.3)


def caption_rights(menu):
    """The right end of each line of captions of an open menu, top to bottom.

    A line of captions is a band of rows with some ink (any pixel unlike the
    menu's background, as the text is smoothed) left of the submenu arrows;
    a row inked over most of its width is a separator."""
    left, top, right, bottom = rect_of(menu)
    shot = desktop.Screenshot.take((left, top, right - left, bottom - top))
    background = shot.pixel(MENU_BORDER, MENU_BORDER)
    columns = range(MENU_BORDER, shot.width - ARROW_COLUMN)
    rights, line = [], None
    for y in range(MENU_BORDER, shot.height - MENU_BORDER):
        ink = [x for x in columns if shot.pixel(x, y) != background]
        if ink and len(ink) < len(columns) // 2:
            line = max(line or 0, ink[-1])
        elif line is not None:
            rights.append(line)
            line = None
    return rights


def drive_entry_has_its_label():
    """Whether the tray menu shows the drive's entry with the disc's label.

    The entry is only "D:" until the program's one-second check reads the
    label, which shows nowhere outside the menu. With the label the entry
    reaches further right than "About...", the first line; without it, it
    does not. The menu is closed again either way, so that the next one is
    laid out with the caption it has then."""
    rights = caption_rights(desktop.open_tray_menu().hwnd)
    close_menus()
    return len(rights) >= 2 and rights[-1] > rights[0]


def main(out):
    out.mkdir(parents=True, exist_ok=True)
    work = Path(os.environ["TARVELO_WORK"])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    app.stop_everything()
    wine.define_cdrom(DRIVE, work / "drive-d", DISC_LABEL)
    programs = app.Programs(work)
    try:
        programs.start_tarvelo()
        skin = rect_of(wine.wait_window(cls=app.PNG_FORM_CLASS))
        desktop.park_pointer()
        save(bounds([skin], MARGIN), out / "window.png")

        # The menu with the drive's entry captioned by its disc, and Tools open.
        wine.wait_until(drive_entry_has_its_label, SETTLE, "the drive's entry to show the disc's label")
        menu = desktop.open_tray_menu().hwnd
        for vk in (VK_DOWN, VK_DOWN, VK_RIGHT):
            press(menu, vk)
        wine.wait_until(lambda: len(desktop.open_menus()) == 2, SETTLE, "the Tools submenu")
        tray = desktop.tray_geometry()
        rects = [rect_of(m) for m in desktop.open_menus()]
        rects.append((tray[0], tray[1], tray[0] + tray[2], tray[1] + tray[3]))
        save(bounds(rects, MARGIN), out / "tray-menu.png")
        close_menus()
        programs.stop_everything()

        for dpi, name in SCALES.items():
            wine.set_screen_dpi(dpi)
            app.wait_started(programs.start(app.tarvelo_exe()), picture=None)
            desktop.park_pointer()
            save(bounds([rect_of(wine.wait_window(cls=app.PNG_FORM_CLASS))], MARGIN * dpi // 96), out / name)
            programs.stop_everything()
    finally:
        programs.stop_everything()
        wine.set_screen_dpi(None)
        wine.remove_drive(DRIVE)


if __name__ == "__main__":
    main(Path(sys.argv[1]))

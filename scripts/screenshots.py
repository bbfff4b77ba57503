"""Pictures of the running program for the README, taken with the helpers of
the end-to-end tests. Run through scripts/screenshots, which prepares the
display, the Wine prefix and the environment; the argument is the folder
that receives window.png and tray-menu.png."""

import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import harness as h  # noqa: E402

MARGIN = 12
MENU_TOOLS = 1
SETTLE = 10
DISC_LABEL = "HOLIDAY 2025"
WM_KEYDOWN = 0x0100
VK_ESCAPE = 0x1B


def bounds(rects, margin):
    left = max(0, min(r[0] for r in rects) - margin)
    top = max(0, min(r[1] for r in rects) - margin)
    right = max(r[2] for r in rects) + margin
    bottom = max(r[3] for r in rects) + margin
    return left, top, right, bottom


def save(area, path):
    left, top, right, bottom = area
    h.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
           "-strip", str(path)])
    print(f"saved {path}")


def visible_menus():
    return h.find_windows(cls=h.POPUP_MENU_CLASS, visible=True)


def main(out):
    out.mkdir(parents=True, exist_ok=True)
    work = h.work_dir()
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    with h.cdrom("D", DISC_LABEL):
        program = h.start_tarvelo()
        try:
            skin = h.window_info(h.wait_window(cls="TPNGForm"))["rect"]
            h.park_pointer()
            save(bounds([skin], MARGIN), out / "window.png")

            # The menu with the drive's entry captioned by its disc, and Tools open.
            # The drive's entry takes the disc's label at the program's first
            # one-second tick, which shows nowhere outside its menu.
            time.sleep(1.5)
            menu = h.open_tray_menu()
            h.keys("Down", "Down", "Right", xwindow=menu.info["xwindow"])
            h.wait_until(lambda: len(visible_menus()) == 2, SETTLE, "the Tools submenu")
            tray = h.tray_geometry()
            rects = [h.window_info(m)["rect"] for m in visible_menus()]
            rects.append((tray[0], tray[1], tray[0] + tray[2], tray[1] + tray[3]))
            save(bounds(rects, MARGIN), out / "tray-menu.png")

            # Keys posted to the open menu reach its menu loop whatever has the
            # X focus: one Escape per level.
            def closed():
                menus = visible_menus()
                if menus:
                    h.post(menus[0], WM_KEYDOWN, VK_ESCAPE)
                return not menus

            h.wait_until(closed, SETTLE, "the menus to close", interval=0.3)
        finally:
            h.stop_everything()
            if program.running():
                program.kill()


if __name__ == "__main__":
    main(Path(sys.argv[1]))

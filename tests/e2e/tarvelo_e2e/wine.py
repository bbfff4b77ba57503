"""Windows programs, windows, registry and drives of the test's Wine session.

Two rules keep the runs deterministic on a loaded machine:
- every wait polls a condition against a deadline (wait_until), never a
  fixed sleep;
- no Wine process ever writes into a pipe of ours: a Wine program may start
  background processes (the desktop, services) that inherit its output and
  never end, so outputs go to files that are read afterwards.
"""

import contextlib
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

POLL_SECONDS = 0.05
START_TIMEOUT = 30  # a program start on a loaded two-core machine
CALL_TIMEOUT = 60
DRIVE_CDROM = 5


class Timeout(AssertionError):
    pass


class CommandFailed(AssertionError):
    pass


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


def probe_path():
    return Path(os.environ["TARVELO_PROBE"])


def prefix():
    return Path(os.environ["WINEPREFIX"])


# ---- running programs ---------------------------------------------------------

def run(args, timeout=CALL_TIMEOUT, check=True):
    """Runs a command to its end; returns (exit code, stdout, stderr).

    Output goes through files, never pipes. The command runs in an empty
    folder of its own: `wine reg` would take a reg.exe of the current folder."""
    args = [str(a) for a in args]
    with tempfile.TemporaryDirectory(prefix="tarvelo-e2e-") as folder:
        out_path, err_path = Path(folder) / "out", Path(folder) / "err"
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            try:
                code = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=folder,
                                      timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                raise Timeout(f"{' '.join(args)} did not end within {timeout} s") from None
        stdout = out_path.read_text(errors="replace")
        stderr = err_path.read_text(errors="replace")
    if check and code != 0:
        raise CommandFailed(f"{' '.join(args)} exited with {code}: {stderr.strip()}")
    return code, stdout, stderr


def wine(*args, check=True, timeout=CALL_TIMEOUT):
    return run(["wine", *args], timeout=timeout, check=check)


class Program:
    """A Windows program started in the background with `wine`, running in
    `folder` with its output in NAME.out and NAME.err there.

    The `wine` process becomes the Windows process, so its exit status is the
    program's exit code. Start programs through the `programs` fixture, which
    ends them after the test."""

    def __init__(self, exe, folder, name=None, args=(), env=None):
        self.name = name or Path(exe).stem
        stem, serial = self.name, 1
        while (folder / f"{stem}.out").exists():
            stem, serial = f"{self.name}-{serial}", serial + 1
        self.out_path = folder / f"{stem}.out"
        self.err_path = folder / f"{stem}.err"
        environment = {**os.environ, **env} if env else None
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.process = subprocess.Popen(["wine", str(exe), *map(str, args)], stdin=subprocess.DEVNULL,
                                            stdout=out, stderr=err, cwd=folder, env=environment)

    def running(self):
        return self.process.poll() is None

    def exit_code(self, timeout):
        """Waits for the end of the program and returns its exit code."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"{self.name} still runs after {timeout} s") from None

    def kill(self):
        if self.running():
            self.process.kill()
        self.process.wait(timeout=CALL_TIMEOUT)

    def output(self):
        return self.out_path.read_text(errors="replace")


# ---- the probe ------------------------------------------------------------------

def probe(*args, check=True, timeout=CALL_TIMEOUT):
    """Runs one tarvelo-probe command; returns its stdout (or (code, stdout) with check=False)."""
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


def x_window_of(hwnd):
    return window_info(hwnd)["xwindow"]


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


class ProbeWindow:
    """Context around a started probe command that keeps a window open
    (focus-window, hold-hotkey): waits for its "ready HWND" line and closes
    the window at the end."""

    def __init__(self, program):
        self.program = program
        self.hwnd = None

    def __enter__(self):
        def announced():
            if not self.program.running():
                raise CommandFailed(f"tarvelo-probe: {self.program.err_path.read_text().strip()}")
            for line in self.program.output().splitlines():
                if line.startswith("ready "):
                    return int(line.split()[1], 16)
            return None

        self.hwnd = wait_until(announced, START_TIMEOUT, "the probe's window to be ready")
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
        """Ids of the hotkey presses a hold-hotkey window has taken so far."""
        return [int(line.split()[1]) for line in self.program.output().splitlines() if line.startswith("hotkey ")]


# ---- tracing a program's calls ------------------------------------------------------

RELAY_KEY = r"HKCU\Software\Wine\Debug"


@contextlib.contextmanager
def relay_traced(functions):
    """Context: programs started with `env=RELAY_ENVIRONMENT` meanwhile write
    their calls of these functions (e.g. "kernel32.CreateFileA") to their
    error output, for relay_calls to read."""
    reg_add(RELAY_KEY, "RelayInclude", ";".join(functions))
    try:
        yield
    finally:
        reg_delete(RELAY_KEY, "RelayInclude")


RELAY_ENVIRONMENT = {"WINEDEBUG": "+relay"}
_RELAY_CALL = re.compile(r"Call [\w.]+\.(\w+)\((.*)\) ret=")
_RELAY_RETURN = re.compile(r"Ret  [\w.]+\.(\w+)\(\) retval=([0-9a-fA-F]+)")


def relay_calls(program, function):
    """[(arguments, return value)] of the traced program's calls of a function,
    in order, as Wine's relay trace writes them ("0032f5c8 \"D:\\\\\",c0000000,...")."""
    calls, pending = [], []
    for line in program.err_path.read_text(errors="replace").splitlines():
        call = _RELAY_CALL.search(line)
        if call and call.group(1) == function:
            pending.append(call.group(2))
            continue
        returned = _RELAY_RETURN.search(line)
        if returned and returned.group(1) == function and pending:
            calls.append((pending.pop(), int(returned.group(2), 16)))
    return calls


# ---- registry -------------------------------------------------------------------

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


def reg_key_exists(key, view64=False):
    return wine("reg", "query", key, *_reg_view(view64), check=False)[0] == 0


def reg_add(key, value, data, kind="REG_SZ", view64=False):
    wine("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f", *_reg_view(view64))


def reg_delete(key, value=None, view64=False):
    """Deletes a value, or the whole key when value is None; absent ones are fine."""
    target = ["/v", value] if value is not None else []
    wine("reg", "delete", key, *target, "/f", *_reg_view(view64), check=False)


# ---- the screen's scale -----------------------------------------------------------

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def set_screen_dpi(dpi):
    """Every program from now on sees a screen of `dpi` (None: the default
    96). Wine reads LogPixels when its server starts, so the server is
    started again: end every program first."""
    if dpi is None:
        reg_delete(DESKTOP_KEY, "LogPixels")
    else:
        reg_add(DESKTOP_KEY, "LogPixels", str(dpi), kind="REG_DWORD")
    run(["wineserver", "-k"], check=False)
    run(["wineserver", "-w"])
    run(["wineserver", "-p"])
    # The first program after the server starts the prefix's services,
    # which keep its output open: run gives them files.
    wine("reg", "query", r"HKCU\Software")


# ---- drives ---------------------------------------------------------------------

def drive_info(letter):
    """{'type': int, 'readable': bool, 'label': str, 'serial': int} of a drive."""
    line = probe("drive-info", f"{letter}:").strip()
    fields = dict(part.split("=", 1) for part in line.split(" label=")[0].split())
    label, _, serial = line.split(" label=", 1)[1].rpartition(" serial=")
    return {"type": int(fields["type"]), "readable": fields["readable"] == "1", "label": label,
            "serial": int(serial, 16)}


def cdrom_letters():
    """Letters of the CD-ROM drives the prefix has now, in order."""
    dosdevices = prefix() / "dosdevices"
    letters = sorted(p.name[0].upper() for p in dosdevices.iterdir() if len(p.name) == 2 and p.name[1] == ":")
    return [l for l in letters if l not in "CZ" and drive_info(l)["type"] == DRIVE_CDROM]


def define_cdrom(letter, folder, label, serial=0x7A5E0001):
    """Makes drive LETTER a CD-ROM drive whose disc is folder (created when missing)."""
    folder.mkdir(parents=True, exist_ok=True)
    probe("define-cdrom", f"{letter}:", folder, label, hex(serial))


def remove_drive(letter):
    probe("remove-drive", f"{letter}:", check=False)

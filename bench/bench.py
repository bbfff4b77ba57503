#!/usr/bin/env python3
"""Measures Tarvelo's footprint and speed and prints one table: each figure
beside its limit or nominal value and the ratio between them. Asserts
nothing. scripts/bench builds what this needs, starts a virtual display and
a fresh Wine prefix, and runs it with:

  TARVELO_DIST          folder with Tarvelo.exe and form.png
  TARVELO_TESTS_BIN     folder with tarvelo-probe.exe, win_fade.exe and win_drives.exe
  TARVELO_NATIVE_BENCH  host_skin_decode of a native, optimised build
  TARVELO_MEASURED      which program that is, for the first line: "32-bit
                        program", or "64-bit program (...why...)" where
                        32-bit programs cannot run

The program is measured from outside, as a user runs it: started by the
probe, which times it to its first full showing, and read through the
probe (committed private memory, kernel handles) and through Linux
(processor time of the Wine process, to the nanosecond). The fades are
timed in-process by win_fade.exe, the window's answers while the drives
are slow by win_drives.exe.
"""
import argparse
import contextlib
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

EXE_LIMIT = 409_600          # bytes: the budget, 400 KB
FADE_NOMINAL = 800           # ms, each fade
START_AIM = FADE_NOMINAL + 300  # ms, process start to the fade-in's end
START_ALLOWANCE = 300        # ms the start-up may add to the fade; the skin decode is part of it
TICK_PERIOD = 1000           # ms between two drive-label ticks
ANSWER_LIMIT = 50            # ms the window's thread may take to answer while drives are slow
DRIVE_COUNTS = (0, 1, 8, 26)
STARTS = 5
SETTLE = 2.0                 # s after start-up before anything is read
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
WINE_TIMEOUT = 120
RESIDENT_TITLE = "Tarvelo bench resident"
HIGH_DPI = 192               # 200 %, the largest scale the program draws its pictures for
LARGEST_SKIN = 4096          # pixels a side, the largest skin file the program takes
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def env_path(name):
    value = os.environ.get(name)
    if not value:
        sys.exit(f"bench: {name} is not set; run scripts/bench")
    return Path(value)


class Bench:
    def __init__(self, work):
        self.work = work
        self.prefix = env_path("WINEPREFIX")
        self.tests_bin = env_path("TARVELO_TESTS_BIN")
        self.dist = env_path("TARVELO_DIST")
        # Everything runs from C:, so that the drive letters, Z: included,
        # can all be made CD-ROM drives.
        self.folder = self.prefix / "drive_c" / "bench"
        self.folder.mkdir(parents=True, exist_ok=True)
        for source in (self.dist / "Tarvelo.exe", self.dist / "form.png", self.tests_bin / "tarvelo-probe.exe",
                       self.tests_bin / "win_fade.exe", self.tests_bin / "win_drives.exe"):
            shutil.copy2(source, self.folder)
        self.discs = work / "discs"

    # ---- running programs; outputs go to files, never pipes: a Wine
    # program may leave background processes holding them open.

    def run(self, args, timeout=WINE_TIMEOUT):
        with tempfile.TemporaryFile(dir=self.work) as out, tempfile.TemporaryFile(dir=self.work) as err:
            code = subprocess.run([str(a) for a in args], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  cwd=self.folder, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read().decode(errors="replace"), err.read().decode(errors="replace")
        if code != 0:
            raise RuntimeError(f"{' '.join(map(str, args))} exited with {code}: {stderr.strip()[-500:]}")
        return stdout

    def probe(self, *args, timeout=WINE_TIMEOUT):
        return self.run(["wine", r"C:\bench\tarvelo-probe.exe", *args], timeout=timeout)

    @staticmethod
    def fields(text):
        return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)

    # ---- the program under measurement

    @contextlib.contextmanager
    def resident_program(self):
        """Another program runs throughout, as the shell always does on
        Windows. Wine ends its desktop process once the last program has
        gone, and the next program's first window then waits for a new one
        (about 0.2 s here): a start on a real desktop never pays for that."""
        with tempfile.TemporaryFile(dir=self.work) as out:
            resident = subprocess.Popen(
                ["wine", r"C:\bench\tarvelo-probe.exe", "hold-file", r"C:\bench\form.png", "--title", RESIDENT_TITLE],
                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, cwd=self.folder)
            try:
                self.probe("wait-window", "--title", RESIDENT_TITLE, "--visible", "--timeout", "30000")
                yield
            finally:
                out.seek(0)
                ready = re.search(r"ready (\S+)", out.read().decode(errors="replace"))
                if ready:
                    self.probe("close", ready.group(1))
                try:
                    resident.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    resident.kill()
                    resident.wait()

    def launch(self):
        """Starts Tarvelo.exe; returns (start to shown in ms, its window, its Linux process)."""
        got = self.fields(self.probe("launch", r"C:\bench\Tarvelo.exe", "--timeout", "60000"))
        return float(got["start_to_shown_ms"]), got["window"], self.linux_process(int(got["pid"]))

    def linux_process(self, windows_pid):
        """The Linux process of the running Tarvelo.exe of this prefix."""
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            for entry in Path("/proc").iterdir():
                if not entry.name.isdigit():
                    continue
                try:
                    argv0 = (entry / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
                    if re.split(r"[\\/]", argv0)[-1].lower() != "tarvelo.exe":
                        continue
                    if f"WINEPREFIX={self.prefix}".encode() in (entry / "environ").read_bytes().split(b"\0"):
                        return int(entry.name)
                except OSError:
                    continue
            time.sleep(0.05)
        raise RuntimeError(f"no Linux process for Windows process {windows_pid}")

    @staticmethod
    def cpu_ns(linux_pid):
        """Processor time of every thread of a process so far."""
        total = 0
        for task in Path(f"/proc/{linux_pid}/task").iterdir():
            try:
                total += int((task / "schedstat").read_text().split()[0])
            except (OSError, ValueError, IndexError):
                pass
        return total

    def stop(self, window, linux_pid):
        """WM_CLOSE ends the program without its fade; a program that does not go is killed."""
        try:
            self.probe("close", window)
        except RuntimeError:
            pass
        deadline = time.monotonic() + 10
        while Path(f"/proc/{linux_pid}").exists() and time.monotonic() < deadline:
            time.sleep(0.05)
        if Path(f"/proc/{linux_pid}").exists():
            os.kill(linux_pid, 9)
            time.sleep(0.5)

    def costs(self, window_pid):
        got = self.fields(self.probe("process-stats", str(window_pid)))
        return float(got["private_kb"]), int(got["handles"])

    def windows_pid(self, window):
        return int(self.fields(self.probe("window-info", window))["pid"])

    def set_dpi(self, dpi):
        """Every program from now on runs at `dpi`: Wine reads LogPixels when
        its server starts, so the server is started again."""
        self.run(["wine", "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"])
        subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], stdin=subprocess.DEVNULL, timeout=WINE_TIMEOUT)
        subprocess.run(["wineserver", "-p"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # The first program starts the prefix's services, which keep its
        # output open: self.run gives them a file.
        self.run(["wine", "reg", "query", r"HKCU\Software"])

    def start_settled(self, exe):
        """Starts `exe` and returns (its window, its Windows process, its
        Linux process) once its fade-in is over and it has settled. Every
        reading of the program's costs starts it this way.

        The probe's launch only starts it: waiting for the whole window on
        the screen would never end for the largest skin, which reaches above
        the screen. The window looked for is the new process's own."""
        pid = int(self.fields(self.probe("launch", exe, "--no-wait"))["pid"])
        window = self.probe("wait-window", "--class", "TfrmMain", "--pid", str(pid), "--visible",
                            "--timeout", "120000", timeout=180).split()[0]
        deadline = time.monotonic() + 180
        # Shown in full: visible without the fade-in's constant alpha. The
        # window is hidden while the fade runs on the skin's layer, already
        # without that alpha, and shown again as the fade ends; with the
        # largest skin that takes seconds, with three more copies of the skin
        # in memory meanwhile.
        while not self.shown_in_full(window):
            if time.monotonic() > deadline:
                raise RuntimeError(f"{exe} did not finish its fade-in")
            time.sleep(0.2)
        linux_pid = self.linux_process(pid)
        time.sleep(SETTLE)
        return window, pid, linux_pid

    def shown_in_full(self, window):
        got = self.fields(self.probe("window-info", window))
        return got.get("visible") == "1" and got.get("layered_flags") in ("0x1", "-")

    def start_up_memory(self, exe):
        """Private memory of a program just started and settled, in KB."""
        window, pid, linux_pid = self.start_settled(exe)
        memory, _ = self.costs(pid)
        self.stop(window, linux_pid)
        return memory

    def largest_skin_folder(self):
        r"""C:\bench\large: the program beside a 4096 x 4096 skin, a soft
        gradient with partly transparent edges; made on first use."""
        from PIL import Image
        folder = self.folder / "large"
        if (folder / "form.png").exists():
            return r"C:\bench\large\Tarvelo.exe"
        folder.mkdir(exist_ok=True)
        shutil.copy2(self.dist / "Tarvelo.exe", folder)
        side = LARGEST_SKIN
        ramp = Image.linear_gradient("L").resize((side, side))
        alpha = Image.new("L", (side, side), 255)
        alpha.paste(ramp.crop((0, 0, side, 64)), (0, 0))
        Image.merge("RGBA", (ramp, ramp.rotate(90), ramp.rotate(180), alpha)).save(folder / "form.png")
        return r"C:\bench\large\Tarvelo.exe"

    def largest_skin_memory(self):
        """Private memory after start-up with the largest skin, in KB.

        Wine hands a window over the whole work area to the window manager as
        a full-screen one, which openbox fits to the screen: the program's
        windows are kept from it, as on a Windows desktop. That setting holds
        for every Tarvelo.exe of the prefix, so it is there for these starts
        only."""
        key = r"HKCU\Software\Wine\AppDefaults\Tarvelo.exe"
        self.run(["wine", "reg", "add", key + r"\X11 Driver", "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f"])
        try:
            return self.start_up_memory(self.largest_skin_folder())
        finally:
            self.run(["wine", "reg", "delete", key, "/f"])

    def define_cdroms(self, letters):
        for letter in letters:
            # C: keeps its own folder, Z: (the Linux root) gets an empty one:
            # defining a drive writes its label into the folder.
            folder = self.prefix / "drive_c" if letter == "C" else self.discs / letter
            folder.mkdir(parents=True, exist_ok=True)
            self.probe("define-cdrom", f"{letter}:", folder, f"DISC {letter}")


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, value, unit, limit=None, limit_text=None, decimals=1):
        shown = f"{value:,.{decimals}f} {unit}".strip()
        if limit is None:
            self.rows.append((figure, shown, limit_text or "-", "-"))
        else:
            self.rows.append((figure, shown, limit_text or f"{limit:,.{decimals}f} {unit}".strip(),
                              self.ratio(value / limit)))

    @staticmethod
    def ratio(value):
        return f"{value:.2f}" if value >= 0.1 else f"{value:.2g}"

    def print(self):
        head = ("figure", "measured", "limit or nominal", "ratio")
        widths = [max(len(row[i]) for row in [head, *self.rows]) for i in range(4)]
        line = lambda row: "| " + " | ".join(cell.ljust(w) for cell, w in zip(row, widths)) + " |"
        print(line(head))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for row in self.rows:
            print(line(row))


def machine():
    cpu = "unknown processor"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    wine = subprocess.run(["wine", "--version"], stdin=subprocess.DEVNULL, capture_output=True, text=True)
    return f"{os.cpu_count()} x {cpu}, {platform.system()} {platform.release()}, {wine.stdout.strip()}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cycles", type=int, default=500, help="hide/show cycles (500)")
    parser.add_argument("--idle", type=float, default=600, help="seconds of idling (600)")
    parser.add_argument("--tick-seconds", type=float, default=20, help="seconds of ticks per drive count (20)")
    parser.add_argument("--only", choices=["memory"],
                        help="memory: only the private memory after start-up, at 100 and 200 %%")
    args = parser.parse_args()
    started = time.monotonic()
    table = Table()
    log = lambda text: print(f"[bench] {text}", file=sys.stderr, flush=True)
    program = r"C:\bench\Tarvelo.exe"
    scale = f"{HIGH_DPI * 100 // 96} %"

    with tempfile.TemporaryDirectory(prefix="tarvelo-bench.") as scratch:
        bench = Bench(Path(scratch))

        def scaled_memory(fades):
            """The memory rows at 100 and 200 %, and the fades at 200 % when
            asked, then back to 100 %. Run while exactly one CD-ROM drive is
            defined, as for the long run: under Wine each drive's label thread
            commits about 2 MB, so the drives left from the timer's runs would
            count in these rows."""
            log(f"fades and memory at {scale}")
            memory = {"large 96": bench.largest_skin_memory()}
            bench.set_dpi(HIGH_DPI)
            if fades:
                out = bench.run(["wine", r"C:\bench\win_fade.exe"], timeout=300)
                size = re.search(r"skin (\d+ x \d+)", out).group(1)
                runs = re.search(r"(\d+) runs each", out).group(1)
                for name, steps, ms in re.findall(r"^(fade-out|fade-in) \((\d+) steps\)\s+median\s+([\d.]+) ms",
                                                  out, re.M):
                    table.add(f"{name} at {scale}, {size} ({steps} steps, median of {runs})", float(ms), "ms",
                              FADE_NOMINAL)
            memory["high"] = bench.start_up_memory(program)
            memory["large high"] = bench.largest_skin_memory()
            bench.set_dpi(96)
            return memory

        if args.only == "memory":
            bench.define_cdroms(LETTERS[:1])
            log("memory at 100 %")
            window, pid, linux_pid = bench.start_settled(program)
            phases = [("after start-up", bench.costs(pid))]
            bench.stop(window, linux_pid)
            memory = scaled_memory(fades=False)
        else:
            exe = (bench.dist / "Tarvelo.exe").stat().st_size
            table.add(f"exe size ({os.path.relpath(bench.dist / 'Tarvelo.exe')})", exe, "bytes", EXE_LIMIT,
                      decimals=0)

            log("skin decode, native")
            decoded = bench.run([env_path("TARVELO_NATIVE_BENCH")])
            for width, height, ms in re.findall(r"skin decode\s+(\d+) x\s+(\d+): median\s+([\d.]+) ms", decoded):
                table.add(f"skin decode {width} x {height} (native)", float(ms), "ms", START_ALLOWANCE,
                          f"{START_ALLOWANCE} ms start-up allowance", decimals=2)

            log("fades, in-process")
            fades = bench.run(["wine", r"C:\bench\win_fade.exe"], timeout=300)
            runs = re.search(r"(\d+) runs each", fades).group(1)
            for name, steps, ms in re.findall(r"^(fade-out|fade-in) \((\d+) steps\)\s+median\s+([\d.]+) ms", fades,
                                              re.M):
                table.add(f"{name} ({steps} steps, median of {runs})", float(ms), "ms", FADE_NOMINAL)

            log("answers while the drives are slow, in-process")
            slow = bench.run(["wine", r"C:\bench\win_drives.exe"], timeout=300)
            answer = re.search(r"longest answer while drives are slow:\s+([\d.]+) ms", slow)
            table.add("longest answer of the window, drives slow (tray 3 s, label 5 s)", float(answer.group(1)),
                      "ms", ANSWER_LIMIT)

            log("start to shown")
            starts = []
            with bench.resident_program():
                for _ in range(STARTS):
                    ms, window, linux_pid = bench.launch()
                    starts.append(ms)
                    bench.stop(window, linux_pid)
            table.add(f"start to shown (median of {STARTS})", statistics.median(starts), "ms", START_AIM,
                      f"{START_AIM} ms (fade + 0.3 s)", decimals=0)

            ticks = {}
            defined = ""
            for count in DRIVE_COUNTS:
                log(f"timer ticks with {count} CD-ROM drives")
                bench.define_cdroms([letter for letter in LETTERS[:count] if letter not in defined])
                defined = LETTERS[:count]
                window, pid, linux_pid = bench.start_settled(program)
                cpu0, t0 = bench.cpu_ns(linux_pid), time.monotonic()
                time.sleep(args.tick_seconds)
                cpu1, t1 = bench.cpu_ns(linux_pid), time.monotonic()
                ticks[count] = (cpu1 - cpu0) / 1e6 / ((t1 - t0) * 1000 / TICK_PERIOD)
                if count == 1:
                    # The long run: one drive, as on most machines.
                    log(f"memory and handles over {args.cycles} hide/show cycles and {args.idle:.0f} s idle")
                    phases = [("after start-up", bench.costs(pid))]
                    bench.probe("hide-show", window, str(args.cycles), "--timeout", "60000",
                                timeout=60 + args.cycles * 30)
                    phases.append((f"after {args.cycles} hide/show cycles", bench.costs(pid)))
                    time.sleep(args.idle)
                    idle = f"{args.idle / 60:g} min" if args.idle % 60 == 0 else f"{args.idle:g} s"
                    phases.append((f"after {idle} idle", bench.costs(pid)))
                bench.stop(window, linux_pid)
                if count == 1:
                    memory = scaled_memory(fades=True)

            for count in DRIVE_COUNTS:
                figure = f"timer tick, {count} CD-ROM drive{'' if count == 1 else 's'} (CPU"
                if count:
                    figure += f"; {(ticks[count] - ticks[0]) / count:.3f} ms a drive"
                table.add(figure + ")", ticks[count], "ms", TICK_PERIOD, f"{TICK_PERIOD} ms period", decimals=3)

        (_, (memory0, handles0)) = phases[0]
        for label, (value, handles) in phases:
            reference = None if label == "after start-up" else memory0
            table.add(f"private memory {label}", value, "KB", reference,
                      "(reference)" if reference is None else f"{memory0:,.1f} KB at start-up")
        table.add(f"private memory after start-up at {scale}", memory["high"], "KB", memory0,
                  f"{memory0:,.1f} KB at 100 %")
        table.add(f"private memory, {LARGEST_SKIN} x {LARGEST_SKIN} skin at 100 %", memory["large 96"], "KB", None)
        table.add(f"private memory, {LARGEST_SKIN} x {LARGEST_SKIN} skin at {scale}", memory["large high"], "KB",
                  memory["large 96"], f"{memory['large 96']:,.1f} KB at 100 %")
        for label, (value, handles) in phases:
            reference = None if label == "after start-up" else handles0
            table.add(f"kernel handles {label}", handles, "", reference,
                      "(reference)" if reference is None else f"{handles0} at start-up", decimals=0)

    measured = os.environ.get("TARVELO_MEASURED", "program in TARVELO_DIST")
    print(f"Tarvelo benchmark, {time.strftime('%Y-%m-%d')}; {machine()}; {time.monotonic() - started:.0f} s; "
          f"{measured}")
    print()
    table.print()
    return 0


if __name__ == "__main__":
    sys.exit(main())

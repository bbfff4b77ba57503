"""The packages under test, made by CPack from this build's own configuration
(the one scripts/package uses), and what an installed program is made of
seen from Windows: the Wine user's folders, a shortcut's target, a file's
version resource.

CTest sets, for the package tests only:

  TARVELO_CPACK          the cpack program
  TARVELO_CPACK_CONFIG   this build's CPackConfig.cmake
  TARVELO_VERSION        the version the build read from app/product.h
  TARVELO_PLATFORM       win32 or win64, as the zip's name says
"""

import functools
import os
from pathlib import Path, PureWindowsPath

from .wine import CommandFailed, prefix, probe, run, wine

PACKAGE_TIMEOUT = 300


def _setting(name):
    value = os.environ.get(name)
    if not value:
        raise CommandFailed(f"{name} not set: run the package tests through CTest (ctest --preset windows "
                            "-R 'e2e.(installer|portable_zip)')")
    return value


def version():
    return _setting("TARVELO_VERSION")


def platform():
    return _setting("TARVELO_PLATFORM")


def make(generator, folder, version_override=None):
    """Runs cpack for one generator ("ZIP" or "NSIS") into a subfolder of
    folder; returns the package's path."""
    out = Path(folder) / f"packages-{generator.lower()}-{version_override or 'current'}"
    args = [_setting("TARVELO_CPACK"), "--config", _setting("TARVELO_CPACK_CONFIG"), "-G", generator, "-B", out]
    if version_override:
        args += ["-D", f"CPACK_PACKAGE_VERSION={version_override}"]
    run(args, timeout=PACKAGE_TIMEOUT)
    made = [p for p in out.iterdir() if p.suffix in (".zip", ".exe")]
    assert len(made) == 1, f"cpack made {made}"
    return made[0]


def unix_path(windows_path):
    """The Unix path of a path on the prefix's C: drive."""
    path = PureWindowsPath(windows_path)
    assert path.drive.upper() == "C:", f"{windows_path} is not on C:"
    return prefix().joinpath("drive_c", *path.parts[1:])


@functools.lru_cache(maxsize=None)
def user_folder(variable):
    """A folder of the Wine user, as an environment variable such as
    LOCALAPPDATA names it for Windows programs (asked once: the prefix does
    not change during a run)."""
    _, out, _ = wine("cmd", "/c", "echo", f"%{variable}%")
    folder = out.strip()
    assert folder and "%" not in folder, f"{variable} is not set: {out!r}"
    return folder


def _fields(*probe_args):
    return dict(line.split("=", 1) for line in probe(*probe_args).splitlines() if line)


def shortcut_target(lnk):
    """What a shortcut (.lnk) starts: {'target': path, 'folder': working folder}."""
    return _fields("shortcut-target", lnk)


def file_version(path):
    """The version resource of an executable: {'fixed': 'a.b.c.d', 'product': the ProductVersion text}."""
    return _fields("file-version", path)

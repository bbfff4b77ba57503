"""The packages under test, made by CPack from this build's own configuration
(the one scripts/package uses) into the test's work folder, and the paths
of the Wine prefix's C: drive as Unix paths.

CTest sets, besides the harness's variables:

  TARVELO_CPACK          the cpack program
  TARVELO_CPACK_CONFIG   this build's CPackConfig.cmake
  TARVELO_VERSION        the version the build read from app/product.h
  TARVELO_PLATFORM       win32 or win64, as the zip's name says
"""

import functools
import os
from pathlib import Path, PureWindowsPath

import harness as h

PACKAGE_TIMEOUT = 300


def version():
    return h.require_env("TARVELO_VERSION")


def platform():
    return h.require_env("TARVELO_PLATFORM")


def make(generator, version_override=None):
    """Runs cpack for one generator ("ZIP" or "NSIS"); returns the package's path."""
    out = h.work_dir() / f"packages-{generator.lower()}-{version_override or 'current'}"
    args = [h.require_env("TARVELO_CPACK"), "--config", h.require_env("TARVELO_CPACK_CONFIG"),
            "-G", generator, "-B", out]
    if version_override:
        args += ["-D", f"CPACK_PACKAGE_VERSION={version_override}"]
    h.run(args, timeout=PACKAGE_TIMEOUT)
    made = [p for p in out.iterdir() if p.suffix in (".zip", ".exe")]
    assert len(made) == 1, f"cpack made {made}"
    return made[0]


def unix_path(windows_path):
    """The Unix path of a path on the prefix's C: drive."""
    path = PureWindowsPath(windows_path)
    assert path.drive.upper() == "C:", f"{windows_path} is not on C:"
    return Path(os.environ["WINEPREFIX"], "drive_c", *path.parts[1:])


@functools.lru_cache(maxsize=None)
def folder_of_user(variable):
    """A folder of the Wine user, as an environment variable such as
    LOCALAPPDATA names it for Windows programs."""
    _, out, _ = h.wine("cmd", "/c", "echo", f"%{variable}%")
    folder = out.strip()
    assert folder and "%" not in folder, f"{variable} is not set: {out!r}"
    return folder

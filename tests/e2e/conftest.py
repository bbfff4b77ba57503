"""Fixtures of the end-to-end tests, which drive the real Tarvelo.exe under
Wine on a virtual display (see tarvelo_e2e/ for the helpers).

The tests need the environment of scripts/lib/testenv.sh (DISPLAY,
WINEPREFIX, ...) and the variables that CTest sets for them:

  TARVELO_DIST   folder with Tarvelo.exe and form.png
  TARVELO_PROBE  path of tarvelo-probe.exe
  TARVELO_WORK   scratch folder, one subfolder per test (optional: pytest's
                 tmp_path otherwise)

A new test is a function in a test_*.py file that takes the fixtures it needs,
most often `tarvelo` (the program, started) and `programs` (anything else
started, ended after the test)."""

import os
import re
import shutil
from pathlib import Path

import pytest

from tarvelo_e2e import app, desktop, wine

REQUIRED_ENVIRONMENT = ("DISPLAY", "WINEPREFIX", "TARVELO_DIST", "TARVELO_PROBE")


@pytest.fixture(scope="session", autouse=True)
def e2e_environment():
    """Checks the display, the Wine prefix and the built files, and starts
    from a clean desktop (nothing left by an earlier run)."""
    missing = [name for name in REQUIRED_ENVIRONMENT if not os.environ.get(name)]
    if missing:
        pytest.fail(f"{', '.join(missing)} not set: run the end-to-end tests through CTest (ctest --preset "
                    "windows -R e2e) in the environment of scripts/lib/testenv.sh", pytrace=False)
    if os.environ.get("TARVELO_WORK"):
        shutil.rmtree(os.environ["TARVELO_WORK"], ignore_errors=True)
    app.stop_everything()


@pytest.fixture(autouse=True)
def work_dir(request):
    """The test's own empty scratch folder: programs run in it and leave
    their output (NAME.out, NAME.err) there; failure.png on a failure."""
    root = os.environ.get("TARVELO_WORK")
    if not root:
        return request.getfixturevalue("tmp_path")
    folder = Path(root) / re.sub(r"[^\w.-]+", "_", request.node.name)
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    return folder


@pytest.fixture
def cdroms(request, work_dir):
    """The CD-ROM drives of the test's `cdrom(letter, label)` markers, as
    {letter: folder of the disc}; defined before any program starts and
    removed after they have all ended."""
    drives = {}
    try:
        for marker in request.node.iter_markers("cdrom"):
            letter, label = marker.args
            folder = work_dir / f"drive-{letter.lower()}"
            wine.define_cdrom(letter, folder, label, **marker.kwargs)
            drives[letter] = folder
        yield drives
    finally:
        for letter in drives:
            wine.remove_drive(letter)


@pytest.fixture
def programs(work_dir, cdroms):
    """Starts the test's Windows programs (app.Programs) and ends them all
    afterwards: menus closed, windows closed politely, then killed, until no
    window or tray icon of theirs is left."""
    session = app.Programs(work_dir)
    yield session
    session.stop_everything()


@pytest.fixture
def tarvelo(programs):
    """Tarvelo.exe from the build, started and past its start-up (its
    wine.Program); stopped with everything else after the test."""
    yield programs.start_tarvelo()
    programs.stop_everything()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failing test leaves a picture of the screen, as it was before the
    clean-up, in its work folder."""
    outcome = yield
    report = outcome.get_result()
    folder = item.funcargs.get("work_dir") if hasattr(item, "funcargs") else None
    if report.failed and report.when in ("setup", "call") and folder and os.environ.get("DISPLAY"):
        shot = Path(folder) / f"failure-{report.when}.png"
        try:
            desktop.save_screenshot(shot)
            report.sections.append(("screenshot", str(shot)))
        except OSError as error:
            report.sections.append(("screenshot", f"none: {error}"))

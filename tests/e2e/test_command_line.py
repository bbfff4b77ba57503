"""Commands on the command line (`Tarvelo.exe /open E:`), as a script, a
shortcut or a scheduled task gives them: handed by a second start to the
running program, or run by a first start once it is up; and the exit codes
that tell a script what came of them.

What reaches the drive is read from the running program's relay trace: the
default drive's MCI string, a drive's MCI commands, and the lock requests of
"Block All". The default drive is the first optical one, D:, and its commands
run in the order given, so the last command's trace is proof that everything
before it has been done."""

import os
import signal

import pytest

from tarvelo_e2e import app, wine

EXIT_DONE, EXIT_BAD_ARGUMENTS, EXIT_REFUSED, EXIT_NO_ANSWER = 0, 2, 3, 4
ANSWER_DEADLINE = 5
MCI_SET = 0x80D
MCI_SET_DOOR_CLOSED = 0x200
IOCTL_STORAGE_MEDIA_REMOVAL = "002d4804"
SETTLE = 10

TRACED = ["winmm.mciSendStringA", "winmm.mciSendStringW", "winmm.mciSendCommandA", "winmm.mciSendCommandW",
          "kernel32.DeviceIoControl"]


def traced(program, *functions):
    return [arguments for function in functions for arguments, _ in wine.relay_calls(program, function)]


def mci_strings(program):
    return traced(program, "mciSendStringA", "mciSendStringW")


def door_sets(program):
    """The flags of each MCI_SET a drive's own command sent."""
    return [int(a.split(",")[2], 16) for a in traced(program, "mciSendCommandA", "mciSendCommandW")
            if int(a.split(",")[1], 16) == MCI_SET]


class Starts:
    """Second starts of the program, each with its arguments, run to their end."""

    def __init__(self, programs):
        self.programs = programs

    def start(self, *args):
        return self.programs.start(app.tarvelo_exe(), "command", args)

    def __call__(self, *args):
        return self.start(*args).exit_code(timeout=wine.START_TIMEOUT)

    def box(self, *args):
        """Starts it, returns the text of the box it shows once closed, and its exit code."""
        sender = self.start(*args)
        text = wine.wait_until(lambda: wine.msgbox_text(app.PROGRAM_TITLE), wine.START_TIMEOUT, "the usage box")
        wine.msgbox_close(app.PROGRAM_TITLE)
        return text, sender.exit_code(timeout=wine.START_TIMEOUT)


def main_form_top():
    return wine.window_info(wine.wait_window(cls=app.MAIN_FORM_CLASS))["rect"][1]


@pytest.mark.cdrom("D", "DOORS")
def test_commands_reach_the_running_program(programs):
    command = Starts(programs)
    with wine.relay_traced(TRACED):
        program = programs.start(app.tarvelo_exe(), env=wine.RELAY_ENVIRONMENT)
        app.wait_started(program)

        assert command("/lock") == EXIT_DONE
        assert command("/LOCK") == EXIT_DONE       # checked already: nothing to do
        assert command("-open") == EXIT_DONE       # "Block All" keeps the default tray shut
        # Not understood: the usage box names the argument, and nothing is sent.
        text, code = command.box("/open", "D:", "D:")
        assert code == EXIT_BAD_ARGUMENTS
        assert '"D:"' in text and "/unlock" in text, text
        # Not an optical drive: the running program refuses it.
        assert command("/open", "Q:") == EXIT_REFUSED
        assert command("/unlock") == EXIT_DONE
        assert command("/Unlock") == EXIT_DONE     # unchecked already
        assert command("/close", "d") == EXIT_DONE
        assert command("/close") == EXIT_DONE
        wine.wait_until(lambda: mci_strings(program), SETTLE, "the last command to reach the drive")

    strings = mci_strings(program)
    assert len(strings) == 1 and "door closed" in strings[0], f"only the last tray command moved it: {strings}"
    assert door_sets(program) == [MCI_SET_DOOR_CLOSED], "one drive command, the close of D:"
    locks = [a for a in traced(program, "DeviceIoControl") if a.split(",")[1] == IOCTL_STORAGE_MEDIA_REMOVAL]
    assert len(locks) == 2, f"one lock, one release: {locks}"

    # The window.
    top = main_form_top()
    assert command("/hide") == EXIT_DONE
    wine.wait_until(lambda: main_form_top() < 0, SETTLE, "the window to hide")
    # A program that does not take messages is given up on after the deadline.
    os.kill(program.process.pid, signal.SIGSTOP)
    try:
        assert command("-show") == EXIT_NO_ANSWER
    finally:
        os.kill(program.process.pid, signal.SIGCONT)
    assert command("/show") == EXIT_DONE
    wine.wait_until(lambda: main_form_top() == top, SETTLE, "the window to show")

    text, code = command.box("/?")
    assert (code, text.splitlines()[0]) == (EXIT_DONE, "Tarvelo.exe [command]")
    assert program.running()
    assert command("/exit") == EXIT_DONE
    assert program.exit_code(timeout=SETTLE) == 0


def test_a_command_with_no_program_running(programs):
    command = Starts(programs)
    # "/exit" starts nothing.
    assert command("/exit") == EXIT_DONE
    assert not any(app.tarvelo_windows().values())
    # Any other command starts the program, and runs once start-up is over.
    program = command.start("/hide")
    wine.wait_until(lambda: wine.find_windows(cls=app.MAIN_FORM_CLASS) and main_form_top() < 0, wine.START_TIMEOUT,
                    "the program to start and hide its window")
    assert program.running()

#!/usr/bin/env python3
"""tolvbat's own console window on a real display, where no terminal emulator is installed.

A batch file in a folder with a blank in its name prints output, runs a command that fails and
waits at PAUSE: the window shows each of them (read through the accessibility interface), goes on
at a real key press and closes when the batch ends. Then, on a display of its own, a batch line
that ignores hangups and leaves a child in the background: when the X server ends, nothing of the
batch run is left within five seconds.
"""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import Failure, XSession, ere_escape, has_ended, wait_until  # noqa: E402

PAUSE = 'Press a key to continue . . .'


def session_env(work):
    env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'XDG_', 'DBUS_'))}
    env.update(LANG='C.UTF-8', QT_QPA_PLATFORM='xcb', QT_SCALE_FACTOR='1',
               XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix='rt-', dir=work))
    return env


def lost_display(tolvbat, work):
    """The X server ends under a running batch: its commands and what they left end too."""
    folder = os.path.join(work, 'lost')
    os.makedirs(folder)
    batch = os.path.join(folder, 'solver.bat')
    with open(batch, 'wb') as f:
        f.write(b'/bin/sh -c "trap \'\' HUP; sleep 1000 & echo $! > bg; echo $$ > fg; exec sleep 999"\r\nPAUSE\r\n')
    x = XSession(work)
    try:
        x.open(session_env(work))
        proc = x.start([tolvbat, '--window', batch], folder, 'tolvbat-lost.log')
        x.wait_window('console', '^' + ere_escape(batch) + '$')

        def pids():
            try:
                return [int(open(os.path.join(folder, name)).read()) for name in ('fg', 'bg')]
            except (OSError, ValueError):
                return None
        started = wait_until('the command and its background child', pids, timeout=15)
        x.end_display()
        ended_at = time.monotonic()
        wait_until('tolvbat to end with its display', lambda: proc.poll() is not None, timeout=5)
        left = lambda: [pid for pid in started if not has_ended(pid)]  # noqa: E731
        wait_until('the batch run to end', lambda: not left(),
                   timeout=max(0.1, 5 - (time.monotonic() - ended_at)))
    finally:
        x.close()


def main():
    tolvbat = sys.argv[1]
    work = tempfile.mkdtemp(prefix='tolv-console-')
    folder = os.path.join(work, 'my app')
    os.makedirs(folder)
    batch = os.path.join(folder, 'solver.bat')
    with open(batch, 'wb') as f:
        f.write(b'@echo off\r\n/bin/echo solver output\r\n/bin/sh -c "exit 2"\r\nPAUSE\r\n/bin/echo after\r\n')
    x = XSession(work)
    failed = True
    try:
        x.open(session_env(work))
        proc = x.start([tolvbat, '--window', batch], folder, 'tolvbat.log')
        window = x.wait_window('console', '^' + ere_escape(batch) + '$')

        def shown_text():
            texts = [t for role, _, t in x.shown('tolvbat', batch) if role == 'text' and t]
            return texts[0] if texts and PAUSE in texts[0] else None

        text = wait_until('the PAUSE line', shown_text, timeout=15)
        lines = text.split('\n')
        expected = ['solver output', 'tolvbat: /bin/sh ended with exit status 2', PAUSE]
        if lines != expected:
            raise Failure(f'console shows {lines!r}, expected {expected!r}')
        x.screenshot(os.path.join(work, 'console.png'))
        if proc.poll() is not None:
            raise Failure('tolvbat ended before the key was pressed')
        x.activate(window)
        x.keys('x')
        code = proc.wait(10)
        if code != 0:
            raise Failure(f'tolvbat ended with {code}')
        x.wait_gone('console', window)
        x.close()
        lost_display(tolvbat, work)
        failed = False
    except Failure as failure:
        print(f'FAILED: {failure}')
    finally:
        try:
            x.close()
        except Failure as failure:
            print(f'FAILED: {failure}')
            failed = True
    if failed:
        print(f'work folder kept: {work}')
        return 1
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env python3
"""tolvbat's own console window on a real display, where no terminal emulator is installed.

A batch file in a folder with a blank in its name prints output, runs a command that fails and
waits at PAUSE: the window shows each of them (read through the accessibility interface), goes on
at a real key press and closes when the batch ends. Then, on a display of its own, a batch line
that ignores hangups and leaves a child in the background: when the X server ends, nothing of the
batch run is left within five seconds.

With --guide, first the user guide's picture of the console (linux-solver-console.png): in Japanese,
the launcher's solver.bat runs the solver stand-in beside tolvbat (the demo application folder's)
on an analysis recorded in run.dat, and the window waits at PAUSE.
"""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import Failure, XSession, ere_escape, has_ended, wait_until  # noqa: E402

PAUSE = 'Press a key to continue . . .'
PAUSE_JA = '続行するには何かキーを押してください . . .'
GUIDE_PICTURE = 'linux-solver-console.png'
# The demo's example model, as the preprocessor stand-in saves it: its run ends with a plastic hinge.
EXAMPLE = ('* TOLV_Pre.exe demo stand-in: analysis data, static\r\nANALYSIS,STATIC\r\n'
           'TITLE,Demo cantilever with end load\r\nLENGTH_MM,2000\r\nYOUNG_N_PER_MM2,205000\r\n'
           'INERTIA_MM4,8000000\r\nPLASTIC_MOMENT_NMM,60000000\r\nLOAD_N,40000\r\nSTEPS,10\r\n')


def session_env(work):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(('QT_', 'XDG_', 'DBUS_', 'LC_')) and k != 'LANGUAGE'}
    env.update(LANG='C.UTF-8', LC_ALL='C.UTF-8', QT_QPA_PLATFORM='xcb', QT_SCALE_FACTOR='1',
               XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix='rt-', dir=work))
    return env


def shown_lines(x, batch, pause):
    """The lines that the console window shows once it waits at PAUSE; None before."""
    texts = [t for role, _, t in x.shown('tolvbat', batch) if role == 'text' and t]
    return texts[0].split('\n') if texts and texts[0].endswith(pause) else None


def end_with_key(x, proc, window):
    """A key at the console's last PAUSE: tolvbat ends with 0 and takes its window with it."""
    x.activate(window)
    x.keys('x')
    if proc.wait(10) != 0:
        raise Failure(f'tolvbat ended with {proc.returncode} at a key after its last PAUSE')
    x.wait_gone('console', window)


def solver_picture(x, tolvbat, work, guide):
    """The guide's picture: the solver run by file name in Japanese, up to its PAUSE. (On the test's
    display: the accessibility client reads the session bus that it met first.)"""
    app = os.path.join(work, 'TOLVStrel')
    data = os.path.join(work, 'home', 'sekkei', 'analysis')
    os.makedirs(app)
    os.makedirs(data)
    solver = os.path.join(os.path.dirname(os.path.abspath(tolvbat)), 'STATIC.exe')
    if not os.path.isfile(solver):
        raise Failure(f'no solver stand-in beside {tolvbat}: --guide takes the demo folder\'s tolvbat')
    for program in (tolvbat, solver):
        shutil.copy2(program, app)
    base = os.path.join(data, 'model01')
    with open(base + '.ana', 'w', newline='') as f:
        f.write(EXAMPLE)
    # What the launcher writes for a run by file name, and how it starts it without a terminal.
    with open(os.path.join(app, 'run.dat'), 'wb') as f:
        f.write(''.join(f'{base}{s}\r\n' for s in ('.dat', '.ana', '.out', '.fem', '.ind.in')).encode())
    batch = os.path.join(app, 'solver.bat')
    with open(batch, 'wb') as f:
        f.write(b'STATIC.exe\r\nPAUSE\r\n')
    japanese = {'LANG': 'ja_JP.UTF-8', 'LC_ALL': 'ja_JP.UTF-8'}
    proc = x.start([os.path.join(app, 'tolvbat'), '--window', batch], app, 'tolvbat-guide.log', japanese)
    window = x.wait_window('console', '^' + ere_escape(batch) + '$')
    lines = wait_until('the Japanese PAUSE line', lambda: shown_lines(x, batch, PAUSE_JA), timeout=30)
    # The solver's own lines from its banner to its end, then the PAUSE prompt; no line of tolvbat.
    ending = [f'Wrote {base}{s}' for s in ('.out', '.fem', '.ind.in')] + ['Done.', PAUSE_JA]
    if (lines[0] != 'STATIC.exe - static analysis solver (demo stand-in)'
            or lines[2] != f'Analysis data: {base}.ana' or not lines[-6].startswith('Plastic hinge')
            or lines[-5:] != ending):
        raise Failure(f'console shows {lines!r}, expected a whole solver run and {PAUSE_JA!r}')
    x.window_shot(window, os.path.join(guide, GUIDE_PICTURE))
    end_with_key(x, proc, window)


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
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('tolvbat', help="tolvbat's path")
    parser.add_argument('--guide', help="folder for the user guide's picture of the console")
    args = parser.parse_args()
    tolvbat = os.path.abspath(args.tolvbat)  # started in other folders
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
        if args.guide:
            solver_picture(x, tolvbat, os.path.join(work, 'guide'), args.guide)
        proc = x.start([tolvbat, '--window', batch], folder, 'tolvbat.log')
        window = x.wait_window('console', '^' + ere_escape(batch) + '$')

        lines = wait_until('the PAUSE line', lambda: shown_lines(x, batch, PAUSE), timeout=15)
        expected = ['solver output', 'tolvbat: /bin/sh ended with exit status 2', PAUSE]
        if lines != expected:
            raise Failure(f'console shows {lines!r}, expected {expected!r}')
        x.screenshot(os.path.join(work, 'console.png'))
        if proc.poll() is not None:
            raise Failure('tolvbat ended before the key was pressed')
        end_with_key(x, proc, window)
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

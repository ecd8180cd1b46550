#!/usr/bin/env python3
"""The Windows installer under Wine, as a user without administrator rights would run it.

Runs the NSIS installer silently (/S) in the Wine prefix (WINEPREFIX), checks the application
folder under %LOCALAPPDATA%\\Programs\\TOLVStrel, the Start-menu shortcut (its working folder is
the application folder) and the per-user uninstall entry; starts the installed launcher through the
shortcut on an X display and ends it with its End button; then, with a run.dat and a solver.bat in
the folder as the launcher leaves them, runs the uninstaller silently and checks that it removed
what it installed and kept those two files.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walk import MAIN_TITLE, form_centres  # noqa: E402
from xsession import Failure, XSession, ere_escape, wait_until  # noqa: E402

INSTALLED = ('TOLVStrel.exe', 'Qt6Core.dll', 'Qt6Gui.dll', 'Qt6Widgets.dll', 'libstdc++-6.dll',
             'libgcc_s_seh-1.dll', 'libwinpthread-1.dll', 'platforms/qwindows.dll',
             'imageformats/qjpeg.dll', 'imageformats/qico.dll', 'styles/qwindowsvistastyle.dll',
             'Uninstall.exe')
UNINSTALL_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TOLVStrel'


def wine(x, *args, timeout=120):
    done = subprocess.run(['wine', *args], env=x.env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=timeout)
    return done.returncode, done.stdout.decode('utf-8', errors='replace')


def unix_path(x, windows):
    return subprocess.run(['winepath', '-u', windows], env=x.env, capture_output=True,
                          timeout=30).stdout.decode().strip()


def expect(what, condition, detail=''):
    if not condition:
        raise Failure(f"{what} {detail}".strip())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--installer', required=True)
    parser.add_argument('--source', required=True)
    parser.add_argument('--shots', default=os.path.join(tempfile.gettempdir(), 'tolvstrel-wine-shots'))
    args = parser.parse_args()
    os.makedirs(args.shots, exist_ok=True)

    work = tempfile.mkdtemp(prefix='tolv-wine-install-')
    x = XSession(work, width=1024, height=768)
    env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'XDG_', 'DBUS_'))}
    env.update(LANG='ja_JP.UTF-8', LC_ALL='ja_JP.UTF-8', WINEDEBUG='-all')
    failed = True
    try:
        x.open(env)
        _, out = wine(x, 'cmd', '/c', 'echo %LOCALAPPDATA%^|%APPDATA%')
        local, roaming = out.strip().split('|')
        folder_win = local + r'\Programs\TOLVStrel'
        folder = unix_path(x, folder_win)
        link_win = roaming + r'\Microsoft\Windows\Start Menu\Programs\TOLVStrel\TOLVStrel.lnk'
        link = unix_path(x, link_win)

        code, _ = wine(x, os.path.abspath(args.installer), '/S')
        expect("installer exit code 0", code == 0, f"(got {code})")
        wait_until("the installed files", lambda: os.path.exists(os.path.join(folder, 'Uninstall.exe')), 30)
        for name in INSTALLED:
            expect(f"installed {name}", os.path.isfile(os.path.join(folder, name)), f"in {folder}")
        expect("the Start-menu shortcut", os.path.isfile(link), link)
        with open(link, 'rb') as f:
            shortcut = f.read()
        # The working folder is stored as text in the shortcut, ANSI or UTF-16.
        expect("shortcut's working folder is the application folder",
               folder_win.encode('utf-16-le') in shortcut or folder_win.encode('cp932') in shortcut)
        code, out = wine(x, 'reg', 'query', UNINSTALL_KEY, '/v', 'UninstallString')
        expect("per-user uninstall entry", code == 0 and 'Uninstall.exe' in out, out)

        # The installed launcher, through its shortcut; End ends it.
        x.start(['wine', 'start', '/wait', link_win], work, 'launcher.log')
        main_window = x.wait_window('installed launcher', '^' + ere_escape(MAIN_TITLE) + '$', timeout=60)
        time.sleep(1)
        x.screenshot(os.path.join(args.shots, 'wine-installed-launcher.png'))
        centres = form_centres(os.path.join(args.source, 'ui', 'main', 'Main.ui'))
        x.click(main_window, *centres['cmd_End'])
        x.wait_gone('installed launcher', main_window, timeout=20)

        # What the launcher writes into its folder stays when it is uninstalled.
        with open(os.path.join(folder, 'run.dat'), 'wb') as f:
            f.write('C:\\解析 データ\\m.dat\r\n'.encode('cp932'))
        with open(os.path.join(folder, 'solver.bat'), 'wb') as f:
            f.write(b'STATIC.exe\r\nPAUSE\r\n')
        code, _ = wine(x, folder_win + r'\Uninstall.exe', '/S', '_?=' + folder_win)
        expect("uninstaller exit code 0", code == 0, f"(got {code})")
        left = sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, files in os.walk(folder)
                      for f in files)
        # Run from its folder (_?=), the uninstaller cannot delete itself.
        left = [f for f in left if f != 'Uninstall.exe']
        expect("only run.dat and solver.bat left", left == ['run.dat', 'solver.bat'], str(left))
        expect("shortcut removed", not os.path.exists(link))
        code, _ = wine(x, 'reg', 'query', UNINSTALL_KEY)
        expect("uninstall entry removed", code != 0)
        failed = False
        print("installer check complete", flush=True)
    except (Failure, subprocess.TimeoutExpired, OSError, ValueError) as failure:
        print(f"FAILED: {failure}", flush=True)
    finally:
        subprocess.run(['wineserver', '-k'], check=False)
        try:
            x.close()
        except Failure as failure:
            print(f"FAILED: {failure}", flush=True)
            failed = True
    if failed:
        print(f"work folder kept: {work}")
        return 1
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())

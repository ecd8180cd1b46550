#!/usr/bin/env python3
"""End-to-end walk through the Windows launcher under Wine on a real X display.

TOLVStrel.exe runs from a copy of the Windows demo application folder in a Wine prefix whose ANSI
code page is 932 (Japanese), driven with real clicks and keys on Xvfb with openbox: preprocessor;
solver by file name through the open-file dialog, with the Japanese path C:\\解析 データ\\; linked
postprocessor and solver; the messages of a missing program, of a record whose data file's name is
too long for the linked start and of a record of another code page; End, which leaves a started
program running. Wine's windows are not readable through the accessibility interface, so the walk checks
window titles, the message's text as the message box copies it, the files written (run.dat byte
for byte in CP932 with CR LF, solver.bat) and the programs started (the stand-ins log their
arguments and current folder). Japanese text cannot be
typed into Wine's windows, so it is pasted through the clipboard.

The Wine prefix (WINEPREFIX) must exist, with Qt's variables set for a real display.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walk import MAIN_TITLE, SOLVE_LIMIT, drive, SuiteLog, expect, fill, form_centres, read_bytes, texts_of  # noqa: E402
from xsession import Failure, XSession, ere_escape, wait_until  # noqa: E402

STEPS = ('start_launcher', 'preprocessor', 'solver_by_file_name', 'postprocessor_linked',
         'solver_linked', 'missing_program', 'long_name', 'damaged_record', 'end')
TIME_LIMIT = 300
# The user guide's pictures that the walk takes with --guide: shot name -> file of docs/ja/images/.
GUIDE_PICTURES = {'main': 'win-main.png', 'solver-popup': 'win-solver-popup.png',
                  'data-file-dialog': 'win-filename-chosen.png', 'solver-console': 'win-solver-console.png',
                  'message-missing-program': 'win-message-not-found.png',
                  'message-long-name': 'win-message-long-name.png',
                  'message-damaged-record': 'win-message-rundat-damaged.png'}


def windows_path(drive_c, path):
    """The C: form of a path below the prefix's drive_c."""
    return 'C:\\' + os.path.relpath(path, drive_c).replace('/', '\\')


class WineWalk:
    def __init__(self, args):
        self.args = args
        self.prefix = os.environ['WINEPREFIX']
        self.drive_c = os.path.join(self.prefix, 'drive_c')
        self.work = tempfile.mkdtemp(prefix='tolv-wine-e2e-')
        self.app = os.path.join(self.drive_c, *args.app.split('\\'))
        self.app_win = windows_path(self.drive_c, self.app)
        self.data = os.path.join(self.drive_c, *args.data.split('\\'))
        self.data_win = windows_path(self.drive_c, self.data)
        self.start_dir = os.path.join(self.drive_c, 'start')
        self.shots = args.shots
        self.log = SuiteLog(os.path.join(self.drive_c, 'suite.log'))
        self.texts = texts_of(os.path.join(args.source, 'core', 'Texts.h'),
                              [os.path.join(args.source, 'ui', f.lower(), f + '.ui') for f in ('Main', 'Filename')])
        self.x = XSession(self.work, width=1024, height=768)
        self.launcher = None
        self.main = None

    def note(self, text):
        print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)

    def shot(self, name, window=None):
        path = self.x.screenshot(os.path.join(self.shots, f'wine-{name}.png'))
        self.note(f"screenshot {path}")
        if self.args.guide and name in GUIDE_PICTURES:
            self.note("picture " + self.x.window_shot(window or self.main,
                                                      os.path.join(self.args.guide, GUIDE_PICTURES[name])))

    def centres(self, form):
        return form_centres(os.path.join(self.args.source, 'ui', form.lower(), f'{form}.ui'))

    # ---- set-up ---------------------------------------------------------------------------------

    def prepare(self):
        for d in (self.app, self.data, self.start_dir):
            shutil.rmtree(d, ignore_errors=True)
        shutil.copytree(self.args.demo, self.app)
        for stale in ('run.dat', 'solver.bat'):
            if os.path.exists(os.path.join(self.app, stale)):
                os.remove(os.path.join(self.app, stale))
        for d in (self.data, self.start_dir, self.shots):
            os.makedirs(d, exist_ok=True)
        if os.path.exists(self.log.path):
            os.remove(self.log.path)
        env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'XDG_', 'DBUS_'))}
        env.update(LANG='ja_JP.UTF-8', LC_ALL='ja_JP.UTF-8', WINEDEBUG='-all',
                   TOLV_SUITE_LOG='C:\\suite.log')
        self.x.open(env)
        self.note(f"display {self.x.display}, prefix {self.prefix}")

    def paste(self, text):
        """Puts the text on the clipboard and pastes it into the focused field."""
        subprocess.run(['xclip', '-selection', 'clipboard'], input=text.encode('utf-8'), env=self.x.env,
                       check=True, timeout=10)
        time.sleep(0.3)
        # Windows' plain edit fields know no Ctrl+A.
        self.x.keys('End', 'shift+Home', 'ctrl+v')
        time.sleep(0.3)

    def copied_message(self):
        """What a message box put on the clipboard (title, text and buttons between rules), or None."""
        done = subprocess.run(['xclip', '-o', '-selection', 'clipboard'], env=self.x.env, capture_output=True,
                              timeout=10)
        text = done.stdout.decode('utf-8', errors='replace') if done.returncode == 0 else ''
        return text if text.startswith('---') and text.count('\n') >= 4 else None

    def starts(self, mark):
        return [(e['program'], e['args'], e['cwd']) for e in self.log.starts_since(mark)]

    def cwd(self, windows_folder):
        """A current folder as Qt reports it: forward slashes."""
        return windows_folder.replace('\\', '/')

    # ---- steps ----------------------------------------------------------------------------------

    def start_launcher(self):
        self.launcher = self.x.start(['wine', os.path.join(self.app, 'TOLVStrel.exe')], self.start_dir,
                                     'launcher.log')
        self.main = self.x.wait_window('main', '^' + ere_escape(MAIN_TITLE) + '$', timeout=60)
        time.sleep(1)
        self.shot('main')

    def press(self, name):
        self.x.click(self.main, *self.centres('Main')[name])

    def choose(self, button, position, shot=None):
        """Opens a tool button's popup with a click and chooses its n-th working item by keys."""
        self.press(button)
        time.sleep(0.8)
        self.x.keys(*(['Down'] * position))
        if shot:
            self.shot(shot)
        self.x.keys('Return')
        time.sleep(0.5)

    def preprocessor(self):
        mark = len(self.log.events())
        self.press('cmd_Pre')
        started = self.log.wait('TOLV_Pre.exe', 'start', timeout=30)
        expect("preprocessor arguments", started['args'], [])
        expect("preprocessor directory", started['cwd'], self.cwd(windows_path(self.drive_c, self.start_dir)))
        save = self.x.wait_window('save dialog of the preprocessor', '^' + ere_escape('Save analysis'),
                                  timeout=30)
        self.x.activate(save)
        self.shot('pre-save-dialog')
        base = self.data_win + '\\model01'
        self.paste(base + '.ana')
        self.x.keys('Return')
        saved = self.log.wait('TOLV_Pre.exe', 'saved', timeout=20)
        expect("saved base", saved['base'], base)
        expect("analysis-type file", read_bytes(os.path.join(self.data, 'model01.bat')),
               f'"{self.app_win}\\STATIC.exe" "{base}.ana"\r\nPAUSE\r\n'.encode('cp932'))
        pre = self.x.wait_window('preprocessor', r'^TOLV_Pre\.exe')
        self.x.activate(pre)
        self.x.keys('alt+c')
        self.x.wait_gone('preprocessor', pre)
        expect("programs started", [p for p, _, _ in self.starts(mark)], ['TOLV_Pre.exe'])

    def name_file(self, button, path, popup_shot=None, browse_shot=None):
        """Opens the data-file dialog from `button`'s popup and names `path` in the open-file dialog,
        as a user does (pasted: Japanese cannot be typed into Wine's windows). Gives the data-file
        dialog's window and its controls' centres."""
        self.choose(button, 2, shot=popup_shot)
        dialog = self.x.wait_window('data-file dialog', '^' + ere_escape(self.texts['Filename.title']) + '$')
        centres = self.centres('Filename')
        self.x.click(dialog, *centres['cmd_Ref'])
        browse = self.x.wait_window('open-file dialog', '^' + ere_escape(self.texts['BrowseTitle']) + '$')
        self.x.activate(browse)
        time.sleep(0.5)
        if browse_shot:
            self.shot(browse_shot)
        self.paste(path)
        self.x.keys('Return')
        self.x.wait_gone('open-file dialog', browse)
        return dialog, centres

    def solver_by_file_name(self):
        base = self.data_win + '\\model01'
        mark = len(self.log.events())
        dialog, centres = self.name_file('cmd_Solver', base + '.ana', 'solver-popup', 'open-file-dialog')
        self.shot('data-file-dialog', dialog)
        self.x.click(dialog, *centres['cmd_Run'])
        done = self.log.wait('STATIC.exe', 'done', timeout=60)
        expect("analysis the solver ran", done['ana'], base + '.ana')
        took = self.log.took(done)
        self.note(f"the solver took {took:.2f} s for the example")
        if took > SOLVE_LIMIT:
            raise Failure(f"the solver took {took:.1f} s for the example, at most {SOLVE_LIMIT} s")
        expect("solver.bat", read_bytes(os.path.join(self.app, 'solver.bat')), b'STATIC.exe\r\nPAUSE\r\n')
        record = ''.join(f'{base}{s}\r\n' for s in ('.dat', '.ana', '.out', '.fem', '.ind.in'))
        expect("run.dat", read_bytes(os.path.join(self.app, 'run.dat')), record.encode('cp932'))
        # cmd.exe runs solver.bat in the application folder; the solver is found there.
        expect("programs started", self.starts(mark), [('STATIC.exe', [], self.cwd(self.app_win))])
        self.shot('solver-console', int(self.x.run(['xdotool', 'getactivewindow']).strip()))
        for suffix in ('.out', '.fem', '.ind.in'):
            if not os.path.isfile(os.path.join(self.data, 'model01' + suffix)):
                raise Failure(f"the solver did not write model01{suffix}")
        self.x.activate(dialog)
        self.x.click(dialog, *centres['cmd_OK'])
        self.x.wait_gone('data-file dialog', dialog)

    def postprocessor_linked(self):
        ind_in = self.data_win + '\\model01.ind.in'
        mark = len(self.log.events())
        self.choose('cmd_Post', 1)
        shown = self.log.wait('TOLV_Post.exe', 'shown', timeout=30)
        expect("file the postprocessor read", (shown['path'], shown['read']), (ind_in, True))
        self.x.wait_window('postprocessor', r'^TOLV_Post\.exe')
        self.shot('postprocessor')
        # The path with its blank arrives unquoted, as two arguments, in the application folder.
        expect("programs started", self.starts(mark),
               [('TOLV_Post.exe', ind_in.split(' '), self.cwd(self.app_win))])
        # It stays open: End must leave it running.

    def solver_linked(self):
        base = self.data_win + '\\model01'
        for suffix in ('.out', '.fem', '.ind.in'):
            os.remove(os.path.join(self.data, 'model01' + suffix))
        before = read_bytes(os.path.join(self.app, 'run.dat'))
        mark = len(self.log.events())
        self.choose('cmd_Solver', 1)
        done = self.log.wait('STATIC.exe', 'done', timeout=60)
        expect("analysis the solver ran", done['ana'], base + '.ana')
        expect("programs started", self.starts(mark), [('STATIC.exe', [base + '.ana'], self.cwd(self.app_win))])
        expect("run.dat after a linked run", read_bytes(os.path.join(self.app, 'run.dat')), before)

    def message(self, title, first_line, shot):
        """Reads the message box that has the title: its first line must be first_line. Closes it."""
        box = self.x.wait_window('message box', '^' + ere_escape(title) + '$')
        self.x.activate(box)
        self.shot(shot, box)
        # Wine's windows are not readable through the accessibility interface; a message box copies
        # its title and text to the clipboard on Ctrl+C.
        self.x.keys('ctrl+c')
        copied = wait_until("the message box's text on the clipboard", self.copied_message)
        lines = [line for line in copied.replace('\r\n', '\n').split('\n') if line and not line.startswith('---')]
        self.note(f"message box: {lines[:2]}")
        expect("message box title and first line", lines[:2], [title, first_line])
        self.x.keys('Return')
        self.x.wait_gone('message box', box)
        time.sleep(1)

    def missing_program(self):
        os.rename(os.path.join(self.app, 'TOLV_Pre.exe'), os.path.join(self.app, 'TOLV_Pre.exe.away'))
        mark = len(self.log.events())
        self.press('cmd_Pre')
        path = self.app_win + '\\TOLV_Pre.exe'
        self.message(self.texts['MessageTitle'], fill(self.texts['notFound'], self.texts['ToolPre'], path),
                     'message-missing-program')
        expect("programs started", self.starts(mark), [])

    def linked_solver_told(self, record, title, first_line, shot):
        """The linked solver start on the record (bytes of run.dat) tells first_line and starts nothing."""
        with open(os.path.join(self.app, 'run.dat'), 'wb') as f:
            f.write(record)
        mark = len(self.log.events())
        self.choose('cmd_Solver', 1)
        self.message(title, first_line, shot)
        expect("programs started", self.starts(mark), [])

    def long_name(self):
        base = self.data_win + '\\kyoryo_model_2024'
        record = ''.join(f'{base}{s}\r\n' for s in ('.dat', '.ana', '.out', '.fem', '.ind.in'))
        first = fill(self.texts['longName'], 'kyoryo_model_2024.ana').split('\r\n')[0]
        # The application's own title, not the file messages' one.
        self.linked_solver_told(record.encode('cp932'), 'TOLVStrel', first, 'message-long-name')

    def damaged_record(self):
        # A record written on a machine of another code page: 0x81 0x30 is no character of CP932.
        base = self.data_win + '\\model01'
        record = ''.join(f'{base}{s}\r\n' for s in ('.dat', '.ana', '.out', '.fem', '.ind.in'))
        record = record.encode('cp932').replace(b'model01.ana', b'model\x8101.ana')
        run_dat = self.app_win + '\\run.dat'
        first = fill(self.texts['cannotRead'], run_dat, '').split('\r\n')[0]
        self.linked_solver_told(record, self.texts['MessageTitle'], first, 'message-damaged-record')

    def end(self):
        post = self.x.windows(r'^TOLV_Post\.exe')
        if not post:
            raise Failure("the postprocessor is not open before End")
        self.press('cmd_End')
        try:
            code = self.launcher.wait(20)
        except subprocess.TimeoutExpired:
            raise Failure("the launcher did not end after End")
        expect("launcher exit code", code, 0)
        time.sleep(1)
        expect("postprocessor still open after End", self.x.windows(r'^TOLV_Post\.exe'), post)
        self.shot('after-end')

    def run(self):
        self.prepare()
        for name in self.args.steps.split(','):
            self.note(name)
            getattr(self, name)()
        self.note("walk complete")


def arguments(description):
    """The walk's command line, for this walk and the ones built on it."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--demo', required=True, help='the Windows demo application folder to copy')
    parser.add_argument('--source', required=True, help='the source tree (forms and texts)')
    parser.add_argument('--steps', default=','.join(STEPS), help='the steps to take, in order')
    parser.add_argument('--shots', default=os.path.join(tempfile.gettempdir(), 'tolvstrel-wine-shots'),
                        help='folder for the screenshots')
    parser.add_argument('--guide', help="folder for the user guide's pictures of the windows")
    parser.add_argument('--app', default='TOLVStrel-demo', help='the application folder, below C:\\')
    parser.add_argument('--data', default='解析 データ', help="the analysis's folder, below C:\\")
    return parser


def main():
    args = arguments(__doc__.splitlines()[0]).parse_args()

    suite_log = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'suite.log')
    return drive(lambda: WineWalk(args), TIME_LIMIT, ['launcher.log', suite_log],
                 after=lambda: subprocess.run(['wineserver', '-k'], check=False))


if __name__ == '__main__':
    sys.exit(main())

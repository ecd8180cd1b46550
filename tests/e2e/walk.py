#!/usr/bin/env python3
"""End-to-end walk through the launcher on a real X display.

The real launcher runs from a copy of the demo application folder, whose stand-ins record every
start (arguments, current directory) in a log. A user's walk is driven with real clicks and keys:
preprocessor; solver popup -> file name -> dialog -> browse with the real open-file dialog -> Run;
postprocessor popup -> run; solver popup -> run from the record; a missing program's message; End.
The test checks the files written (run.dat and solver.bat byte for byte, the analysis files) and
the programs started, with which arguments, in which directory. Screenshots of the windows are
kept in the folder given by --shots.
"""

import argparse
import json
import os
import re
import shutil
import signal
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
from datetime import datetime

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import Failure, XSession, ere_escape, wait_until  # noqa: E402

MAIN_TITLE = 'TOLV/Strel -Main'
APP_NAME = 'TOLVStrel'  # also the title that the launcher's popup windows carry
STEPS = ('start_launcher', 'preprocessor', 'solver_by_file_name', 'postprocessor_linked', 'solver_linked',
         'nothing_asked_for', 'missing_program', 'end')
TIME_LIMIT = 240  # seconds for the whole walk; CTest's own limit is above it
# The user guide's pictures that the walk takes with --guide: shot name -> file of docs/ja/images/.
GUIDE_PICTURES = {'open-file-dialog': 'linux-open-file-dialog.png', 'data-file-dialog': 'linux-filename-chosen.png'}


def texts_of(texts_header, forms):
    """The launcher's user-visible texts, by name: the constants and message templates ("%1" ...)
    of core/Texts.h, and each form's window title and button captions (FormName.title,
    FormName.cmd_X)."""
    with open(texts_header, encoding='utf-8') as f:
        source = f.read()
    found = {}
    unescape = lambda literal: literal.encode('utf-8').decode('unicode_escape').encode('latin-1').decode('utf-8')
    for name, literal in re.findall(r'inline const QString (\w+) = QStringLiteral\("((?:[^"\\]|\\.)*)"\);',
                                    source):
        found[name] = unescape(literal)
    for name, body in re.findall(r'inline QString (\w+)\([^)]*\)\s*\{\s*return (QStringLiteral\(.*?\))\s*\.arg',
                                 source, re.S):
        found[name] = ''.join(unescape(lit) for lit in re.findall(r'"((?:[^"\\]|\\.)*)"', body))
    for ui_file in forms:
        form = ET.parse(ui_file).getroot().find('widget')
        prefix = form.get('name')
        for prop in form.findall('property'):
            if prop.get('name') == 'windowTitle':
                found[prefix + '.title'] = prop.find('string').text
        for widget in form.iter('widget'):
            for prop in widget.findall('property'):
                if prop.get('name') == 'text' and widget.get('class') == 'QPushButton':
                    found[prefix + '.' + widget.get('name')] = prop.find('string').text
    return found


def fill(template, *values):
    """A message template of core/Texts.h filled as QString::arg fills it."""
    return re.sub(r'%(\d)', lambda m: values[int(m.group(1)) - 1], template)


def form_centres(ui_file):
    """Centre of every widget of a Qt Designer form, relative to the form's client area."""
    centres = {}

    def walk(node, ox, oy):
        for child in node.findall('widget'):
            rect = child.find("property[@name='geometry']/rect")
            x = y = 0
            if rect is not None:
                x, y, w, h = (int(rect.find(k).text) for k in ('x', 'y', 'width', 'height'))
                centres[child.get('name')] = (ox + x + w // 2, oy + y + h // 2)
            walk(child, ox + x, oy + y)

    form = ET.parse(ui_file).getroot().find('widget')
    walk(form, 0, 0)
    return centres


# The most seconds the solver stand-in may take for the example analysis, from its start.
SOLVE_LIMIT = 2


class SuiteLog:
    """The JSON lines that the stand-ins (and the recording terminal) append."""

    def __init__(self, path):
        self.path = path
        self.seen = 0  # events before this index have been checked already

    def events(self):
        if not os.path.exists(self.path):
            return []
        with open(self.path, encoding='utf-8') as f:
            return [json.loads(line) for line in f if line.strip()]

    def wait(self, program, event, timeout=20):
        """The next event of that kind after the ones already checked."""
        def find():
            for i, e in enumerate(self.events()[self.seen:], self.seen):
                if e['program'] == program and e['event'] == event:
                    return i, e
            return None
        index, found = wait_until(f"{program} to report '{event}'", find, timeout=timeout)
        self.seen = index + 1
        return found

    def took(self, done):
        """Seconds from the start of the program that reported `done` to that report."""
        start = next(e for e in self.events() if e['pid'] == done['pid'] and e['event'] == 'start')
        return (datetime.fromisoformat(done['time'].rstrip('Z'))
                - datetime.fromisoformat(start['time'].rstrip('Z'))).total_seconds()

    def starts_since(self, index):
        return [e for e in self.events()[index:] if e['event'] == 'start']


def expect(what, got, wanted):
    if got != wanted:
        raise Failure(f"{what}: got {got!r}, expected {wanted!r}")


def read_bytes(path):
    with open(path, 'rb') as f:
        return f.read()


class Walk:
    def __init__(self, args):
        self.args = args
        self.work = tempfile.mkdtemp(prefix='tolv-e2e-')
        self.tree = os.path.join(self.work, 'tree')
        self.app = os.path.normpath(os.path.join(self.tree, args.app_subdir))
        # A blank in the analysis's folder on purpose; the launcher starts elsewhere unless told.
        self.data = os.path.join(self.work, args.data or 'my data')
        self.start_dir = os.path.join(self.work, args.start or 'start')
        self.home = os.path.join(self.work, 'home')
        self.shots = args.shots
        self.log = SuiteLog(os.path.join(self.work, 'suite.log'))
        self.texts = texts_of(os.path.join(args.source, 'core', 'Texts.h'),
                              [os.path.join(args.source, 'ui', f.lower(), f + '.ui') for f in ('Main', 'Filename')])
        self.x = XSession(self.work)
        self.launcher = None
        self.main = None

    def centres(self, form):
        return form_centres(os.path.join(self.args.source, 'ui', form.lower(), f'{form}.ui'))

    def note(self, text):
        print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)

    def shot(self, name, window=None):
        path = self.x.screenshot(os.path.join(self.shots, f'{name}.png'))
        self.note(f"screenshot {path}")
        if self.args.guide and name in GUIDE_PICTURES:
            self.note("picture " + self.x.window_shot(window or self.main,
                                                      os.path.join(self.args.guide, GUIDE_PICTURES[name])))

    # ---- set-up ---------------------------------------------------------------------------------

    def prepare(self):
        shutil.copytree(self.args.demo, self.tree, symlinks=True)
        for stale in ('run.dat', 'solver.bat'):
            if os.path.exists(os.path.join(self.app, stale)):
                os.remove(os.path.join(self.app, stale))
        for d in (self.start_dir, self.data, self.home, self.shots):
            os.makedirs(d, exist_ok=True)
        fakebin = os.path.join(self.work, 'fakebin')
        shutil.copytree(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'fakebin'), fakebin)
        # The user's choice of terminal, as Debian's alternatives record it: a link to xterm.
        os.symlink('xterm', os.path.join(fakebin, 'x-terminal-emulator'))
        runtime = os.path.join(self.work, 'runtime')
        os.makedirs(runtime, mode=0o700)
        env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'XDG_', 'DBUS_'))}
        env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(self.home, '.config'),
                   LANG=self.args.locale, LC_ALL=self.args.locale, QT_QPA_PLATFORM='xcb', QT_SCALE_FACTOR='1',
                   TOLV_SUITE_LOG=self.log.path, PATH=fakebin + os.pathsep + os.environ.get('PATH', ''))
        self.x.open(env)
        self.note(f"display {self.x.display}, work folder {self.work}")

    # ---- steps ----------------------------------------------------------------------------------

    def start_launcher(self):
        launcher = os.path.join(self.tree, self.args.launcher)
        self.launcher = self.x.start([launcher], self.start_dir, 'launcher.log')
        self.main = self.x.wait_window('main', '^' + ere_escape(MAIN_TITLE) + '$')
        expect("main window title", self.x.title(self.main), MAIN_TITLE)
        self.shot('main')
        t = self.texts
        buttons = [name for role, name, _ in self.x.shown(APP_NAME, MAIN_TITLE) if role == 'push button']
        for text in (t['ToolPre'], t['ToolSolver'], t['ToolPost'], t['Main.cmd_End']):
            if text not in buttons:
                raise Failure(f"no button {text!r} in the main window: {buttons}")

    def press(self, name):
        self.x.click(self.main, *self.centres('Main')[name])

    def choose(self, button, position, shot=None):
        """Opens a tool button's popup with a click and chooses its n-th working item by keys;
        position 0 closes it with Escape instead."""
        before = set(self.x.windows(''))
        self.press(button)
        # A popup's title is not searchable by name; it is the new visible window with the app's name.
        popup = wait_until("the popup menu", lambda: next(
                (w for w in set(self.x.windows('')) - before if self.x.title(w) == APP_NAME), None))
        self.x.keys(*(['Down'] * position))
        if shot:
            self.shot(shot)
        self.x.keys('Return' if position else 'Escape')
        self.x.wait_gone('popup menu', popup)

    def preprocessor(self):
        mark = len(self.log.events())
        self.press('cmd_Pre')
        started = self.log.wait('TOLV_Pre.exe', 'start')
        expect("preprocessor arguments", started['args'], [])
        expect("preprocessor directory", started['cwd'], self.start_dir)
        save = self.x.wait_window('save dialog of the preprocessor', r'^Save analysis')
        self.x.activate(save)
        self.shot('pre-save-dialog')
        self.x.keys('ctrl+a')
        self.x.type_text(os.path.join(self.data, 'model01.ana'))
        self.x.keys('Return')
        saved = self.log.wait('TOLV_Pre.exe', 'saved')
        base = os.path.join(self.data, 'model01')
        expect("saved base", saved['base'], base)
        for suffix in ('.dat', '.ana', '.bat'):
            if not os.path.isfile(base + suffix):
                raise Failure(f"the preprocessor did not write {base + suffix}")
        expect("analysis-type file", read_bytes(base + '.bat'),
               f'"{self.app}/STATIC.exe" "{base}.ana"\r\nPAUSE\r\n'.encode())
        pre = self.x.wait_window('preprocessor', r'^TOLV_Pre\.exe')
        self.x.activate(pre)
        self.x.keys('alt+c')
        self.x.wait_gone('preprocessor', pre)
        expect("programs started", [e['program'] for e in self.log.starts_since(mark)], ['TOLV_Pre.exe'])

    def solver_by_file_name(self):
        base = os.path.join(self.data, 'model01')
        mark = len(self.log.events())
        self.choose('cmd_Solver', 2, shot='solver-popup')
        dialog = self.x.wait_window('data-file dialog', '^' + ere_escape('TOLV/Strel - '))
        expect("dialog title", self.x.title(dialog), self.texts['Filename.title'])
        centres = self.centres('Filename')
        self.x.click(dialog, *centres['cmd_Ref'])
        browse = self.x.wait_window('open-file dialog', '^' + ere_escape('TOLV/Strel-'))
        expect("open-file dialog title", self.x.title(browse), self.texts['BrowseTitle'])
        self.x.activate(browse)
        self.shot('open-file-dialog', browse)
        self.x.type_text(base + '.ana')
        self.x.keys('Return')
        self.x.wait_gone('open-file dialog', browse)
        self.shot('data-file-dialog', dialog)
        shown = self.x.shown(APP_NAME, self.texts['Filename.title'])
        if ('push button', fill(self.texts['runCaption'], self.texts['ToolSolver']), None) not in shown:
            raise Failure(f"no solver Run button in the dialog: {shown}")
        if not any(text == base + '.ana' for _, _, text in shown):
            raise Failure(f"the dialog does not show the chosen file: {shown}")
        self.x.click(dialog, *centres['cmd_Run'])
        done = self.log.wait('STATIC.exe', 'done', timeout=30)
        expect("analysis the solver ran", done['ana'], base + '.ana')
        # The record is in place before the start: the solver takes it at once and needs about a
        # second for the example.
        took = self.log.took(done)
        self.note(f"the solver took {took:.2f} s for the example")
        if took > SOLVE_LIMIT:
            raise Failure(f"the solver took {took:.1f} s for the example, at most {SOLVE_LIMIT} s")
        expect("solver.bat", read_bytes(os.path.join(self.app, 'solver.bat')), b'STATIC.exe\r\nPAUSE\r\n')
        record = ''.join(f'{base}{s}\r\n' for s in ('.dat', '.ana', '.out', '.fem', '.ind.in'))
        expect("run.dat", read_bytes(os.path.join(self.app, 'run.dat')), record.encode())
        starts = self.log.starts_since(mark)
        expect("programs started", [(e['program'], e['args'], e['cwd']) for e in starts], [
            ('xterm', ['-e', os.path.join(self.app, 'tolvbat'), os.path.join(self.app, 'solver.bat')],
             self.app),
            ('STATIC.exe', [], self.app),
        ])
        for suffix in ('.out', '.fem', '.ind.in'):
            if not os.path.isfile(base + suffix):
                raise Failure(f"the solver did not write {base + suffix}")
        self.x.click(dialog, *centres['cmd_OK'])
        self.x.wait_gone('data-file dialog', dialog)

    def postprocessor_linked(self):
        ind_in = os.path.join(self.data, 'model01.ind.in')
        mark = len(self.log.events())
        self.choose('cmd_Post', 1, shot='post-popup')
        shown = self.log.wait('TOLV_Post.exe', 'shown')
        expect("file the postprocessor read", (shown['path'], shown['read']), (ind_in, True))
        post = self.x.wait_window('postprocessor', r'^TOLV_Post\.exe')
        self.shot('postprocessor')
        starts = self.log.starts_since(mark)
        # After a solver run by file name the current directory is the application folder.
        expect("programs started", [(e['program'], e['args'], e['cwd']) for e in starts],
               [('TOLV_Post.exe', [ind_in], self.app)])
        self.x.activate(post)
        self.x.keys('alt+c')
        self.x.wait_gone('postprocessor', post)

    def solver_linked(self):
        base = os.path.join(self.data, 'model01')
        for suffix in ('.out', '.fem', '.ind.in'):
            os.remove(base + suffix)
        before = read_bytes(os.path.join(self.app, 'run.dat'))
        mark = len(self.log.events())
        self.choose('cmd_Solver', 1)
        done = self.log.wait('STATIC.exe', 'done', timeout=30)
        expect("analysis the solver ran", done['ana'], base + '.ana')
        starts = self.log.starts_since(mark)
        expect("programs started", [(e['program'], e['args'], e['cwd']) for e in starts], [
            ('xterm', ['-e', os.path.join(self.app, 'tolvbat'), base + '.bat'], self.app),
            ('STATIC.exe', [base + '.ana'], self.app),
        ])
        expect("run.dat after a linked run", read_bytes(os.path.join(self.app, 'run.dat')), before)
        for suffix in ('.out', '.fem', '.ind.in'):
            if not os.path.isfile(base + suffix):
                raise Failure(f"the solver did not write {base + suffix}")

    def nothing_asked_for(self):
        """After the linked runs: popups closed without a choice, and a run.dat cut short while the
        earlier analysis is still there to be taken, start nothing."""
        mark = len(self.log.events())
        self.choose('cmd_Solver', 0)
        self.choose('cmd_Post', 0)
        run_dat = os.path.join(self.app, 'run.dat')
        whole = read_bytes(run_dat)
        with open(run_dat, 'wb') as f:
            f.write(b''.join(whole.splitlines(keepends=True)[:3]))
        self.choose('cmd_Solver', 1)
        box = self.x.wait_window('message box', '^TOLV_Strel$')
        self.x.activate(box)
        self.shot('message-incomplete-record')
        t = self.texts
        labels = [name for role, name, _ in self.x.shown(APP_NAME, t['MessageTitle']) if role == 'label']
        told = fill(t['cannotRead'], run_dat, fill(t['recordIncomplete'], '3')).replace('\r\n', '\n')
        expect("message", [label.replace('\r\n', '\n') for label in labels], [told])
        self.x.keys('Return')
        self.x.wait_gone('message box', box)
        with open(run_dat, 'wb') as f:
            f.write(whole)
        time.sleep(0.5)
        expect("programs started", self.log.starts_since(mark), [])

    def missing_program(self):
        post_path = os.path.join(self.app, 'TOLV_Post.exe')
        os.remove(post_path)
        mark = len(self.log.events())
        self.choose('cmd_Post', 1)
        box = self.x.wait_window('message box', '^TOLV_Strel$')
        self.x.activate(box)
        self.shot('message-missing-program')
        t = self.texts
        labels = [name for role, name, _ in self.x.shown(APP_NAME, t['MessageTitle']) if role == 'label']
        expect("message", labels, [fill(t['notFound'], t['ToolPost'], post_path)])
        self.x.keys('Return')
        self.x.wait_gone('message box', box)
        time.sleep(0.5)
        expect("programs started", self.log.starts_since(mark), [])

    def end(self):
        self.press('cmd_End')
        try:
            code = self.launcher.wait(10)
        except Exception:
            raise Failure("the launcher did not end after End")
        expect("launcher exit code", code, 0)

    # ---- the whole walk -------------------------------------------------------------------------

    def run(self):
        self.prepare()
        for name in self.args.steps.split(','):
            self.note(name)
            getattr(self, name)()
        self.note("walk complete")


def arguments(description):
    """The walk's command line, for this walk and the ones built on it."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--demo', required=True, help='the demo application folder to copy')
    parser.add_argument('--app-subdir', default='.', help='the application folder inside that tree')
    parser.add_argument('--launcher', default='TOLVStrel', help="the launcher's path inside that tree")
    parser.add_argument('--source', required=True, help='the source tree (forms and texts)')
    parser.add_argument('--steps', default=','.join(STEPS), help='the steps to take, in order')
    parser.add_argument('--shots', default=os.path.join(tempfile.gettempdir(), 'tolvstrel-e2e-shots'),
                        help='folder for the screenshots')
    parser.add_argument('--guide', help="folder for the user guide's pictures of the windows")
    parser.add_argument('--locale', default='C.UTF-8', help="the launcher's locale")
    parser.add_argument('--data', help="the analysis's folder, inside the work folder")
    parser.add_argument('--start', help='the folder the launcher starts in, inside the work folder')
    return parser


def main():
    args = arguments(__doc__.splitlines()[0]).parse_args()
    return drive(lambda: Walk(args), TIME_LIMIT, ['launcher.log', 'suite.log'])


def drive(make_walk, time_limit, logs, after=None):
    """Makes and runs a walk within `time_limit` seconds, then ends every process that it started
    (`after` first, when given). Returns 0 when it passed; 1 when not, with its work folder kept and
    the `logs` in it printed."""
    def out_of_time(signum, frame):
        raise Failure(f"the walk took longer than {time_limit} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(1))
    signal.alarm(time_limit)
    walk = make_walk()
    failed = True
    try:
        walk.run()
        failed = False
    except Failure as failure:
        print(f"FAILED: {failure}", flush=True)
        try:
            walk.shot('failure')
        except Exception:
            pass
    finally:
        signal.alarm(0)
        if after:
            after()
        try:
            walk.x.close()
        except Failure as failure:
            print(f"FAILED: {failure}", flush=True)
            failed = True
    if failed:
        print(f"work folder kept: {walk.work}")
        for name in logs:
            path = os.path.join(walk.work, name)
            if os.path.exists(path):
                print(f"--- {name}\n{open(path, encoding='utf-8', errors='replace').read()}")
        return 1
    shutil.rmtree(walk.work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env python3
"""A double click on the data-file dialog's Run, on a real X display.

The launcher runs from a copy of the demo application folder, as in walk.py. The data-file dialog is
opened from each popup, the analysis chosen in the open-file dialog, and its Run button double-clicked
with real mouse clicks (xdotool): the tool starts once. Two single presses a second and a half apart
start it twice.
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walk import Walk, arguments, drive, expect  # noqa: E402
from xsession import ere_escape  # noqa: E402

TIME_LIMIT = 120


class Presses:
    """What both double-click walks (on Linux, under Wine) do the same way."""

    def write_analysis(self, batch_line):
        """model01's files in the data folder; its analysis-type file runs `batch_line`, then PAUSE."""
        base = os.path.join(self.data, 'model01')
        for suffix in ('.dat', '.ana', '.ind.in'):
            with open(base + suffix, 'wb') as f:
                f.write(b'analysis\r\n')
        with open(base + '.bat', 'wb') as f:
            f.write(batch_line + b'\r\nPAUSE\r\n')

    def press_run(self, dialog, clicks):
        """Presses the dialog's Run with a real mouse: `clicks` presses 0.1 s apart, as a double
        click gives them."""
        x, y = self.centres('Filename')['cmd_Run']
        # A tool started before may have come to the front over the dialog.
        self.x.activate(dialog)
        self.x.run(['xdotool', 'mousemove', '--window', str(dialog), str(x), str(y)])
        time.sleep(0.25)
        self.x.run(['xdotool', 'click', '--repeat', str(clicks), '--delay', '100', '1'])

    def started(self, program, mark):
        return [e for e in self.log.starts_since(mark) if e['program'] == program]


class DoubleClick(Presses, Walk):
    def prepare(self):
        super().prepare()
        base = os.path.join(self.data, 'model01')
        self.write_analysis(f'"{self.app}/STATIC.exe" "{base}.ana"'.encode())

    def tool(self, button, name, program):
        mark = len(self.log.events())
        self.choose(button, 2)
        dialog = self.x.wait_window('data-file dialog', '^' + ere_escape('TOLV/Strel - '))
        # The name comes from the open-file dialog, as a user gives it.
        self.x.click(dialog, *self.centres('Filename')['cmd_Ref'])
        browse = self.x.wait_window('open-file dialog', '^' + ere_escape('TOLV/Strel-'))
        self.x.activate(browse)
        self.x.type_text(os.path.join(self.data, name))
        self.x.keys('Return')
        self.x.wait_gone('open-file dialog', browse)
        self.x.activate(dialog)
        self.shot(f'double-click-{program}')
        self.press_run(dialog, 2)
        time.sleep(2)
        expect(f"{program} started by a double click", len(self.started(program, mark)), 1)
        self.press_run(dialog, 1)
        time.sleep(1.5)
        self.press_run(dialog, 1)
        time.sleep(2)
        expect(f"{program} started by two presses 1.5 s apart", len(self.started(program, mark)), 3)
        self.x.click(dialog, *self.centres('Filename')['cmd_OK'])
        self.x.wait_gone('data-file dialog', dialog)

    def solver(self):
        # The solver's batch file runs in the (recording) terminal.
        self.tool('cmd_Solver', 'model01.ana', 'xterm')

    def postprocessor(self):
        self.tool('cmd_Post', 'model01.ind.in', 'TOLV_Post.exe')


def main():
    args = arguments(__doc__.splitlines()[0]).parse_args()
    args.steps = 'start_launcher,solver,postprocessor,end'
    return drive(lambda: DoubleClick(args), TIME_LIMIT, ['launcher.log', 'suite.log'])


if __name__ == '__main__':
    sys.exit(main())

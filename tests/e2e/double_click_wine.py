#!/usr/bin/env python3
"""A double click on the data-file dialog's Run, with the Windows launcher under Wine.

As walk_wine.py: TOLVStrel.exe from a copy of the Windows demo folder, code page 932, real clicks on
Xvfb with openbox. The analysis is chosen in the open-file dialog (pasted: Japanese cannot be typed
into Wine's windows) and the Run button double-clicked: the solver, then the postprocessor, starts
once. Two single presses of the postprocessor's Run a second and a half apart start it twice (the
solver's second Run would find solver.bat held by the first one's console, which Wine's cmd.exe keeps
open until it ends).

The Wine prefix (WINEPREFIX) must exist, with Qt's variables set for a real display.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from double_click import Presses  # noqa: E402
from walk import drive, expect  # noqa: E402
from walk_wine import WineWalk, arguments  # noqa: E402

TIME_LIMIT = 200


class WineDoubleClick(Presses, WineWalk):
    def prepare(self):
        super().prepare()
        self.write_analysis(f'"{self.app_win}\\STATIC.exe" "{self.data_win}\\model01.ana"'.encode('cp932'))

    def tool(self, button, name, program, console=None):
        mark = len(self.log.events())
        dialog, centres = self.name_file(button, self.data_win + '\\' + name)
        self.x.activate(dialog)
        self.press_run(dialog, 2)
        time.sleep(4)
        self.shot(f'double-click-{program}')
        expect(f"{program} started by a double click", len(self.started(program, mark)), 1)
        if console:
            # Wine's cmd.exe keeps solver.bat open until its console ends, so that no second Run
            # could replace it while the first console waits at PAUSE.
            window = self.x.wait_window('solver console', console)
            self.x.activate(window)
            self.x.keys('Return')
            self.x.wait_gone('solver console', window)
        else:
            self.x.activate(dialog)
            self.press_run(dialog, 1)
            time.sleep(1.5)
            self.press_run(dialog, 1)
            time.sleep(4)
            expect(f"{program} started by two presses 1.5 s apart", len(self.started(program, mark)), 3)
        self.x.activate(dialog)
        self.x.click(dialog, *centres['cmd_OK'])
        self.x.wait_gone('data-file dialog', dialog)

    def solver(self):
        self.tool('cmd_Solver', 'model01.ana', 'STATIC.exe', console=r'cmd\.exe$')

    def postprocessor(self):
        self.tool('cmd_Post', 'model01.ind.in', 'TOLV_Post.exe')


def main():
    args = arguments(__doc__.splitlines()[0]).parse_args()
    args.steps = 'start_launcher,solver,postprocessor,end'
    suite_log = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'suite.log')
    return drive(lambda: WineDoubleClick(args), TIME_LIMIT, ['launcher.log', suite_log],
                 after=lambda: subprocess.run(['wineserver', '-k'], check=False))


if __name__ == '__main__':
    sys.exit(main())

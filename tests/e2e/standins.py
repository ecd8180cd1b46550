#!/usr/bin/env python3
"""The solver stand-in finds the current analysis whichever way the launcher starts it.

Through solver.bat it gets no argument and reads run.dat beside itself, at once: the launcher
writes run.dat before solver.bat and before the start, so the record there is the current one.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

SUITE = sys.argv.pop(1) if len(sys.argv) > 1 else 'build/suite-bin'

MODEL = ('* test\r\nANALYSIS,STATIC\r\nTITLE,t\r\nLENGTH_MM,1000\r\nYOUNG_N_PER_MM2,200000\r\n'
         'INERTIA_MM4,1e6\r\nPLASTIC_MOMENT_NMM,1e9\r\nLOAD_N,600\r\nSTEPS,2\r\n')


class SolverStandIn(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix='tolv-standins-')
        self.app = os.path.join(self.work, 'app')
        os.makedirs(self.app)
        shutil.copy2(os.path.join(SUITE, 'STATIC.exe'), self.app)
        self.log = os.path.join(self.work, 'log')
        self.bases = {}
        for name in ('old', 'new'):
            folder = os.path.join(self.work, f'{name} data')
            os.makedirs(folder)
            self.bases[name] = os.path.join(folder, 'model01')
            with open(self.bases[name] + '.ana', 'w', newline='') as f:
                f.write(MODEL)

    def tearDown(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def write_record(self, name):
        base = self.bases[name]
        with open(os.path.join(self.app, 'run.dat'), 'wb') as f:
            f.write(''.join(f'{base}{s}\r\n' for s in ('.dat', '.ana', '.out', '.fem', '.ind.in')).encode())

    def solve(self, *args, cwd=None):
        env = dict(os.environ, TOLV_SUITE_LOG=self.log, LANG='C.UTF-8')
        return subprocess.run([os.path.join(self.app, 'STATIC.exe'), *args], cwd=cwd or self.app, env=env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30)

    def done(self):
        with open(self.log) as f:
            events = [json.loads(line) for line in f]
        return [e for e in events if e['event'] == 'done']

    def test_argument_names_the_analysis(self):
        result = self.solve(self.bases['new'] + '.ana', cwd=self.work)
        self.assertEqual(result.returncode, 0, result.stderr)
        for suffix in ('.out', '.fem', '.ind.in'):
            self.assertTrue(os.path.isfile(self.bases['new'] + suffix), suffix)
        self.assertEqual(self.done()[0]['ana'], self.bases['new'] + '.ana')

    def test_takes_the_record_written_before_solver_bat_at_once(self):
        self.write_record('new')
        time.sleep(0.05)
        with open(os.path.join(self.app, 'solver.bat'), 'wb') as f:
            f.write(b'STATIC.exe\r\nPAUSE\r\n')
        started = time.monotonic()
        result = self.solve()
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertLess(time.monotonic() - started, 2)
        self.assertNotIn('older', result.stdout)
        self.assertEqual(self.done()[0]['ana'], self.bases['new'] + '.ana')

    def test_failures_are_reported(self):
        cases = {
            'no record': ([], None),
            'not an analysis file': ([self.bases['new'] + '.dat'], None),
            'missing analysis file': ([os.path.join(self.work, 'nowhere.ana')], None),
        }
        for name, (args, _) in cases.items():
            with self.subTest(name):
                result = self.solve(*args)
                self.assertEqual(result.returncode, 1)
                self.assertTrue(result.stderr.startswith('STATIC.exe: '), result.stderr)


if __name__ == '__main__':
    unittest.main(verbosity=2)

#!/usr/bin/env python3
"""tolvbat's console window under a flood of output, on a real X server (Xvfb with openbox).

Measures two batch files run with `tolvbat --window`:
  (a) `seq 1 N` then PAUSE: peak memory (RSS) of tolvbat, the time until the window waits at PAUSE
      (the command has ended and tolvbat uses no more CPU), and the time from a real key press
      (xdotool) to tolvbat's exit, which is how long PAUSE takes to answer;
  (b) `yes`, output without end: memory after 3 and after 6 seconds, and the time from Alt+F4 (through
      the window manager) to tolvbat's exit, the command ended with it.
Every wait is bounded; what does not answer in time is reported as such and killed.
Usage: bench/console_flood.py [TOLVBAT] [--lines N] [--screenshot FILE]
       (default build/bin/tolvbat and 3000000 lines; the screenshot is taken during the flood of (b))
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TICK = os.sysconf('SC_CLK_TCK')


def start_x(work):
    read, write = os.pipe()
    xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = ':' + f.readline().strip()
    env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'WAYLAND_', 'DBUS_'))}
    env.update(DISPLAY=display, LANG='C.UTF-8', QT_QPA_PLATFORM='xcb', QT_SCALE_FACTOR='1')
    wm = subprocess.Popen(['openbox', '--sm-disable'], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 30
    while b'window id' not in subprocess.run(['xprop', '-root', '_NET_SUPPORTING_WM_CHECK'], env=env,
                                             capture_output=True).stdout:
        if time.monotonic() > deadline:
            for p in (wm, xvfb):
                p.kill()
                p.wait()
            sys.exit('openbox did not start')
        time.sleep(0.1)
    return xvfb, wm, env


def xdo(env, *args):
    return subprocess.run(['xdotool', *args], env=env, capture_output=True, timeout=10).stdout.decode().split()


def rss_mib(pid, field='VmRSS'):
    try:
        with open(f'/proc/{pid}/status') as f:
            for line in f:
                if line.startswith(field + ':'):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


def cpu_ticks(pid):
    with open(f'/proc/{pid}/stat', 'rb') as f:
        fields = f.read().rsplit(b')', 1)[1].split()
    return int(fields[11]) + int(fields[12])


def running(pid):
    try:
        with open(f'/proc/{pid}/stat', 'rb') as f:
            return f.read().rsplit(b')', 1)[1].split()[0] != b'Z'
    except OSError:
        return False


def children(pid):
    found = []
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open(f'/proc/{entry}/stat', 'rb') as f:
                    if int(f.read().rsplit(b')', 1)[1].split()[1]) == pid:
                        found.append(int(entry))
            except OSError:
                pass
    return found


def wait_exit(proc, timeout, since=None):
    """Seconds from `since` (default now) until the process ended and its peak RSS in MiB, or
    (None, peak) after the timeout."""
    start = time.monotonic() if since is None else since
    while time.monotonic() - start < timeout:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            proc.returncode = os.waitstatus_to_exitcode(status)
            return time.monotonic() - start, usage.ru_maxrss / 1024
        time.sleep(0.005)
    peak = rss_mib(proc.pid, 'VmHWM')
    for pid in children(proc.pid):
        os.kill(pid, signal.SIGKILL)
    proc.kill()
    proc.wait()
    return None, peak


def window_of(env, proc, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = xdo(env, 'search', '--onlyvisible', '--pid', str(proc.pid))
        if found:
            return found[-1]
        time.sleep(0.1)
    proc.kill()
    proc.wait()
    sys.exit('the console window did not appear')


def run(tolvbat, env, batch):
    return subprocess.Popen([tolvbat, '--window', batch], env=env, cwd=os.path.dirname(batch),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def seq_then_pause(tolvbat, env, work, lines):
    batch = os.path.join(work, 'seq.bat')
    with open(batch, 'wb') as f:
        f.write(b'@echo off\r\nseq 1 %d\r\nPAUSE\r\n' % lines)
    started = time.monotonic()
    proc = run(tolvbat, env, batch)
    window = window_of(env, proc)
    # At PAUSE the command has ended and tolvbat sleeps: no child, no CPU used for half a second.
    last, quiet_since = None, None
    while time.monotonic() - started < 900:
        now = time.monotonic()
        ticks = cpu_ticks(proc.pid)
        if children(proc.pid) or ticks != last:
            last, quiet_since = ticks, now
        elif now - quiet_since >= 0.5:
            break
        time.sleep(0.05)
    else:
        wait_exit(proc, 0)
        return print('(a) no PAUSE within 900 s')
    at_pause = quiet_since - started
    hwm = rss_mib(proc.pid, 'VmHWM')
    xdo(env, 'windowactivate', '--sync', window)
    time.sleep(0.3)
    pressed = time.monotonic()
    xdo(env, 'key', '--clearmodifiers', 'x')
    answered, peak = wait_exit(proc, 30, pressed)
    print(f'(a) seq 1 {lines}, then PAUSE')
    print(f'    start to PAUSE (idle)        {at_pause:8.2f} s')
    print(f'    peak RSS                     {max(peak, hwm):8.1f} MiB')
    print('    key to exit                  ' + (f'{answered * 1000:8.0f} ms' if answered is not None
                                                 else '   no answer within 30 s'))


def yes_then_close(tolvbat, env, work, screenshot):
    batch = os.path.join(work, 'yes.bat')
    with open(batch, 'wb') as f:
        f.write(b'yes\r\n')
    proc = run(tolvbat, env, batch)
    window = window_of(env, proc)
    xdo(env, 'windowactivate', '--sync', window)
    time.sleep(3)
    at3 = rss_mib(proc.pid)
    if screenshot:
        subprocess.run(['import', '-window', 'root', screenshot], env=env, timeout=30)
    time.sleep(3)
    at6 = rss_mib(proc.pid)
    command = children(proc.pid)
    pressed = time.monotonic()
    xdo(env, 'key', '--clearmodifiers', 'alt+F4')
    closed, peak = wait_exit(proc, 20, pressed)
    print('(b) yes, closed with Alt+F4')
    print(f'    RSS after 3 s, after 6 s     {at3:8.1f} MiB, {at6:.1f} MiB')
    if closed is None:
        return print('    Alt+F4 to exit                  no answer within 20 s (killed)')
    time.sleep(0.5)
    left = [pid for pid in command if running(pid)]
    print(f'    Alt+F4 to exit               {closed * 1000:8.0f} ms')
    print(f'    command left running         {"yes" if left else "no"}')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('tolvbat', nargs='?', default=os.path.join(ROOT, 'build', 'bin', 'tolvbat'))
    parser.add_argument('--lines', type=int, default=3000000)
    parser.add_argument('--screenshot')
    args = parser.parse_args()
    args.tolvbat = os.path.abspath(args.tolvbat)
    if not os.access(args.tolvbat, os.X_OK):
        sys.exit(f'{args.tolvbat}: build first (scripts/test.sh)')
    work = tempfile.mkdtemp(prefix='tolv-flood-')
    xvfb, wm, env = start_x(work)
    try:
        print(f'{args.tolvbat}, {os.cpu_count()} cores, load {os.getloadavg()[0]:.1f}')
        seq_then_pause(args.tolvbat, env, work, args.lines)
        yes_then_close(args.tolvbat, env, work, args.screenshot)
    finally:
        for p in (wm, xvfb):
            p.terminate()
            p.wait(5)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()

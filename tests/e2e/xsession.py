"""A private X display for driving the launcher as a user does.

Starts a session bus, Xvfb (with a screen size) and the openbox window manager, gives real mouse
clicks and key presses through xdotool, reads window titles, reads what windows show through the
accessibility interface (AT-SPI), and takes screenshots. Every wait is bounded. The session makes itself a child subreaper, so that programs which the launcher starts
detached (and which would otherwise be adopted by init) stay its descendants; close() ends every
process below it.
"""

import ctypes
import os
import re
import select
import signal
import subprocess
import time

PR_SET_CHILD_SUBREAPER = 36


class Failure(Exception):
    pass


def wait_until(what, condition, timeout=10.0, interval=0.1):
    """Polls condition() until it gives something true; fails with `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def ere_escape(text):
    """Escapes text for the POSIX extended regular expressions that xdotool search takes."""
    return re.sub(r'([.^$*+?()\[\]{}|\\])', r'\\\1', text)


def _children_of(pids):
    """Every process whose parent is in pids, read from /proc."""
    found = set()
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open(f'/proc/{entry}/stat', 'rb') as f:
                stat = f.read()
        except OSError:
            continue
        # The command name may hold blanks and parentheses: the fields follow the last ')'.
        fields = stat[stat.rindex(b')') + 2:].split()
        if int(fields[1]) in pids:
            found.add(int(entry))
    return found


def descendants(root):
    tree = set()
    level = {root}
    while level:
        level = _children_of(level) - tree
        tree |= level
    return tree


class XSession:
    def __init__(self, workdir, width=1280, height=1024):
        self.workdir = workdir
        self.width = width
        self.height = height
        self.display = None
        self.env = None
        self._bus = None
        self._xvfb = None
        self._wm = None
        self.started = []  # Popen objects of the programs started through start()

    # ---- life cycle -------------------------------------------------------------------------

    def open(self, env):
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            raise Failure("cannot become a child subreaper")
        env = dict(env, DBUS_SESSION_BUS_ADDRESS=self._start_bus(), QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
        read_fd, write_fd = os.pipe()
        self._xvfb = subprocess.Popen(
            ['Xvfb', '-displayfd', str(write_fd), '-screen', '0', f'{self.width}x{self.height}x24',
             '-nolisten', 'tcp', '-noreset'],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.workdir, 'xvfb.log'), 'wb'))
        os.close(write_fd)
        number = _read_reported_line(read_fd, self._xvfb, "Xvfb", "its display", 'xvfb.log')
        self.display = ':' + number
        self.env = dict(env, DISPLAY=self.display)
        self.env.pop('WAYLAND_DISPLAY', None)
        # The accessibility client in this process talks to the same bus and display.
        os.environ.update(DISPLAY=self.display, DBUS_SESSION_BUS_ADDRESS=env['DBUS_SESSION_BUS_ADDRESS'])
        self._wm = subprocess.Popen(['openbox', '--sm-disable'], env=self.env,
                                    stdout=subprocess.DEVNULL,
                                    stderr=open(os.path.join(self.workdir, 'openbox.log'), 'wb'))
        wait_until("the window manager", self._wm_running, timeout=15)

    def end_display(self):
        """Ends the X server, as a logout or a crash does; the window manager goes with it."""
        self._xvfb.kill()
        self._xvfb.wait(5)

    def _start_bus(self):
        """A private session bus; the accessibility bus and registry are started on it on demand."""
        read_fd, write_fd = os.pipe()
        self._bus = subprocess.Popen(
            ['dbus-daemon', '--session', '--nofork', '--nopidfile', f'--print-address={write_fd}'],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.workdir, 'dbus.log'), 'wb'))
        os.close(write_fd)
        return _read_reported_line(read_fd, self._bus, "the session bus", "its address", 'dbus.log')

    def _wm_running(self):
        out = self.run(['xprop', '-root', '_NET_SUPPORTING_WM_CHECK'], check=False)
        return 'window id' in out

    def close(self):
        """Ends every process started below this one, the display last."""
        me = os.getpid()
        keep_last = {p.pid for p in (self._xvfb, self._wm, self._bus) if p}
        for sig, grace in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 3.0)):
            victims = descendants(me) - keep_last
            for pid in victims:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            self._reap(victims, grace)
        for proc in (self._wm, self._xvfb, self._bus):
            if proc and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait(5)
        self._reap(descendants(me), 1.0)
        left = [pid for pid in descendants(me) if not _is_zombie(pid)]
        if left:
            raise Failure(f"processes left running: {left}")

    @staticmethod
    def _reap(pids, grace):
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline:
            try:
                while True:
                    pid, _ = os.waitpid(-1, os.WNOHANG)
                    if pid == 0:
                        break
            except ChildProcessError:
                pass
            if all(not os.path.exists(f'/proc/{p}') or _is_zombie(p) for p in pids):
                return
            time.sleep(0.05)

    # ---- programs ---------------------------------------------------------------------------

    def start(self, argv, cwd, log_name, env=None):
        """Starts a program on the display; `env` holds the variables that differ from the session's."""
        log = open(os.path.join(self.workdir, log_name), 'wb')
        proc = subprocess.Popen(argv, cwd=cwd, env=dict(self.env, **(env or {})), stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT)
        self.started.append(proc)
        return proc

    def run(self, argv, check=True, timeout=10):
        done = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=timeout)
        if check and done.returncode != 0:
            raise Failure(f"{' '.join(argv)}: exit {done.returncode}: "
                          f"{done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode('utf-8', errors='replace')

    # ---- windows ----------------------------------------------------------------------------

    def windows(self, title_regex):
        out = self.run(['xdotool', 'search', '--onlyvisible', '--name', title_regex], check=False)
        return [int(w) for w in out.split()]

    def wait_window(self, what, title_regex, timeout=15):
        return wait_until(f"the window {what}", lambda: (self.windows(title_regex) or [None])[0],
                          timeout=timeout)

    def wait_gone(self, what, window, timeout=10):
        wait_until(f"the window {what} to close",
                   lambda: window not in self.windows(''), timeout=timeout)

    def title(self, window):
        # Empty for a window that has gone meanwhile.
        return self.run(['xdotool', 'getwindowname', str(window)], check=False).rstrip('\n')

    def geometry(self, window):
        out = self.run(['xdotool', 'getwindowgeometry', '--shell', str(window)])
        values = dict(line.split('=', 1) for line in out.split())
        return {k: int(v) for k, v in values.items() if k in ('X', 'Y', 'WIDTH', 'HEIGHT')}

    def activate(self, window):
        self.run(['xdotool', 'windowactivate', '--sync', str(window)], check=False, timeout=5)
        wait_until("the window to get the focus",
                   lambda: self.run(['xdotool', 'getactivewindow'], check=False).strip()
                   == str(window), timeout=5)

    def click(self, window, x, y, button=1):
        """A real click at (x, y) of the window's client area."""
        self.activate(window)
        # Arrive as a hand does, in more than one motion, and rest before pressing.
        self.run(['xdotool', 'mousemove', '--window', str(window), str(x - 6), str(y - 4)])
        time.sleep(0.15)
        self.run(['xdotool', 'mousemove', '--window', str(window), str(x), str(y)])
        time.sleep(0.25)
        self.run(['xdotool', 'click', str(button)])

    def keys(self, *names):
        for name in names:
            self.run(['xdotool', 'key', '--clearmodifiers', name])
            time.sleep(0.08)

    def type_text(self, text):
        self.run(['xdotool', 'type', '--delay', '15', '--clearmodifiers', text], timeout=60)

    # ---- what windows show, through the accessibility interface ---------------------------------

    def shown(self, app_name, window_name, timeout=10):
        """(role, name, text) of every element of the application's window with that name."""
        def find():
            atspi = _atspi()
            desktop = atspi.get_desktop(0)
            for app in _children(desktop):
                if _name(app) != app_name:
                    continue
                for window in _children(app):
                    if _name(window) == window_name:
                        return _elements(window)
            return None
        return wait_until(f"'{window_name}' of {app_name} to be readable", find, timeout=timeout)

    def screenshot(self, path):
        time.sleep(0.3)  # let the last repaint reach the screen
        self.run(['import', '-window', 'root', path], timeout=30)
        return path

    def window_shot(self, window, path):
        """The window with its frame as the screen shows it (a popup over it included), as a PNG."""
        # xwininfo's absolute position is the client area's; the frame lies around it.
        info = self.run(['xwininfo', '-id', str(window)])
        x, y, width, height = (int(re.search(rf'{key}:\s+(-?\d+)', info).group(1)) for key in
                               ('Absolute upper-left X', 'Absolute upper-left Y', 'Width', 'Height'))
        extents = self.run(['xprop', '-id', str(window), '_NET_FRAME_EXTENTS'], check=False)
        left, right, top, bottom = ([int(n) for n in re.findall(r'\d+', extents.split('=', 1)[1])]
                                    if '=' in extents else (0, 0, 0, 0))
        crop = f"{width + left + right}x{height + top + bottom}+{x - left}+{y - top}"
        time.sleep(0.3)
        # A palette and no time stamps: a picture changes only when what it shows changes.
        self.run(['import', '-window', 'root', '-crop', crop, '+repage', '-strip', '-colors', '256', 'PNG8:' + path],
                 timeout=30)
        return path


def has_ended(pid):
    """Whether the process has ended (a zombie that nobody has waited for yet has)."""
    return _is_zombie(pid)


def _is_zombie(pid):
    try:
        with open(f'/proc/{pid}/stat', 'rb') as f:
            stat = f.read()
        return stat[stat.rindex(b')') + 2:].split()[0] == b'Z'
    except OSError:
        return True


_ATSPI = None


def _atspi():
    global _ATSPI
    if _ATSPI is None:
        import gi
        gi.require_version('Atspi', '2.0')
        from gi.repository import Atspi
        _ATSPI = Atspi
    return _ATSPI


def _children(accessible):
    try:
        return [accessible.get_child_at_index(i) for i in range(accessible.get_child_count())]
    except Exception:  # the window went away while being read
        return []


def _name(accessible):
    try:
        return accessible.get_name()
    except Exception:
        return None


def _elements(window):
    found = []
    pending = _children(window)
    while pending:
        element = pending.pop(0)
        try:
            role = element.get_role_name()
            text = None
            iface = element.get_text_iface()
            if iface is not None:
                text = _atspi().Text.get_text(iface, 0, -1)
            found.append((role, element.get_name(), text))
        except Exception:
            continue
        pending.extend(_children(element))
    return found


def _read_reported_line(read_fd, process, who, what, log, timeout=15):
    """The one line that a starting server reports on a pipe (its display, its address), within a
    bounded wait; the pipe is closed afterwards."""
    line = b''
    deadline = time.monotonic() + timeout
    try:
        while not line.endswith(b'\n'):
            left = deadline - time.monotonic()
            if left <= 0 or process.poll() is not None:
                raise Failure(f"{who} did not start (see {log})")
            ready, _, _ = select.select([read_fd], [], [], min(left, 0.5))
            if not ready:
                continue
            chunk = os.read(read_fd, 256)
            if not chunk:
                raise Failure(f"{who} did not report {what}")
            line += chunk
    finally:
        os.close(read_fd)
    return line.decode().strip()

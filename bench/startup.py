#!/usr/bin/env python3
"""Start-up benchmark of the launcher against the toolkit's floor, under a real X server.

Measures, side by side:
  (a) time from process start to the main window shown and painted, and peak memory (RSS), for
      the launcher (its own main() with a first-paint probe) and for a plain Qt Widgets window
      with as many widgets of the same kinds and texts, in the default font, with no pictures,
      colours, style sheet or icon (the floor);
  (b) how long Exec_Program takes to return for a program that it starts;
  (c) CPU time and wake-ups of the idle launcher over ten seconds.
Builds first (scripts/setup.sh). Starts its own Xvfb when DISPLAY is not set.
Usage: bench/startup.py [RUNS]   (start-ups measured per program, default 15)
"""
import os
import platform
import re
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
BENCH = os.path.join(BUILD, "bench")


def start_xvfb():
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = f.readline().strip()
    if not display:
        xvfb.kill()
        sys.exit("Xvfb did not start")
    return xvfb, ":" + display


def probe(cmd, env, stdin=b""):
    """Runs a program with the first-paint probe: ms to painted, peak RSS in MiB, widget lines."""
    start = time.monotonic_ns()
    proc = subprocess.Popen(cmd, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    proc.stdin.write(stdin)
    proc.stdin.close()
    out = proc.stdout.read().decode()
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    painted = re.search(r"painted_ns=(\d+)", out)
    if proc.returncode != 0 or not painted:
        sys.exit(f"{cmd[0]} ended with {proc.returncode} and printed {out!r}")
    widgets = [line for line in out.splitlines() if line.startswith("widget ")]
    return (int(painted.group(1)) - start) / 1e6, usage.ru_maxrss / 1024, widgets


def cpu_and_wakeups(pid):
    """CPU nanoseconds and context switches of all threads of a process so far."""
    cpu = switches = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/schedstat") as f:
            cpu += int(f.read().split()[0])
        with open(f"/proc/{pid}/task/{task}/status") as f:
            switches += sum(int(v) for v in re.findall(r"ctxt_switches:\s+(\d+)", f.read()))
    return cpu, switches


def idle(env, seconds=10):
    launcher = subprocess.Popen([os.path.join(BUILD, "bin", "TOLVStrel")], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(launcher.pid)],
                       env=env, stdout=subprocess.DEVNULL, timeout=30, check=True)
        time.sleep(2)
        cpu0, sw0 = cpu_and_wakeups(launcher.pid)
        time.sleep(seconds)
        cpu1, sw1 = cpu_and_wakeups(launcher.pid)
        return (cpu1 - cpu0) / 1e6, sw1 - sw0
    finally:
        launcher.terminate()
        launcher.wait(10)


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem = int(f.readline().split()[1]) / 1024 / 1024
    qt = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "qt6-base-dev"], capture_output=True,
                        text=True).stdout or "?"
    return f"{model}, {os.cpu_count()} cores, {mem:.0f} GiB, Linux {platform.release()}, Qt {qt}, Xvfb"


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    subprocess.run([os.path.join(ROOT, "scripts", "setup.sh"), "--test"], check=True, stdout=subprocess.DEVNULL)
    # The benchmark's own programs are built only when asked for.
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DTOLV_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j", str(os.cpu_count() or 2), "--target", "bench_launcher",
                    "bench_floor", "bench_exec"], check=True, stdout=subprocess.DEVNULL)

    xvfb = None
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", LANG=os.environ.get("LANG", "C.UTF-8"))
    if not env.get("DISPLAY"):
        xvfb, env["DISPLAY"] = start_xvfb()
    try:
        launcher_cmd = [os.path.join(BENCH, "bench_launcher")]
        floor_cmd = [os.path.join(BENCH, "bench_floor")]
        widgets = probe(launcher_cmd, env)[2]
        window = ("\n".join(widgets) + "\n").encode()
        probe(floor_cmd, env, window)  # warm the caches of both before measuring
        launcher, floor = [], []
        for _ in range(runs):  # alternate, so that drifts of the machine hit both alike
            launcher.append(probe(launcher_cmd, env)[:2])
            floor.append(probe(floor_cmd, env, window)[:2])

        exec_out = subprocess.run([os.path.join(BENCH, "bench_exec"), "50"], env=env,
                                  capture_output=True, text=True, check=True).stdout
        exec_fields = dict(re.findall(r"(\w+)=([\d.]+)", exec_out))
        idle_ms, wakeups = idle(env)
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait(10)

    def median(rows, i):
        return statistics.median(r[i] for r in rows)

    kinds = [line.split()[1] for line in widgets]
    summary = ", ".join(f"{kinds.count(k)} {k}s" for k in sorted(set(kinds)))
    print(f"machine: {machine()}")
    print(f"main window: {summary}; medians of {runs} start-ups each")
    print(f"{'':28}{'launcher':>10}{'floor':>10}{'ratio':>8}")
    for name, i, unit in (("start to painted", 0, "ms"), ("peak RSS", 1, "MiB")):
        a, b = median(launcher, i), median(floor, i)
        print(f"{name + ' (' + unit + ')':28}{a:10.1f}{b:10.1f}{a / b:8.2f}")
    print(f"Exec_Program returns after: median {float(exec_fields['exec_median_ms']):.2f} ms, "
          f"slowest {float(exec_fields['exec_max_ms']):.2f} ms ({exec_fields['runs']} starts)")
    print(f"idle launcher over 10 s: {idle_ms:.1f} ms CPU, {wakeups} wake-ups")


if __name__ == "__main__":
    main()

#!/usr/bin/env bash
# Builds the launcher and the demo suite, then starts the launcher from the demo application folder
# build/demo/. Without a display it says how to get one; "--screenshot" instead runs it on a virtual
# display and saves a picture of its main window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ${1:-} == --screenshot ]]; then
    scripts/setup.sh --test # the virtual display and its tools
else
    scripts/setup.sh
fi

if [[ ${1:-} == --screenshot ]]; then
    shots=${2:-/tmp/tolvstrel-screenshot}
    /usr/bin/python3 tests/e2e/walk.py --demo build/demo --source . --shots "$shots" --steps start_launcher
    echo "Saved $shots/main.png"
    exit 0
fi

no_display() {
    cat >&2 <<MSG
$1
The launcher is a desktop program and needs a graphical display. The build is done; to see it:
  - run scripts/run.sh in a terminal of a desktop session (X11 or Wayland), or
  - log in with X forwarding (ssh -X) and run scripts/run.sh there, or
  - run scripts/run.sh --screenshot [FOLDER] to start it on a virtual display (Xvfb) and save a
    picture of its main window (default folder /tmp/tolvstrel-screenshot).
MSG
    exit 1
}
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    no_display "No display: neither DISPLAY nor WAYLAND_DISPLAY is set."
fi
# xdpyinfo comes with the test packages; without it the launcher reports a display it cannot open.
if [[ -z ${WAYLAND_DISPLAY:-} ]] && command -v xdpyinfo >/dev/null && ! xdpyinfo >/dev/null 2>&1; then
    no_display "The display DISPLAY=$DISPLAY cannot be opened."
fi
exec build/demo/TOLVStrel "$@"

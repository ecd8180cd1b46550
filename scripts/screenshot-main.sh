#!/usr/bin/env bash
# Starts the launcher on a virtual X display with a window manager and photographs its main
# window as it opens, with the solver popup open, and with the data-file dialog open. Also checks
# that the window carries its 32x32 icon, that the window manager cannot make it smaller than its
# design, and that End ends the launcher with both windows.
#
#   scripts/screenshot-main.sh [build dir] [output dir] [locale]
#
# Defaults: build/, <build dir>/screenshots/ and C.UTF-8. Needs xvfb, openbox, xdotool, x11-utils and
# imagemagick (scripts/deps.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/screenshots}"
locale="${3:-C.UTF-8}"
mkdir -p "$out"
program="$build/bin/TOLVStrel"
[[ -x "$program" ]] || { echo "no $program: build first" >&2; exit 1; }

pids=()
cleanup() {
    # The launcher first, the X server last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to fd 3.
exec 3< <(true)
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>"$out/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [[ -s "$displayfile" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfile")"
rm -f "$displayfile"

openbox >"$out/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# A copy of the application folder keeps the build's run.dat untouched.
appdir=$(mktemp -d)
cp "$program" "$appdir/"
QT_QPA_PLATFORM=xcb LANG="$locale" LC_ALL="$locale" "$appdir/TOLVStrel" 2>"$out/launcher.log" &
launcher=$!
pids+=($launcher)

window=$(xdotool search --sync --onlyvisible --name '^TOLV/Strel -Main$' | head -n1)
sleep 1
import -window root "$out/main.png"

# The window icon, as xprop draws it: "Icon (32 x 32):" and the picture.
icon=$(xprop -id "$window" -notype _NET_WM_ICON | head -c 200)
if [[ "$icon" != *"Icon (32 x 32)"* ]]; then
    echo "window icon missing or not 32x32: $icon" >&2
    exit 1
fi

# Press the solver button; its popup opens at the pointer.
xdotool mousemove --window "$window" 256 288 click 1
sleep 1
import -window root "$out/main-solver-popup.png"
xdotool key Escape
sleep 0.5

# The window never becomes smaller than its design.
xdotool windowsize "$window" 300 300
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
if ((WIDTH < 517 || HEIGHT < 485)); then
    echo "window shrank to ${WIDTH}x${HEIGHT}" >&2
    exit 1
fi

# Open the data-file dialog from the popup with the keyboard, then End: the launcher ends with both windows.
xdotool mousemove --window "$window" 256 288 click 1
sleep 0.5
xdotool key Down Down Return
sleep 1
import -window root "$out/main-with-dialog.png"
xdotool mousemove --window "$window" 380 440 click 1
for _ in $(seq 50); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$launcher" 2>/dev/null; then
    echo "the End button did not end the launcher" >&2
    exit 1
fi

rm -rf "$appdir"
echo "$out/main.png"
echo "$out/main-solver-popup.png"
echo "$out/main-with-dialog.png"

#!/usr/bin/env bash
# Starts the launcher on a virtual X display with a window manager and photographs its main
# window, once as it opens and once with the solver popup open. Also checks that the window
# carries its 32x32 icon.
#
#   scripts/screenshot-main.sh [build dir] [output dir]
#
# Defaults: build/ and <build dir>/screenshots/. Needs xvfb, openbox, xdotool, x11-utils and
# imagemagick (scripts/deps.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/screenshots}"
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

openbox 2>"$out/openbox.log" &
pids+=($!)
sleep 1

# A copy of the application folder keeps the build's run.dat untouched.
appdir=$(mktemp -d)
cp "$program" "$appdir/"
QT_QPA_PLATFORM=xcb LANG=ja_JP.UTF-8 "$appdir/TOLVStrel" &
pids+=($!)

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
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 256 288 click 1
sleep 1
import -window root "$out/main-solver-popup.png"
xdotool key Escape

rm -rf "$appdir"
echo "$out/main.png"
echo "$out/main-solver-popup.png"

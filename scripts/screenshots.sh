#!/usr/bin/env bash
# Takes every picture of the user guide (docs/ja/images/) again, from the builds that are there, with
# the end-to-end tests' own drivers, so that each picture comes from a walk that also checks what it
# shows:
#   linux-*.png  build/demo on Xvfb with openbox (tests/e2e/walk.py): the open-file dialog and the
#                data-file dialog with a file chosen; then tolvbat's own console window in Japanese
#                (tests/e2e/console.py), the demo's solver run ending at PAUSE
#   win-*.png    build-win/demo under Wine with code page 932 (tests/e2e/walk_wine.py), its folder
#                below C:\users\yamada: the main window, the solver popup, the data-file dialog, the
#                solver's console and three messages; then the Japanese pages of the installer and
#                the uninstaller (tests/e2e/install_wine.py), as many as they have
# A part's pictures are replaced only when its walk has passed; the earlier ones of that part are
# removed first, so that no page the installer no longer has stays behind.
#
#   scripts/screenshots.sh [--linux | --windows]
#
# Needs the Linux build (scripts/setup.sh --test) and, for --windows or both, the Windows build
# (scripts/build-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
part="${1:-all}"
case "$part" in
all | --linux | --windows) ;;
*) echo "usage: $0 [--linux | --windows]" >&2; exit 2 ;;
esac
images="$src/docs/ja/images"
work=$(mktemp -d /tmp/tolv-screenshots.XXXXXX)
python=/usr/bin/python3 # the accessibility client (python3-gi) is installed for the system's Python

# Window titles at 9 points in openbox's regular weight: its 8-point bold cuts off underscores, as that
# of TOLV_Strel. Openbox reads this from the HOME that a driver gives it.
mkdir -p "$work/home/.config/openbox"
sed 's|<weight>bold</weight>|<weight>normal</weight>|; s|<size>8</size>|<size>9</size>|' \
    /etc/xdg/openbox/rc.xml >"$work/home/.config/openbox/rc.xml"

# renew PREFIX FOLDER: the pictures PREFIX*.png of the guide become those of FOLDER.
renew() {
    local made=("$2/$1"*.png)
    [[ -e "${made[0]}" ]] || { echo "no $1*.png was taken" >&2; return 1; }
    rm -f "$images/$1"*.png
    cp "${made[@]}" "$images/"
    printf 'renewed %s\n' "${made[@]##*/}"
}

if [[ "$part" != --windows ]]; then
    [[ -x build/demo/TOLVStrel ]] || { echo "no build/demo/TOLVStrel: run scripts/setup.sh --test" >&2; exit 1; }
    mkdir -p "$work/linux"
    # In Japanese, started in the analysis's folder, so that the open-file dialog lists its files; the
    # folder's name is ASCII, since xdotool loses katakana that it types.
    "$python" tests/e2e/walk.py --demo build/demo --source . --shots "$work/shots" --guide "$work/linux" \
        --locale ja_JP.UTF-8 --data home/sekkei/analysis --start home/sekkei/analysis
    # The console's picture runs the solver stand-in that lies beside tolvbat in build/demo; its title
    # is the path of solver.bat, whose temporary folder may have an underscore in its name.
    HOME="$work/home" "$python" tests/e2e/console.py build/demo/tolvbat --guide "$work/linux"
    renew linux- "$work/linux"
fi

if [[ "$part" != --linux ]]; then
    build="$src/build-win"
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
    installer="$build/TOLVStrel-$version-win64.exe"
    [[ -n "$version" && -r "$installer" && -x "$build/demo/TOLVStrel.exe" ]] ||
        { echo "no Windows build in $build: run scripts/build-windows.sh" >&2; exit 1; }
    . scripts/wine-env.sh
    trap wine_prefix_close EXIT
    # Wine takes its ANSI code page (932) and its display language from the locale, and the name of
    # the user's folder from USER: the pictures show C:\users\yamada, not this machine's user.
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 USER=yamada
    mkdir -p "$work/windows"
    export HOME="$work/home"
    wine_prefix_open "$build/wine-shots" gui
    wineserver -k >/dev/null 2>&1 || true
    # The analysis folder's name is ASCII: Wine's console garbles the solver's Japanese output. (It also
    # gives every character a kanji's width, whatever the face: the console's picture shows that.)
    "$python" tests/e2e/walk_wine.py --demo "$build/demo" --source . --shots "$work/shots" \
        --guide "$work/windows" --app 'users\yamada\AppData\Local\Programs\TOLVStrel' \
        --data 'users\yamada\Documents\analysis'
    wine_prefix_close
    wine_prefix_open "$build/wine-shots" gui
    wineserver -k >/dev/null 2>&1 || true
    "$python" tests/e2e/install_wine.py --installer "$installer" --texts "$build/tests/wintexts.exe" \
        --source . --shots "$work/shots" --guide "$work/windows"
    renew win- "$work/windows"
fi
rm -rf "$work"

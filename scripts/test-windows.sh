#!/usr/bin/env bash
# Builds the Windows launcher and its tests (scripts/build-windows.sh), then runs under Wine, each
# in a private prefix:
#   - the unit and widget tests that apply to Windows and the Windows platform tests, once with the
#     Japanese ANSI code page 932 and once with 1252, headless (Qt's offscreen platform);
#   - with code page 932 on Xvfb and openbox: the end-to-end walk of TOLVStrel.exe from the demo
#     folder (tests/e2e/walk_wine.py), then the installer, the installed launcher and the
#     uninstaller (tests/e2e/install_wine.py).
# With --no-build it uses the build that is there. Screenshots go to $TOLV_WINE_SHOTS
# (default /tmp/tolvstrel-wine-shots).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build="${TOLV_WIN_BUILD:-$src/build-win}"
[[ "${1:-}" == --no-build ]] || scripts/build-windows.sh
# The virtual display and its tools, with the test packages (scripts/deps-test.txt).
scripts/setup.sh --test --deps-only

# Wine takes its code page from the Linux locale: 932 needs ja_JP.UTF-8 generated.
if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8'; then
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
fi

. scripts/wine-env.sh
trap wine_prefix_close EXIT
failed=0
for run in "932 ja_JP.UTF-8" "1252 C.UTF-8"; do
    read -r cp locale <<<"$run"
    echo "== Windows tests under Wine, ANSI code page $cp ($locale)"
    wine_prefix_close
    LANG=$locale LC_ALL=$locale wine_prefix_open "$build/wine-cp$cp"
    LANG=$locale LC_ALL=$locale ctest --test-dir "$build" --output-on-failure -j2 || failed=1
done

shots="${TOLV_WINE_SHOTS:-/tmp/tolvstrel-wine-shots}"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
echo "== End-to-end walk under Wine, code page 932"
wine_prefix_close
wine_prefix_open "$build/wine-walk" gui
# Wine's services start again on the walk's display, with the first program it starts.
wineserver -k >/dev/null 2>&1 || true
/usr/bin/python3 tests/e2e/walk_wine.py --demo "$build/demo" --source . --shots "$shots" || failed=1
echo "== Installer, installed launcher and uninstaller under Wine"
wine_prefix_close
wine_prefix_open "$build/wine-install" gui
wineserver -k >/dev/null 2>&1 || true
/usr/bin/python3 tests/e2e/install_wine.py --installer "$build/TOLVStrel-$version-win64.exe" --source . \
    --shots "$shots" || failed=1
if ((failed)); then
    echo "Windows tests under Wine: FAILED"
else
    echo "Windows tests under Wine: all passed"
fi
exit $failed

#!/usr/bin/env bash
# Builds the Windows launcher and its tests (scripts/build-windows.sh), then runs under Wine, in a
# private prefix: the unit and widget tests that apply to Windows and the Windows platform tests,
# once with the Japanese ANSI code page 932 and once with 1252, headless (Qt's offscreen platform).
# With --no-build it uses the build that is there.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build="${TOLV_WIN_BUILD:-$src/build-win}"
[[ "${1:-}" == --no-build ]] || scripts/build-windows.sh

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
exit $failed

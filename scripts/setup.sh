#!/usr/bin/env bash
# Installs the Debian packages that are missing and configures the build in ./build.
#   scripts/setup.sh [--test] [--windows] [--deps-only]
# scripts/deps.txt holds what building and running need; --test adds scripts/deps-test.txt and the
# Japanese locale that the tests run in; --windows what the Windows build and its tests under Wine
# need (scripts/deps-windows.txt). With --deps-only it only installs.
set -euo pipefail
cd "$(dirname "$0")/.."

lists=(scripts/deps.txt)
deps_only=false
for arg in "$@"; do
    case "$arg" in
    --test) lists+=(scripts/deps-test.txt) ;;
    --windows) lists+=(scripts/deps-windows.txt) ;;
    --deps-only) deps_only=true ;;
    *) echo "usage: $0 [--test] [--windows] [--deps-only]" >&2; exit 2 ;;
    esac
done

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"

missing=()
while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < <(cat "${lists[@]}")

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Debian's locale-gen builds the locales named in /etc/locale.gen.
if [[ " ${lists[*]} " == *deps-test.txt* ]] && ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "Generating the locale ja_JP.UTF-8"
    $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
fi

$deps_only && exit 0

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

#!/usr/bin/env bash
# Installs the Debian packages that are missing and configures the build in ./build.
# With --deps-only it only installs; with --windows it also installs what the Windows build and its
# tests under Wine need (scripts/deps-windows.txt).
set -euo pipefail
cd "$(dirname "$0")/.."

lists=(scripts/deps.txt)
deps_only=false
for arg in "$@"; do
    case "$arg" in
    --deps-only) deps_only=true ;;
    --windows) lists+=(scripts/deps-windows.txt) ;;
    *) echo "unknown option $arg" >&2; exit 2 ;;
    esac
done

missing=()
while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < <(cat "${lists[@]}")

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

$deps_only && exit 0

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

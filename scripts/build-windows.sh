#!/usr/bin/env bash
# Cross-builds the Windows launcher on Debian: installs mingw-w64, Wine and NSIS when missing,
# unpacks the prebuilt Qt for mingw, and builds in build-win/ (or $TOLV_WIN_BUILD):
#   bin/            the application folder (TOLVStrel.exe, Qt's and mingw's DLLs, plugins)
#   demo/           the same with the demo stand-ins TOLV_Pre.exe, STATIC.exe and TOLV_Post.exe
#   TOLVStrel-<version>-win64.exe   the installer (NSIS), and .zip, the application folder
# The Qt archive is ../shared/windows/qt6.4.2-mingw64.tar.xz beside the source tree, or $TOLV_QT_ARCHIVE.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build="${TOLV_WIN_BUILD:-$src/build-win}"
archive="${TOLV_QT_ARCHIVE:-$src/../shared/windows/qt6.4.2-mingw64.tar.xz}"

scripts/setup.sh --deps-only --windows

[[ -r "$archive" ]] || { echo "no Qt archive for mingw at $archive (set TOLV_QT_ARCHIVE)" >&2; exit 1; }
qt="$build/qt-mingw"
sum=$(sha256sum "$archive" | cut -d' ' -f1)
if [[ -r "$archive.sha256" ]] && [[ "$(cut -d' ' -f1 "$archive.sha256")" != "$sum" ]]; then
    echo "$archive does not match its checksum $archive.sha256" >&2
    exit 1
fi
if [[ "$(cat "$qt/.unpacked" 2>/dev/null)" != "$sum" ]]; then
    echo "Unpacking $archive into $qt"
    rm -rf "$qt"
    mkdir -p "$qt"
    tar -xJf "$archive" -C "$qt"
    echo "$sum" > "$qt/.unpacked"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw64.cmake" -DTOLV_QT_MINGW_DIR="$qt" >/dev/null
cmake --build "$build" -j2
(cd "$build" && cpack -G "NSIS;ZIP" >/dev/null)
ls -l "$build"/TOLVStrel-*-win64.exe "$build"/TOLVStrel-*-win64.zip

#!/usr/bin/env bash
# Cross-builds the Windows launcher on Debian: installs mingw-w64, Wine and NSIS when missing,
# unpacks the prebuilt Qt for mingw, and builds in build-win/ (or $TOLV_WIN_BUILD):
#   bin/            the application folder (TOLVStrel.exe, Qt's and mingw's DLLs, plugins)
#   demo/           the same with the demo stand-ins TOLV_Pre.exe, STATIC.exe and TOLV_Post.exe
#   TOLVStrel-<version>-win64.exe   the installer (NSIS), and .zip, the application folder
# Qt 6.8.2 for mingw is ../shared/windows/qt6.8.2-mingw64.tar.xz beside the source tree (or
# $TOLV_QT_ARCHIVE), with the Linux host tools of the same version (moc, uic, rcc) in
# qt6.8.2-host-linux-x86_64.tar.xz beside it (or $TOLV_QT_HOST_ARCHIVE).
#
# Authenticode signing, when a certificate is given: TOLV_SIGN_PFX names the certificate with its
# private key (.pfx), TOLV_SIGN_PASSWORD_FILE a file holding its password, TOLV_SIGN_TIMESTAMP_URL a
# time-stamp server (optional). TOLVStrel.exe in the installer and the ZIP, the installer and the
# uninstaller it writes are then signed while CPack packages (packaging/windows/sign.cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build="${TOLV_WIN_BUILD:-$src/build-win}"
archive="${TOLV_QT_ARCHIVE:-$src/../shared/windows/qt6.8.2-mingw64.tar.xz}"
host_archive="${TOLV_QT_HOST_ARCHIVE:-$(dirname "$archive")/qt6.8.2-host-linux-x86_64.tar.xz}"

scripts/setup.sh --deps-only --windows

# Unpacks an archive into a folder of the build once, after checking it against its checksum.
unpack() { # ARCHIVE FOLDER WHAT
    local archive=$1 folder=$2 sum
    [[ -r "$archive" ]] || { echo "no $3 at $archive" >&2; exit 1; }
    sum=$(sha256sum "$archive" | cut -d' ' -f1)
    if [[ -r "$archive.sha256" ]] && [[ "$(cut -d' ' -f1 "$archive.sha256")" != "$sum" ]]; then
        echo "$archive does not match its checksum $archive.sha256" >&2
        exit 1
    fi
    if [[ "$(cat "$folder/.unpacked" 2>/dev/null)" != "$sum" ]]; then
        echo "Unpacking $archive into $folder"
        rm -rf "$folder"
        mkdir -p "$folder"
        tar -xJf "$archive" -C "$folder"
        echo "$sum" > "$folder/.unpacked"
    fi
}
qt="$build/qt-mingw"
qt_host="$build/qt-host"
unpack "$archive" "$qt" "Qt archive for mingw (set TOLV_QT_ARCHIVE)"
unpack "$host_archive" "$qt_host" "archive of Qt's host tools (set TOLV_QT_HOST_ARCHIVE)"

if [[ -n "${TOLV_SIGN_PFX:-}" ]]; then
    [[ -r "$TOLV_SIGN_PFX" ]] || { echo "TOLV_SIGN_PFX: cannot read $TOLV_SIGN_PFX" >&2; exit 1; }
    TOLV_SIGN_PFX=$(realpath "$TOLV_SIGN_PFX")
    if [[ -n "${TOLV_SIGN_PASSWORD_FILE:-}" ]]; then
        [[ -r "$TOLV_SIGN_PASSWORD_FILE" ]] ||
            { echo "TOLV_SIGN_PASSWORD_FILE: cannot read $TOLV_SIGN_PASSWORD_FILE" >&2; exit 1; }
        export TOLV_SIGN_PASSWORD_FILE=$(realpath "$TOLV_SIGN_PASSWORD_FILE")
    fi
    export TOLV_SIGN_PFX TOLV_SIGN_TIMESTAMP_URL="${TOLV_SIGN_TIMESTAMP_URL:-}"
    echo "Signing with $TOLV_SIGN_PFX${TOLV_SIGN_TIMESTAMP_URL:+, time stamps from $TOLV_SIGN_TIMESTAMP_URL}"
else
    echo "No certificate given (TOLV_SIGN_PFX): the launcher, the installer and the uninstaller are unsigned"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw64.cmake" -DTOLV_QT_MINGW_DIR="$qt" -DTOLV_QT_HOST_DIR="$qt_host" >/dev/null
cmake --build "$build" -j2
cmake --build "$build" --target installer
(cd "$build" && cpack -G ZIP >/dev/null)
ls -l "$build"/TOLVStrel-*-win64.exe "$build"/TOLVStrel-*-win64.zip

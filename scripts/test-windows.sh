#!/usr/bin/env bash
# Builds the Windows launcher and its tests (scripts/build-windows.sh), then runs under Wine, each
# in a private prefix:
#   - the unit and widget tests that apply to Windows and the Windows platform tests, once with the
#     Japanese ANSI code page 932 and once with 1252, headless (Qt's offscreen platform);
#   - with code page 932 on Xvfb and openbox: the end-to-end walk of TOLVStrel.exe from the demo
#     folder (tests/e2e/walk_wine.py), a double click on the data-file dialog's Run
#     (tests/e2e/double_click_wine.py), then the installer, the installed launcher and the
#     uninstaller (tests/e2e/install_wine.py);
#   - the Authenticode signatures of TOLVStrel.exe, the installer and its uninstaller: the build is
#     signed with a throw-away certificate made for it (in $build/sign-test).
# With --no-build it uses the build that is there, and checks its signatures when it is signed (against
# the certificate of the run that built it).
# Screenshots go to $TOLV_WINE_SHOTS (default /tmp/tolvstrel-wine-shots).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build="${TOLV_WIN_BUILD:-$src/build-win}"
# The build's packages, and the virtual display and its tools (scripts/deps-test.txt).
scripts/setup.sh --test --windows --deps-only
signing="$build/sign-test"
if [[ "${1:-}" != --no-build ]]; then
    rm -rf "$signing"
    mkdir -p "$signing"
    head -c 24 /dev/urandom | base64 >"$signing/password"
    openssl req -x509 -newkey rsa:2048 -days 2 -nodes -subj "/CN=TOLVStrel test signing" -addext \
        extendedKeyUsage=codeSigning -keyout "$signing/key.pem" -out "$signing/cert.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" -out "$signing/cert.pfx" \
        -passout "file:$signing/password"
    TOLV_SIGN_PFX="$signing/cert.pfx" TOLV_SIGN_PASSWORD_FILE="$signing/password" TOLV_SIGN_TIMESTAMP_URL= \
        scripts/build-windows.sh
fi

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
echo "== A double click on Run under Wine"
wine_prefix_close
wine_prefix_open "$build/wine-walk" gui
wineserver -k >/dev/null 2>&1 || true
/usr/bin/python3 tests/e2e/double_click_wine.py --demo "$build/demo" --source . --shots "$shots" || failed=1
echo "== Installer, installed launcher and uninstaller under Wine"
wine_prefix_close
wine_prefix_open "$build/wine-install" gui
wineserver -k >/dev/null 2>&1 || true
installer="$build/TOLVStrel-$version-win64.exe"
/usr/bin/python3 tests/e2e/install_wine.py --installer "$installer" --texts "$build/tests/wintexts.exe" --source . --shots "$shots" || failed=1

echo "== Signatures, against the throw-away certificate"
rm -f "$signing/installer.sig"
if [[ "${1:-}" == --no-build ]] && { [[ ! -r "$signing/cert.pem" ]] ||
        ! osslsigncode extract-signature -in "$installer" -out "$signing/installer.sig" >/dev/null 2>&1; }; then
    echo "skipped: --no-build, and the build there is unsigned"
else
    # TOLVStrel.exe, DLLs of Qt and mingw and the uninstaller as a (silent) installation writes them,
    # and the installer.
    timeout 120 wine "$installer" /S '/D=C:\tolv-signed' >/dev/null 2>&1 </dev/null || true
    installed=$(winepath -u 'C:\tolv-signed' 2>/dev/null)
    for program in "$installed/TOLVStrel.exe" "$installed/Qt6Core.dll" "$installed/libstdc++-6.dll" \
            "$installed/Uninstall.exe" "$installer"; do
        if verified=$(osslsigncode verify -CAfile "$signing/cert.pem" -in "$program" 2>&1); then
            echo "signed: $program: $(grep -m1 'Subject:' <<<"$verified" | xargs), $(tail -n1 <<<"$verified")"
        else
            printf '%s\n' "$verified" | tail -n4
            echo "NOT signed with the test certificate: $program"
            failed=1
        fi
    done
fi
if ((failed)); then
    echo "Windows tests under Wine: FAILED"
else
    echo "Windows tests under Wine: all passed"
fi
exit $failed

#!/usr/bin/env bash
# Installs into a temporary prefix and builds the Debian package; checks the layout and the desktop
# entry, then starts each installed launcher through its link in bin/ and walks it briefly: the
# preprocessor and a solver run through the batch interpreter show that it finds its folder and
# its helpers. The suite's programs are added to each application folder as a user would.
set -euo pipefail
build=$1 source=$2 suite=$3 python=${4:-/usr/bin/python3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tolv-install-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAILED: $*"; exit 1; }

check_layout() { # prefix [prefix as installed] [Exec= as written]
    local p=$1 installed=${2:-$1}
    [[ -L $p/bin/tolvstrel ]] || fail "$p/bin/tolvstrel is not a symbolic link"
    [[ $(readlink -f "$p/bin/tolvstrel") == "$(readlink -f "$p/lib/tolvstrel/TOLVStrel")" ]] \
        || fail "$p/bin/tolvstrel does not lead to the launcher"
    [[ -x $p/lib/tolvstrel/tolvbat ]] || fail "no batch interpreter in $p/lib/tolvstrel"
    [[ -f $p/share/icons/hicolor/32x32/apps/tolvstrel.png ]] || fail "no icon in $p"
    desktop-file-validate "$p/share/applications/tolvstrel.desktop" || fail "desktop entry of $p"
    grep -qx 'Icon=tolvstrel' "$p/share/applications/tolvstrel.desktop"
    grep -qxF "Exec=${3:-$installed/lib/tolvstrel/TOLVStrel}" "$p/share/applications/tolvstrel.desktop" \
        || fail "the desktop entry does not name the launcher by its absolute path"
    grep -qx "Path=$installed/lib/tolvstrel" "$p/share/applications/tolvstrel.desktop" \
        || fail "the desktop entry does not start in the application folder"
    grep -q '^Name\[ja\]=.' "$p/share/applications/tolvstrel.desktop" || fail "no Name[ja] in the desktop entry"
    grep -q '^Comment\[ja\]=.' "$p/share/applications/tolvstrel.desktop" || fail "no Comment[ja] in the desktop entry"
    grep -qxF "Exec=xdg-open ${4:-$installed/lib/tolvstrel/docs/ja/guide.html}" \
        "$p/share/applications/tolvstrel.desktop" || fail "the desktop entry's action does not open the guide"
    [[ -f $p/lib/tolvstrel/docs/ja/guide.html ]] || fail "no user guide in $p"
}

walk() { # prefix name
    "$python" "$here/walk.py" --demo "$1" --app-subdir lib/tolvstrel --launcher bin/tolvstrel \
        --source "$source" --shots "$work/shots-$2" \
        --steps start_launcher,preprocessor,solver_by_file_name,end
}

echo "== cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_layout "$work/prefix"
# The installation's record lists every installed file, the desktop entry written at install time
# included: an uninstall driven by it leaves nothing but folders.
grep -qxF "$work/prefix/share/applications/tolvstrel.desktop" "$build/install_manifest.txt" \
    || fail "install_manifest.txt does not list the desktop entry"
cp -a "$work/prefix" "$work/uninstalled"
sed "s|^$work/prefix/|$work/uninstalled/|" "$build/install_manifest.txt" | xargs -d '\n' rm -f
left=$(find "$work/uninstalled" ! -type d)
[[ -z $left ]] || fail "an uninstall by install_manifest.txt leaves: $left"
rm -rf "$work/uninstalled"
[[ ! -e $work/prefix/lib/tolvstrel/TOLV_Pre.exe ]] || fail "the stand-ins are installed by default"
cmake --install "$build" --prefix "$work/prefix" --component demo >/dev/null
for f in TOLV_Pre.exe TOLV_Post.exe STATIC.exe; do
    [[ -x $work/prefix/lib/tolvstrel/$f ]] || fail "component demo did not install $f"
done
walk "$work/prefix" prefix
# A prefix with a blank: the entry quotes the path, as the desktop entry format asks.
cmake --install "$build" --prefix "$work/my prefix" >/dev/null
check_layout "$work/my prefix" "$work/my prefix" "\"$work/my prefix/lib/tolvstrel/TOLVStrel\"" \
    "\"$work/my prefix/lib/tolvstrel/docs/ja/guide.html\""

echo "== Debian package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/tolvstrel_*.deb)
info=$(dpkg-deb --info "$deb")
grep -q '^ Package: tolvstrel$' <<<"$info" || fail "package name"
grep -q '^ Depends: .*libqt6widgets6' <<<"$info" || fail "package dependencies"
grep -q '^ Depends: .*fonts-ipafont-gothic' <<<"$info" || fail "the package does not depend on its face"
grep -q '^ Recommends: .*x-terminal-emulator' <<<"$info" || fail "the package does not recommend a terminal"
if grep -q '\.exe$' <<<"$(dpkg-deb --contents "$deb")"; then fail "the package holds stand-ins"; fi
dpkg-deb -x "$deb" "$work/root"
check_layout "$work/root/usr" /usr
cp "$suite"/*.exe "$work/root/usr/lib/tolvstrel/"
walk "$work/root/usr" deb
echo "install check passed"

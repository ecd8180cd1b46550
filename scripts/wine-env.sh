# Sourced by the Windows test scripts: a private Wine prefix for this run, with the settings that
# Qt's programs read from the Windows environment (Wine does not hand QT_* over from Linux).
#   wine_prefix_open FOLDER [gui]  creates the prefix and starts its server; for tests Qt runs
#                                  offscreen with the unpacked Qt's plugins, with "gui" on the
#                                  display with the application folder's own
#   wine_prefix_close              stops that prefix's server (and only that one), removes the prefix
# Needs $build, the Windows build folder.

wine_path() { # the Windows form of a Linux path
    printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"
}

wine_prefix_open() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    export WINEARCH=win64
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    timeout 300 wineboot -i >/dev/null 2>&1
    local qt="$build/qt-mingw"
    local gcc
    gcc=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | head -n1)
    wine reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /d 1 /f >/dev/null 2>&1
    wine reg add 'HKCU\Environment' /v QT_SCALE_FACTOR /d 1 /f >/dev/null 2>&1
    if [[ "${2:-}" != gui ]]; then
        wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
        # The offscreen platform reads the font files of one folder: the face the windows are drawn
        # in (fonts-ipafont-gothic). In Qt 6.8 it finds no face in Noto's font collections (.ttc).
        wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d 'Z:\usr\share\fonts\opentype\ipafont-gothic' /f >/dev/null 2>&1
        wine reg add 'HKCU\Environment' /v QT_PLUGIN_PATH /d "$(wine_path "$qt/plugins")" /f >/dev/null 2>&1
    fi
    # The test programs find Qt's and mingw's DLLs here; an application folder has its own copies.
    if [[ "${2:-}" != gui ]]; then
        export WINEPATH="$(wine_path "$qt/bin");$(wine_path "$gcc");$(wine_path /usr/x86_64-w64-mingw32/lib)"
    else
        unset WINEPATH
    fi
    # Wine's background services keep the first Wine process's output open: start them now, on
    # nothing, so that a pipe reading a later program's output closes when the program ends.
    wineserver -p >/dev/null 2>&1 || true
    timeout 120 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

wine_prefix_close() {
    [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]] || return 0
    wineserver -k >/dev/null 2>&1 || true
    # A prefix holds 700 MB of Wine's own files; TOLV_KEEP_WINE_PREFIX=1 keeps it for a look.
    [[ -n "${TOLV_KEEP_WINE_PREFIX:-}" ]] || rm -rf "$WINEPREFIX"
}

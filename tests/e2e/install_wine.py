#!/usr/bin/env python3
"""The Windows installer under Wine, as a user without administrator rights would run it.

In one Wine prefix, installations through the installer's pages in Japanese (Wine's display language
follows LANG) into the default folder and in English into a folder given with /D=, a silent one into a
third, a silent update (into the folder installed last); the first copy's launcher started through its
link and ended; then the uninstallers, through their pages in the other language or silently. After
each step every installed copy must be whole, with its own uninstall entry and Start-menu folder, and
each uninstalled one must have kept run.dat, solver.bat and a suite's program. Every page is read back
from its window (tests/windows/wintexts.cpp), must speak its language throughout, with no text cut,
and is photographed.

Between the steps, what a silent setup must refuse with an exit code, leaving every installation, the
Start menu and the registry as they were: a folder that is no full path, a drive's root, a folder too
long for the installed files' paths, a folder holding a file of the user's under one of the installer's
names, a second setup while one runs, an update or uninstall while the launcher runs. The user's PATH
is the same after the last uninstall as before the first install.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walk import MAIN_TITLE, form_centres  # noqa: E402
from xsession import Failure, XSession, ere_escape, wait_until  # noqa: E402

INSTALLED = ('TOLVStrel.exe', 'Qt6Core.dll', 'Qt6Gui.dll', 'Qt6Widgets.dll', 'libstdc++-6.dll',
             'libgcc_s_seh-1.dll', 'libwinpthread-1.dll', 'platforms/qwindows.dll',
             'imageformats/qjpeg.dll', 'imageformats/qico.dll', 'styles/qmodernwindowsstyle.dll',
             'Uninstall.exe')
KEPT = ['TOLV_Pre.exe', 'run.dat', 'solver.bat']
UNINSTALL_ROOT = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
LANGUAGES = {  # the uninstaller's and the guide's links last; the font of NSIS's pages in the language
    'ja': dict(locale='ja_JP.UTF-8', setup='TOLVStrel セットアップ', uninstall='TOLVStrel アンインストール', cancel='キャンセル',
               publisher='株式会社 曇橋構造研究所', links=['TOLVStrel のアンインストール.lnk', 'TOLVStrel 使い方ガイド.lnk'],
               font=['ＭＳ Ｐゴシック', '9']),
    'en': dict(locale='C.UTF-8', setup='TOLVStrel Setup', uninstall='TOLVStrel Uninstall', cancel='Cancel',
               publisher='Kumoribashi Structural Lab. Inc.', links=['Uninstall TOLVStrel.lnk', 'TOLVStrel User Guide (Japanese).lnk'],
               font=['MS Shell Dlg', '8'])}
# What a silent setup refuses, and its exit code: (what, arguments after the installer, code).
REFUSED = (("a relative folder", [r'/D=rel\TOLV'], 2), ("a drive's root", ['/D=T:\\'], 2),
           ("a folder too long for its files", ['/D=C:\\' + 'x' * 230], 2),
           ("a folder with the user's own libgcc_s_seh-1.dll", [r'/D=C:\TOLV-user'], 4))
# Both blocks of the version information and its list of translations, as the program's bytes hold them.
VERSION_INFO = [text.encode('utf-16-le') for text in ('040904B0', '041103A4', 'TOLVStrel 弾塑性有限変位解析ソフトウェア')]
VERSION_INFO.append(bytes.fromhex('0904b0041104a403'))


def wine(x, *args, timeout=120):
    done = subprocess.run(['wine', *args], env=x.env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=timeout)
    return done.returncode, done.stdout.decode('utf-8', errors='replace')


def unix_path(x, windows):
    return subprocess.run(['winepath', '-u', windows], env=x.env, capture_output=True,
                          timeout=30).stdout.decode().strip()


def expect(what, condition, detail=''):
    if not condition:
        raise Failure(f"{what} {detail}".strip())


def speak(x, language):
    x.env.update(LANG=LANGUAGES[language]['locale'], LC_ALL=LANGUAGES[language]['locale'])
    walk.language = language


def entries(x):
    """TOLVStrel's uninstall entries, {key: {value name: text}}, from an export of the registry."""
    reg = os.path.join(x.workdir, 'entries.reg')
    for _ in range(3):  # once, an export found no entry just after one was seen
        if os.path.exists(reg):
            os.remove(reg)
        code, entries.said = wine(x, 'reg', 'export', UNINSTALL_ROOT, 'Z:' + reg.replace('/', '\\'), '/y')
        if code == 0:
            break
    found = {}
    with open(reg, encoding='utf-16') if os.path.exists(reg) else open(os.devnull) as f:
        for line in f.read().splitlines():
            if line.startswith('['):
                values = found.setdefault(line[1:-1].rsplit('\\', 1)[-1], {})
            elif '"="' in line:
                name, value = line[1:-1].split('"="', 1)
                values[name] = value.replace('\\\\', '\\').replace('\\"', '"')
    return {k: v for k, v in found.items() if k == 'TOLVStrel' or k.startswith('TOLVStrel-')}


def japanese(text):
    return any('\u3040' <= c <= '\u30ff' or '\u4e00' <= c <= '\u9fff' or '\uff00' <= c <= '\uffef' for c in text)


def read_page(x, texts, title, language, shot):
    """The page's texts as its window holds them: in the language, with no text of the other one, and
    none cut."""
    code, out = wine(x, texts, title, *LANGUAGES[language]['font'], timeout=30)
    with open(shot + '.txt', 'w', encoding='utf-8') as f:
        f.write(out)
    lines = [line for line in out.splitlines() if line.strip()]
    expect(f"no text cut in '{title}'", code != 3, str([line for line in lines if line.startswith('CUT: ')]))
    expect(f"the texts of '{title}'", code == 0 and LANGUAGES[language]['cancel'] in lines, f"{code} {lines}")
    # Each sentence, label or caption; paths, the version line and "TOLVStrel" alone carry no language;
    # "OK" is a message box's button in either language.
    words = [line for line in lines if any(c.isalpha() for c in line.replace('TOLVStrel', '')) and line != 'OK'
             and ':\\' not in line and not line.startswith('TOLVStrel 1.')]
    other = [line for line in words if japanese(line) != (language == 'ja')]
    expect(f"every text of '{title}' in {language}", not other, str(other))


def walk(x, argv, title, shot, waits):
    """Takes an installer's or uninstaller's pages with Enter once waits[i] holds, each read back and
    photographed first."""
    x.start(['wine', *argv], x.workdir, 'setup.log')
    window = x.wait_window(title, '^' + ere_escape(title), timeout=60)
    for page, ready in enumerate(waits, 1):
        wait_until(f"page {page} of '{title}'", ready or (lambda: True), timeout=60)
        time.sleep(1.5)
        read_page(x, walk.texts, title, walk.language, f'{shot}-{page}')
        x.screenshot(f'{shot}-{page}.png')
        # The Japanese pages are the user guide's pictures (win-setup-1.png ...) with --guide.
        if walk.guide and walk.language == 'ja':
            name = os.path.basename(shot).replace('wine-ja-', 'win-')
            x.window_shot(window, os.path.join(walk.guide, f'{name}-{page}.png'))
        x.activate(window)
        x.keys('Return')
    x.wait_gone(title, window, timeout=30)


def check_installed(x, copies, guide):
    found = entries(x)
    expect("one uninstall entry per installed copy", len(found) == len(copies), f"{sorted(found)} {entries.said}")
    for copy in copies.values():
        language = LANGUAGES[copy['language']]
        entry = [e for e in found.values() if e.get('UninstallString') == f'"{copy["win"]}\\Uninstall.exe"']
        expect(f"the uninstall entry of {copy['win']}, its Start-menu folder and publisher", len(entry) == 1 and
               (entry[0]['StartMenu'], entry[0]['Publisher']) == (copy['menu'], language['publisher']), str(found))
        for name in INSTALLED + (('docs/ja/guide.html',) if guide else ()):
            expect(f"installed {name}", os.path.isfile(os.path.join(copy['unix'], name)), f"in {copy['unix']}")
        with open(os.path.join(copy['unix'], 'TOLVStrel.exe'), 'rb') as f:
            program = f.read()
        expect("English and Japanese version information", all(part in program for part in VERSION_INFO))
        expect(f"Start-menu links in {copy['language']}", sorted(os.listdir(copy['menu_unix']))
               == sorted(['TOLVStrel.lnk', *language['links'][:2 if guide else 1]]), copy['menu_unix'])
        with open(os.path.join(copy['menu_unix'], 'TOLVStrel.lnk'), 'rb') as f:
            shortcut = f.read()
        # The working folder is stored as text in the shortcut, ANSI or UTF-16.
        expect("shortcut's working folder is the application folder",
               copy['win'].encode('utf-16-le') in shortcut or copy['win'].encode('cp932') in shortcut)


def state(x, copies, menus):
    """Every installation's files, the Start menu's folders and TOLVStrel's uninstall entries."""
    def listing(top):
        return sorted(os.path.relpath(os.path.join(d, f), top) for d, _, files in os.walk(top) for f in files)
    return ({name: listing(copy['unix']) for name, copy in copies.items()}, listing(unix_path(x, menus)), entries(x))


def refused(x, argv, code, copies, menus):
    """A silent run that must end with the exit code and change nothing."""
    before = state(x, copies, menus)
    got, _ = wine(x, *argv)
    expect(f"exit code {code}", got == code, f"(got {got}) for {argv}")
    expect(f"nothing changed by {argv}", state(x, copies, menus) == before)


def told(x, argv, language, shot, keys, said, copies, menus):
    """A setup whose pages must refuse: after `keys`, a message in the page's language that holds
    `said`; Escape then ends it, and nothing has changed."""
    before = state(x, copies, menus)
    title = LANGUAGES[language][argv[0].endswith('Uninstall.exe') and 'uninstall' or 'setup']
    x.start(['wine', *argv], x.workdir, 'setup-told.log')
    window = x.wait_window(title, '^' + ere_escape(title), timeout=60)
    for key in keys:
        time.sleep(1.5)
        x.activate(window)
        x.keys(key)
    wait_until(f"the message of '{title}'", lambda: said in wine(x, walk.texts, title, timeout=30)[1], timeout=30)
    read_page(x, walk.texts, title, language, shot)
    x.screenshot(shot + '.png')
    x.keys('Escape')
    time.sleep(1)
    if window in x.windows(''):
        x.keys('Escape')
    x.wait_gone(title, window, timeout=30)
    expect(f"nothing changed by {argv}", state(x, copies, menus) == before)


def user_path(x):
    return wine(x, 'reg', 'query', r'HKCU\Environment', '/v', 'PATH')[1].strip()


def check_uninstalled(copy):
    left = sorted(os.path.relpath(os.path.join(d, f), copy['unix']) for d, _, files in os.walk(copy['unix'])
                  for f in files)
    # Run from its folder (_?=), the silent uninstaller cannot delete itself.
    left = [f for f in left if f != 'Uninstall.exe']
    expect(f"only {KEPT} left in {copy['win']}", left == KEPT, str(left))
    expect("its Start-menu folder removed", not os.path.exists(copy['menu_unix']), copy['menu_unix'])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--installer', required=True)
    parser.add_argument('--texts', required=True, help="tests/windows' wintexts.exe")
    parser.add_argument('--source', required=True)
    parser.add_argument('--shots', default=os.path.join(tempfile.gettempdir(), 'tolvstrel-wine-shots'))
    parser.add_argument('--guide', help="folder for the user guide's pictures of the Japanese pages")
    args = parser.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    walk.texts = os.path.abspath(args.texts)
    walk.guide = args.guide

    work = tempfile.mkdtemp(prefix='tolv-wine-install-')
    x = XSession(work, width=1024, height=768)
    env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'XDG_', 'DBUS_'))}
    env.update(LANG='ja_JP.UTF-8', LC_ALL='ja_JP.UTF-8', WINEDEBUG='-all')
    failed = True
    try:
        x.open(env)
        _, out = wine(x, 'cmd', '/c', 'echo %LOCALAPPDATA%^|%APPDATA%')
        local, roaming = out.strip().split('|')
        menus = roaming + r'\Microsoft\Windows\Start Menu\Programs'
        installer = os.path.abspath(args.installer)
        guide = os.path.isfile(os.path.join(args.source, 'docs', 'ja', 'guide.html'))
        copies = {}

        def installed(copy):
            return lambda: any(e.get('InstallLocation') == copy['win'] for e in entries(x).values())

        # A tools folder of the user's whose bin is on PATH: no setup of ours touches PATH.
        wine(x, 'reg', 'add', r'HKCU\Environment', '/v', 'PATH', '/t', 'REG_EXPAND_SZ', '/d',
             r'C:\TOLV-3\bin;C:\tools', '/f')
        path_before = user_path(x)

        # A and B through the installer's pages, C silently, then a silent update: into C, installed last.
        for name, win, language, menu, options in (
                ('A', local + r'\Programs\TOLVStrel', 'ja', 'TOLVStrel', []),
                ('B', r'C:\TOLV-2', 'en', 'TOLVStrel (2)', [r'/D=C:\TOLV-2']),
                ('C', r'C:\TOLV-3', 'ja', 'TOLVStrel (3)', ['/S', r'/D=C:\TOLV-3']),
                ('C', r'C:\TOLV-3', 'en', 'TOLVStrel (3)', ['/S'])):
            speak(x, language)
            copies[name] = copy = dict(win=win, unix=unix_path(x, win), language=language, menu=menu,
                                       menu_unix=unix_path(x, menus + '\\' + menu))
            if '/S' in options:
                code, _ = wine(x, installer, *options)
                expect("silent installer exit code 0", code == 0, f"(got {code})")
            else:
                walk(x, [installer, *options], LANGUAGES[language]['setup'],
                     os.path.join(args.shots, f'wine-{language}-setup'), [None, None, installed(copy)])
            check_installed(x, copies, guide)

        # An installation of 1.2.1 kept no list of its files and brought the style plugin of Qt 6.4: an
        # update owns its files and removes that plugin.
        legacy = copies['C']
        key = [k for k, e in entries(x).items() if e.get('InstallLocation') == legacy['win']][0]
        wine(x, 'reg', 'delete', UNINSTALL_ROOT + '\\' + key + '\\Files', '/f')
        with open(os.path.join(legacy['unix'], 'styles', 'qwindowsvistastyle.dll'), 'wb') as f:
            f.write(b'MZ')
        code, _ = wine(x, installer, '/S', '/D=' + legacy['win'])
        expect("an update of a 1.2.1 installation, exit code 0", code == 0, f"(got {code})")
        expect("the style plugin of Qt 6.4 removed",
               not os.path.exists(os.path.join(legacy['unix'], 'styles', 'qwindowsvistastyle.dll')))
        check_installed(x, copies, guide)

        # Folders a setup must refuse; a second setup while one runs.
        user = unix_path(x, r'C:\TOLV-user')
        os.makedirs(user, exist_ok=True)
        with open(os.path.join(user, 'libgcc_s_seh-1.dll'), 'wb') as f:
            f.write(b'MZ a solver\'s own')
        for what, options, code in REFUSED:
            refused(x, [installer, '/S', *options], code, copies, menus)
        expect("the user's file kept", os.listdir(user) == ['libgcc_s_seh-1.dll'], str(os.listdir(user)))
        speak(x, 'ja')
        told(x, [installer, '/D=T:\\'], 'ja', os.path.join(args.shots, 'wine-ja-setup-root'), ['Return'],
             'ドライブのルート', copies, menus)
        x.start(['wine', installer], work, 'setup-first.log')
        first = x.wait_window('a first setup', '^' + ere_escape(LANGUAGES['ja']['setup']), timeout=60)
        refused(x, [installer, '/S', r'/D=C:\TOLV-5'], 5, copies, menus)
        x.activate(first)
        x.keys('Escape')
        x.wait_gone('the first setup', first, timeout=30)

        # A's launcher, through its shortcut; while it runs, neither an update nor an uninstall of its
        # folder changes anything; End ends it.
        x.start(['wine', 'start', '/wait', menus + r'\TOLVStrel\TOLVStrel.lnk'], work, 'launcher.log')
        main_window = x.wait_window('installed launcher', '^' + ere_escape(MAIN_TITLE) + '$', timeout=60)
        time.sleep(1)
        x.screenshot(os.path.join(args.shots, 'wine-installed-launcher.png'))
        refused(x, [installer, '/S', '/D=' + copies['A']['win']], 3, copies, menus)
        refused(x, [copies['A']['win'] + r'\Uninstall.exe', '/S', '_?=' + copies['A']['win']], 3, copies, menus)
        speak(x, 'en')
        told(x, [copies['A']['win'] + r'\Uninstall.exe'], 'en', os.path.join(args.shots, 'wine-en-uninstall-running'),
             ['Return'], 'TOLVStrel is running', copies, menus)
        centres = form_centres(os.path.join(args.source, 'ui', 'main', 'Main.ui'))
        x.click(main_window, *centres['cmd_End'])
        x.wait_gone('installed launcher', main_window, timeout=20)

        # What the launcher writes into its folder, and the suite's programs, stay when it is uninstalled.
        for copy in copies.values():
            for name, data in (('run.dat', 'C:\\解析 データ\\m.dat\r\n'.encode('cp932')),
                               ('solver.bat', b'STATIC.exe\r\nPAUSE\r\n'), ('TOLV_Pre.exe', b'MZ')):
                with open(os.path.join(copy['unix'], name), 'wb') as f:
                    f.write(data)
        for name, language in (('B', 'ja'), ('A', 'en'), ('C', None)):
            copy = copies.pop(name)
            uninstaller = copy['win'] + r'\Uninstall.exe'
            if language:
                speak(x, language)
                walk(x, [uninstaller], LANGUAGES[language]['uninstall'],
                     os.path.join(args.shots, f'wine-{language}-uninstall'),
                     [None, lambda: not installed(copy)()])
            else:
                code, _ = wine(x, uninstaller, '/S', '_?=' + copy['win'])
                expect("silent uninstaller exit code 0", code == 0, f"(got {code})")
            check_uninstalled(copy)
            check_installed(x, copies, guide)
        expect("the user's PATH as before", user_path(x) == path_before, f"{user_path(x)!r} {path_before!r}")
        failed = False
        print("installer check complete", flush=True)
    except (Failure, subprocess.TimeoutExpired, OSError, ValueError) as failure:
        print(f"FAILED: {failure}", flush=True)
    finally:
        subprocess.run(['wineserver', '-k'], check=False)
        try:
            x.close()
        except Failure as failure:
            print(f"FAILED: {failure}", flush=True)
            failed = True
    if failed:
        print(f"work folder kept: {work}")
        return 1
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())

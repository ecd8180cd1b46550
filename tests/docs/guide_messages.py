#!/usr/bin/env python3
"""Checks the Japanese user guide against the launcher, and the notation of every Japanese text.

Each QStringLiteral of core/Texts.h (the messages, captions and filters) and platform/Reasons.h (the
reasons shown after a message's first line) is cut at %1, %2, ... (a path, a name or a number), at
its line breaks and at a filter's "|"; every piece of MIN_PIECE characters or more must stand in the
text of docs/ja/guide.html (markup removed, entities unescaped, white space as one blank).

The notation (the guide's 「表記について」) where a pattern can tell it, over the guide, those two
files and the installer's texts: no long mark on the loan words that drop it, no blank inside a
katakana compound or between a number and its counter, a full-width colon after Japanese, buttons
in ［］ and clicked, and our own reasons ending in 「。」. Windows' own labels, quoted, stay as Windows
writes them. The guide's pictures exist, its headings go down one level at a time, every link leads
somewhere, and every link that gives a section's number (the table of contents, "8.2", "7章") gives
that section's.

    guide_messages.py SOURCE_DIR
"""

import html
import os
import re
import sys

MIN_PIECE = 4
GUIDE = os.path.join('docs', 'ja', 'guide.html')
SOURCES = (os.path.join('core', 'Texts.h'), os.path.join('platform', 'Reasons.h'))
INSTALLER_TEXTS = os.path.join('packaging', 'windows', 'installer-texts.nsh')
# Texts that the launcher holds but never shows.
NOT_SHOWN = {'ToolViewer'}  # the viewer's button and popup are hidden
# The reasons of core/Texts.h; every text of platform/Reasons.h is one too.
OWN_REASONS = {'FieldsTooLong', 'RecordUndecodable', 'recordIncomplete', 'pathHoldsLineEnd', 'pathHoldsNul',
               'pathStartsWithQuote', 'pathQuoteNeedsQuotes'}

LITERALS = re.compile(r'inline\s+(?:const\s+)?QString\s+(\w+)[^;{]*?(?:=|\{)\s*(?:return\s+)?'
                      r'QStringLiteral\(\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+)\)', re.S)
STRING = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def unescape(body):
    """The text of a C string literal in a UTF-8 source."""
    return body.replace('\\r', '\r').replace('\\n', '\n').replace('\\"', '"').replace('\\\\', '\\')


def blanks(text):
    return re.sub(r'\s+', ' ', text).strip()


def guide_text(page):
    """What a reader reads: block elements separate texts, inline elements do not."""
    return blanks(html.unescape(re.sub(r'<[^>]*>', '', guide_html(page).replace('\0', ' '))))


# Labels that Windows shows, which the texts quote as Windows writes them.
WINDOWS_LABELS = ('作業フォルダー', 'ネットワーク ドライブの割り当て', 'システム ロケールの変更',
                  'ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用', 'コントロールされたフォルダー アクセス')
KANA = '\u30a1-\u30fa'
JAPANESE = '\u3040-\u30ff\u4e00-\u9fff'
COUNTERS = '文字|件|章|行|つ|人|個|回|バイト|ビット|項目|段階'
# (what is wrong, pattern, where: 'all'; 'ours' for the guide and the messages, not the installer's
# texts; 'guide' for the guide's markup only)
RULES = (
    ('a long mark that the notation drops', r'ユーザー|サーバー|コンピューター|インストーラー|フォルダー', 'all'),
    ('a blank inside a katakana compound', rf'[{KANA}ー][ \t]+[{KANA}]', 'all'),
    ('a blank between a number and its counter', rf'(?:\d|%\d|</var>)\s+(?:{COUNTERS})', 'all'),
    ('a half-width colon after Japanese', rf'[{JAPANESE}）」]:', 'ours'),
    ('a button pressed instead of clicked', r'］(?:</span>)?(?:ボタン)?を押', 'guide'),
    ('a control in 「」 instead of ［］', r'class="ui">「', 'guide'),
)


def notation_faults(text, where):
    """What breaks the notation in text (block boundaries as NUL), Windows' quoted labels aside; where
    is 'guide' (markup), 'ours' (text) or 'installer'."""
    for label in WINDOWS_LABELS:
        text = text.replace(f'「{label}」', '「」').replace(f'［{label}］', '［］')
    scopes = {'guide': ('all', 'ours', 'guide'), 'ours': ('all', 'ours'), 'installer': ('all',)}[where]
    return [f"{what}: {m.group(0)!r}" for what, pattern, scope in RULES if scope in scopes
            for m in re.finditer(pattern, text)]


def guide_html(page):
    """The guide's markup with comments and styles removed and each block's edge as a NUL, so that two
    cells or paragraphs never meet as one text."""
    page = re.sub(r'<!--.*?-->|<(style|script)\b.*?</\1\s*>', ' ', page, flags=re.S | re.I)
    return re.sub(r'<(?:br|/?(?:p|div|li|ul|ol|dt|dd|tr|td|th|table|h\d|pre|figure|figcaption|caption)\b)[^>]*>',
                  '\0', page, flags=re.I)


def structure_faults(page, root):
    faults = [f"picture missing: {src}" for src in re.findall(r'<img\b[^>]*\bsrc="([^"]+)"', page)
              if not os.path.isfile(os.path.join(root, os.path.dirname(GUIDE), src))]
    # Each anchor is in the section of the last numbered heading at or before it.
    level, section, numbers = 1, None, {}
    for element in re.finditer(r'<(\w+)\b([^>]*)>', page):
        tag, attributes = element.group(1).lower(), element.group(2)
        if re.fullmatch(r'h\d', tag):
            title = re.sub(r'<[^>]*>', '', page[element.end():page.index('</', element.end())])
            if int(tag[1]) > level + 1:
                faults.append(f"heading {tag} after h{level}: {title!r}")
            level = int(tag[1])
            number = re.match(r'(\d+(?:\.\d+)*)\.?\s', title)
            section = number.group(1) if number else (None if level == 2 else section)
        anchor = re.search(r'\bid="([^"]+)"', attributes)
        if anchor:
            numbers[anchor.group(1)] = section
    # Figures are numbered 1, 2, ... in the order they stand, and the text names only those.
    figures = [int(n) for n in re.findall(r'<figcaption>図 (\d+)', page)]
    if figures != list(range(1, len(figures) + 1)):
        faults.append(f"figures numbered {figures}, not 1 to {len(figures)} in order")
    faults += [f"a reference to 図 {n}, which is no figure" for n in
               re.findall(r'図 (\d+)', re.sub(r'<figcaption>図 \d+', '', page)) if int(n) not in figures]
    faults += [f"link to #{anchor}, which is nowhere" for anchor in re.findall(r'href="#([^"]+)"', page)
               if anchor not in numbers]
    for anchor, number in re.findall(r'<a href="#([^"]+)">(\d+(?:\.\d+)*)', page):
        if numbers.get(anchor) != number:
            faults.append(f"link to #{anchor} says {number}, the section is {numbers.get(anchor)}")
    return faults


def main(root):
    with open(os.path.join(root, GUIDE), encoding='utf-8') as f:
        page = f.read()
    text = guide_text(page)
    checked, gaps = 0, []
    html_text = guide_html(page)
    gaps += [f"{GUIDE}: {fault}" for fault in notation_faults(html_text, 'guide')]
    gaps += [f"{GUIDE}: {fault}" for fault in notation_faults(html.unescape(re.sub(r'<[^>]*>', '', html_text)), 'ours')]
    gaps += [f"{GUIDE}: {fault}" for fault in structure_faults(page, root)]
    with open(os.path.join(root, INSTALLER_TEXTS), encoding='utf-8') as f:
        installer = '\n'.join(line for line in f.read().splitlines() if not line.lstrip().startswith(';'))
    gaps += [f"{INSTALLER_TEXTS}: {fault}" for fault in notation_faults(installer, 'installer')]
    for rel in SOURCES:
        with open(os.path.join(root, rel), encoding='utf-8') as f:
            source = re.sub(r'//[^\n]*', '', f.read())
        for name, literals in LITERALS.findall(source):
            checked += 1
            if name in NOT_SHOWN:
                continue
            template = ''.join(unescape(s) for s in STRING.findall(literals))
            gaps += [f"{rel}: {name}: {fault}" for fault in notation_faults(template, 'ours')]
            if (rel.endswith('Reasons.h') or name in OWN_REASONS) and not template.endswith('。'):
                gaps.append(f"{rel}: {name}: a reason that does not end with 「。」: {template!r}")
            for piece in map(blanks, re.split(r'%\d+|\r\n|\n|\|', template)):
                if len(piece) >= MIN_PIECE and piece not in text:
                    gaps.append(f"not in {GUIDE}: {piece!r} ({rel}: {name})")
    # A parse that finds nothing would pass whatever the guide says.
    if checked < 20:
        print(f"FAILED: only {checked} texts found in {' and '.join(SOURCES)}: the parser no longer fits")
        return 1
    print('\n'.join(gaps) if gaps else f"{GUIDE} quotes every fixed piece of the {checked} texts")
    return 1 if gaps else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]) if len(sys.argv) == 2 else __doc__)

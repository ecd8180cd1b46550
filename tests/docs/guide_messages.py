#!/usr/bin/env python3
"""Checks that the Japanese user guide explains every message that the launcher can show.

Every QStringLiteral of core/Texts.h (the message templates) and platform/Reasons.h (the reasons
shown after a message's first line), and every string literal with Japanese text in the other
sources of the launcher (core/, platform/, ui/, main.cpp), is cut into its fixed pieces: at %1, %2,
... (where the program puts a path, a name or a number), at line breaks (\\r\\n) and at the "|" of a
file filter ("description|pattern", which the open-file dialog shows as two parts). Each piece of at
least MIN_PIECE characters must appear in the text of docs/ja/guide.html, HTML entities unescaped and
runs of white space taken as one blank. A new message or reason that the guide does not quote makes
the check fail with the piece, its name and its file.

    guide_messages.py SOURCE_DIR     check the guide of that source tree
"""

import html
import os
import re
import sys

MIN_PIECE = 4
GUIDE = os.path.join('docs', 'ja', 'guide.html')
TEMPLATE_FILES = (os.path.join('core', 'Texts.h'), os.path.join('platform', 'Reasons.h'))
SOURCE_FOLDERS = ('core', 'platform', 'ui')
SOURCE_FILES = ('main.cpp',)
# Texts that the launcher defines but never shows, each with the reason.
NOT_SHOWN = {
    'ToolViewer': "the viewer's button and popup are hidden in this version",
}

TOKEN = re.compile(r'"(?:[^"\\\n]|\\.)*"|//[^\n]*|/\*.*?\*/|\'(?:[^\'\\\n]|\\.)*\'', re.S)
LITERAL_RUN = re.compile(r'QStringLiteral\(\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+)\)')
STRING = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
NAME = re.compile(r'inline\s+(?:const\s+)?QString\s+(\w+)')
ESCAPE = re.compile(r'\\(x[0-9A-Fa-f]+|[0-7]{1,3}|.)')
SIMPLE_ESCAPES = {'n': '\n', 'r': '\r', 't': '\t', '"': '"', "'": "'", '\\': '\\', '?': '?', '0': '\0'}


def without_comments(source):
    """The source with its comments blanked out; string and character literals stay as they are."""
    return TOKEN.sub(lambda m: ' ' if m.group(0).startswith('/') else m.group(0), source)


def unescape_c(body):
    """The text of a C string literal's body (UTF-8 source: escapes stand for characters here)."""
    def one(m):
        e = m.group(1)
        if e in SIMPLE_ESCAPES:
            return SIMPLE_ESCAPES[e]
        if e[0] == 'x':
            return chr(int(e[1:], 16))
        if e[0] in '01234567':
            return chr(int(e, 8))
        return e
    return ESCAPE.sub(one, body)


def templates_in(source):
    """(name, text) of every QStringLiteral: adjacent literals joined, the name of the inline
    constant or function it belongs to (or None)."""
    code = without_comments(source)
    found = []
    for m in LITERAL_RUN.finditer(code):
        text = ''.join(unescape_c(s) for s in STRING.findall(m.group(1)))
        names = NAME.findall(code, 0, m.start())
        found.append((names[-1] if names else None, text))
    return found


def japanese_literals_in(source):
    """Every string literal of the source that holds a character outside ASCII."""
    code = without_comments(source)
    texts = (unescape_c(s) for s in STRING.findall(code))
    return [(None, t) for t in texts if any(ord(c) > 127 for c in t)]


def pieces(text):
    """The fixed pieces of a template that a reader sees."""
    parts = re.split(r'%\d+|\r\n|\n|\r|\|', text)
    return [p for p in (normalised(p) for p in parts) if len(p) >= MIN_PIECE]


def normalised(text):
    return re.sub(r'\s+', ' ', text).strip()


BLOCK_TAGS = ('p', 'div', 'br', 'li', 'ul', 'ol', 'dl', 'dt', 'dd', 'tr', 'td', 'th', 'table', 'thead',
              'tbody', 'caption', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6', 'pre', 'blockquote', 'figure',
              'figcaption', 'section', 'header', 'footer', 'nav', 'hr', 'title', 'body', 'html', 'head')


def guide_text(page):
    """What a reader of the page reads: no markup, entities unescaped, white space as one blank.
    Block elements and line breaks separate texts; inline elements do not."""
    page = re.sub(r'<!--.*?-->', ' ', page, flags=re.S)
    page = re.sub(r'<(style|script)\b.*?</\1\s*>', ' ', page, flags=re.S | re.I)

    def tag(m):
        return ' ' if m.group(1).lower() in BLOCK_TAGS else ''
    page = re.sub(r'</?([A-Za-z][A-Za-z0-9]*)\b[^>]*>', tag, page)
    return normalised(html.unescape(page))


def missing(sources, page):
    """(file, name, piece) of every piece that the page does not hold. `sources` maps a file name
    to (its text, whether all its QStringLiterals count or only its Japanese literals)."""
    text = guide_text(page)
    gaps = []
    for path, (source, all_templates) in sources.items():
        entries = templates_in(source) if all_templates else japanese_literals_in(source)
        for name, template in entries:
            if name in NOT_SHOWN:
                continue
            for piece in pieces(template):
                if piece not in text:
                    gaps.append((path, name, piece))
    return gaps


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def sources_of(root):
    sources = {}
    for rel in TEMPLATE_FILES:
        sources[rel] = (read(os.path.join(root, rel)), True)
    rels = list(SOURCE_FILES)
    for folder in SOURCE_FOLDERS:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            rels += [os.path.relpath(os.path.join(dirpath, f), root) for f in files
                     if f.endswith(('.cpp', '.h'))]
    for rel in sorted(rels):
        if rel not in sources:
            sources[rel] = (read(os.path.join(root, rel)), False)
    return sources


def check(root):
    sources = sources_of(root)
    counts = {rel: len(templates_in(sources[rel][0])) for rel in TEMPLATE_FILES}
    for rel, count in counts.items():
        # A parse that finds nothing would pass whatever the guide says.
        if count == 0:
            print(f"FAILED: no QStringLiteral found in {rel}: the parser no longer fits the source")
            return 1
    gaps = missing(sources, read(os.path.join(root, GUIDE)))
    for path, name, piece in gaps:
        print(f"not in {GUIDE}: {piece!r} ({path}{': ' + name if name else ''})")
    checked = sum(counts.values())
    if gaps:
        print(f"FAILED: {len(gaps)} piece(s) of the launcher's texts are not explained in {GUIDE}")
        return 1
    print(f"{GUIDE} quotes every fixed piece of the {checked} texts of "
          f"{' and '.join(TEMPLATE_FILES)} and the Japanese literals of the other sources")
    return 0


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 2
    return check(argv[1])


if __name__ == '__main__':
    sys.exit(main(sys.argv))

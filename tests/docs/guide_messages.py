#!/usr/bin/env python3
"""Checks that the Japanese user guide explains every message that the launcher can show.

Each QStringLiteral of core/Texts.h (the messages, captions and filters) and platform/Reasons.h (the
reasons shown after a message's first line) is cut at %1, %2, ... (a path, a name or a number), at
its line breaks and at a filter's "|"; every piece of MIN_PIECE characters or more must stand in the
text of docs/ja/guide.html (markup removed, entities unescaped, white space as one blank).

    guide_messages.py SOURCE_DIR
"""

import html
import os
import re
import sys

MIN_PIECE = 4
GUIDE = os.path.join('docs', 'ja', 'guide.html')
SOURCES = (os.path.join('core', 'Texts.h'), os.path.join('platform', 'Reasons.h'))
# Texts that the launcher holds but never shows.
NOT_SHOWN = {'ToolViewer'}  # the viewer's button and popup are hidden

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
    page = re.sub(r'<!--.*?-->|<(style|script)\b.*?</\1\s*>', ' ', page, flags=re.S | re.I)
    page = re.sub(r'<(?:br|/?(?:p|div|li|ul|ol|dt|dd|tr|td|th|table|h\d|pre|figure|figcaption))\b[^>]*>',
                  ' ', page, flags=re.I)
    return blanks(html.unescape(re.sub(r'<[^>]*>', '', page)))


def main(root):
    with open(os.path.join(root, GUIDE), encoding='utf-8') as f:
        text = guide_text(f.read())
    checked, gaps = 0, []
    for rel in SOURCES:
        with open(os.path.join(root, rel), encoding='utf-8') as f:
            source = re.sub(r'//[^\n]*', '', f.read())
        for name, literals in LITERALS.findall(source):
            checked += 1
            if name in NOT_SHOWN:
                continue
            template = ''.join(unescape(s) for s in STRING.findall(literals))
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

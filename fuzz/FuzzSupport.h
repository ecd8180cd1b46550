// Shared pieces of the fuzz targets: turning fuzz bytes into text that is rich in the characters
// our formats care about, the real platform on a folder of its own, and property checks that stop
// the run with a message.
#pragma once

#include "tests/support/FolderPlatform.h"

#include <QFile>
#include <QTemporaryDir>

#include <QByteArray>
#include <QMap>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tolv::fuzz {

// A failed property: print what was expected and stop, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "property violated: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

#define FUZZ_CHECK(cond, detail)                                                                   \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::tolv::fuzz::fail(#cond, (detail));                                                   \
    } while (0)

// Bytes below 0x80 are themselves; the others pick one of the characters below, which cover
// the narrow encoding's hard cases (lone and paired surrogates, NUL, BOM, wide and half-width
// forms, other blanks) without making the fuzzer find multi-byte sequences by chance.
inline QString fuzzText(const uint8_t *data, size_t size)
{
    static const char16_t wide[] = {
        u'\u00e9', u'\u65e5', u'\uff08', u'\uff09', u'\u3000', u'\u00a0', u'\ufeff', u'\uff71',
        u'\ufffd', u'\u0000', u'\u2028', u'\u0085', 0xd800,    0xdc00,    0xd83d,    0xde00,
    };
    QString text;
    text.reserve(qsizetype(size));
    for (size_t i = 0; i < size; ++i)
        text.append(data[i] < 0x80 ? QChar(char16_t(data[i])) : QChar(wide[data[i] & 0x0f]));
    return text;
}

// The real platform on a folder of its own, made once per fuzzing process, so that files are
// bytes read and written as the launcher reads and writes them.
inline test::FolderPlatform &folderPlatform()
{
    static QTemporaryDir dir;
    static test::FolderPlatform p(dir.path());
    return p;
}

inline void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fail("cannot write the fuzz input", path);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline QString show(const QStringList &list)
{
    QString s;
    for (const QString &item : list) {
        s += QLatin1Char('[');
        for (QChar c : item)
            s += c.unicode() < 0x20 || c.unicode() > 0x7e
                    ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                    : QString(c);
        s += QLatin1String("] ");
    }
    return s;
}

} // namespace tolv::fuzz

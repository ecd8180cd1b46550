// Shared pieces of the fuzz targets: turning fuzz bytes into text that is rich in the characters
// our formats care about, an in-memory platform that stores bytes, and property checks that stop
// the run with a message.
#pragma once

#include "platform/QtPlatform.h"
#include "tests/support/FakePlatform.h"

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

// The fake platform, but files are bytes in the narrow encoding, read and written through the
// launcher's own conversions, as the real file system would see them.
class MemoryPlatform : public test::FakePlatform
{
public:
    QMap<QString, QByteArray> bytes;

    Existence fileExists(const QString &path) override
    {
        return bytes.contains(path) ? Existence::Present : Existence::Absent;
    }

    std::unique_ptr<FieldSource> openFields(const QString &path) override
    {
        if (!bytes.contains(path))
            return nullptr;
        return std::make_unique<Reader>(fromNarrow(bytes.value(path)));
    }

    Outcome writeLines(const QString &path, const QStringList &lines) override
    {
        QString text;
        for (const QString &line : lines)
            text += line + QStringLiteral("\r\n");
        const std::optional<QByteArray> narrow = toNarrow(text);
        if (!narrow)
            return Outcome::failure(QStringLiteral("not representable"));
        bytes[path] = *narrow;
        return Outcome::success();
    }

private:
    class Reader : public FieldSource
    {
    public:
        explicit Reader(const QString &text) : m_reader(text) {}
        std::optional<QString> next() override { return m_reader.next(); }

    private:
        FieldReader m_reader;
    };
};

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

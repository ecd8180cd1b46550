#include "Fields.h"

#include "Texts.h"

namespace tolv {

std::optional<QString> FieldReader::next()
{
    if (atEnd())
        return std::nullopt;
    if (m_text.at(m_pos) == u'"') {
        const qsizetype start = m_pos + 1;
        qsizetype close = m_text.indexOf(u'"', start);
        if (close < 0) {
            close = m_text.size();
            m_quoteOpen = true;
        }
        QString value = m_text.mid(start, close - start);
        m_pos = close + 1;
        skipDelimiter();
        return value;
    }
    const qsizetype start = m_pos;
    while (m_pos < m_text.size()) {
        const QChar c = m_text.at(m_pos);
        if (c == u',' || c == u'\r' || c == u'\n')
            break;
        ++m_pos;
    }
    QString value = m_text.mid(start, m_pos - start);
    skipDelimiter();
    return value;
}

// Skips to just past the next comma or line end.
void FieldReader::skipDelimiter()
{
    while (m_pos < m_text.size()) {
        const QChar c = m_text.at(m_pos++);
        if (c == u',' || c == u'\n')
            return;
        if (c == u'\r') {
            if (m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
                ++m_pos;
            return;
        }
    }
}

Result<Fields> leadingFields(const QString &text, bool whole, int count)
{
    FieldReader reader(text);
    Fields fields;
    for (int i = 0; i < count; ++i) {
        fields << reader.next();
        // The start ends at a line end, so an unquoted field is whole; the rest of the file may
        // hold what ran out here.
        if (!whole && (!fields.last() || reader.quoteOpen()))
            return failure(FailureKind::TooLarge, text::FieldsTooLong);
    }
    return success(fields);
}

QString trimSpaces(const QString &s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == u' ')
        ++b;
    while (e > b && s.at(e - 1) == u' ')
        --e;
    return s.mid(b, e - b);
}

int instr(const QString &in, const QString &what)
{
    return int(in.indexOf(what, 0, Qt::CaseSensitive) + 1);
}

} // namespace tolv

// Field-by-field reading of the suite's text files (run.dat, the analysis-type file).
#pragma once

#include "platform/Result.h"

#include <QList>
#include <QString>

#include <optional>

namespace tolv {

// Reads fields one after the other from decoded text. An unquoted field ends at the first comma or
// line end (CR LF, LF or CR), which is consumed; a field that begins with a double quote runs to the
// next double quote, the quotes not being part of it, and what follows up to the delimiter is skipped.
// An empty line is an empty field. Reading past the end gives nothing.
class FieldReader
{
public:
    explicit FieldReader(QString text) : m_text(std::move(text)) {}
    std::optional<QString> next();
    bool atEnd() const { return m_pos >= m_text.size(); }
    // Did a quoted field run to the end of the text without its closing quote?
    bool quoteOpen() const { return m_quoteOpen; }

private:
    void skipDelimiter();
    QString m_text;
    qsizetype m_pos = 0;
    bool m_quoteOpen = false;
};

// The first `count` fields of a text file's start; fewer when the file holds fewer. A failure (of
// kind TooLarge) when the start is not the whole file and the fields might go on past it.
using Fields = QList<std::optional<QString>>;
Result<Fields> leadingFields(const QString &text, bool whole, int count);

// Removes leading and trailing spaces (only U+0020; tabs and other blanks stay).
QString trimSpaces(const QString &s);

// 1-based position of the first exact occurrence of `what` in `in`, 0 when absent.
int instr(const QString &in, const QString &what);

} // namespace tolv

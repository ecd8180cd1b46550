// Field-by-field reading of the suite's text files (run.dat, the analysis-type file).
#pragma once

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

private:
    void skipDelimiter();
    QString m_text;
    qsizetype m_pos = 0;
};

// Removes leading and trailing spaces (only U+0020; tabs and other blanks stay).
QString trimSpaces(const QString &s);

// 1-based position of the first exact occurrence of `what` in `in`, 0 when absent.
int instr(const QString &in, const QString &what);

} // namespace tolv

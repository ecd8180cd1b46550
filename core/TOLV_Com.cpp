#include "TOLV_Com.h"

#include "Fields.h"
#include "Texts.h"

#include <algorithm>

namespace tolv {

TOLV_Com &TOLV_Com::shared()
{
    static TOLV_Com com;
    return com;
}

void TOLV_Com::setFileSet(const QString &base)
{
    File_Dat = base + suffix::Dat;
    File_Ana = base + suffix::Ana;
    File_Out = base + suffix::Out;
    File_Fem = base + suffix::Fem;
    File_IndIn = base + suffix::IndIn;
}

qint16 TOLV_Com::Read_RunDat(Platform &p, Telling tell)
{
    const QString path = p.appPath(RunDatName);
    // A failing existence test does not stop the reading: the read below decides.
    if (p.fileExists(path) == Existence::Absent)
        return -9;
    const Result<TextStart> read = p.readText(path);
    const auto fields = read.ok() ? leadingFields(read.value().text, read.value().whole, 5) : std::nullopt;
    if (!fields) {
        if (tell != TellNothing) {
            p.critical(text::MessageTitle,
                       text::cannotRead(path, read.ok() ? text::FieldsTooLong : read.reason()));
        }
        return ReadFailed;
    }
    // Only a whole record is used: with part of it taken from memory, the starts would mix two
    // analyses, and a path that did not decode names a look-alike of the recorded file.
    const qsizetype given = std::count_if(fields->cbegin(), fields->cend(),
                                          [](const std::optional<QString> &f) { return f.has_value(); });
    const bool undecodable = std::any_of(fields->cbegin(), fields->cend(), [](const std::optional<QString> &f) {
        return f && f->contains(QChar::ReplacementCharacter);
    });
    if (given < 5 || undecodable) {
        if (tell == TellAll) {
            p.critical(text::MessageTitle,
                       text::cannotRead(path, undecodable ? text::RecordUndecodable
                                                          : text::recordIncomplete(int(given))));
        }
        return Damaged;
    }
    QString *const record[] = {&File_Dat, &File_Ana, &File_Out, &File_Fem, &File_IndIn};
    for (int i = 0; i < 5; ++i)
        *record[i] = *fields->at(i);
    return trimSpaces(File_Dat).isEmpty() ? 0 : 1;
}

int suffixPosition(const Platform &p, const QString &path, const QString &suffix)
{
    const qsizetype nameStart = std::max(path.lastIndexOf(p.separator()), path.lastIndexOf(u'/')) + 1;
    const qsizetype at = path.indexOf(suffix, nameStart, Qt::CaseSensitive);
    return at < 0 ? 0 : int(at + 1);
}

Result<QString> storedField(const QString &field)
{
    if (field.contains(u'\r') || field.contains(u'\n'))
        return Result<QString>::failure(text::pathHoldsLineEnd(field));
    if (field.contains(QChar(0)))
        return Result<QString>::failure(text::pathHoldsNul(field));
    if (field.startsWith(u'"'))
        return Result<QString>::failure(text::pathStartsWithQuote(field));
    const bool needsQuotes = field.contains(u',') || field.startsWith(u' ') || field.endsWith(u' ');
    if (!needsQuotes)
        return field;
    if (field.contains(u'"'))
        return Result<QString>::failure(text::pathQuoteNeedsQuotes(field));
    return u'"' + field + u'"';
}

QString crlfLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    return text;
}

Result<QString> TOLV_Com::runDatText(const Platform &p) const
{
    QStringList lines;
    for (const QString &field : runRecord()) {
        const Result<QString> stored = storedField(field);
        if (!stored.ok())
            return stored;
        lines << stored.value();
    }
    QString text = crlfLines(lines);
    const Outcome narrow = p.encodable(text);
    if (!narrow.ok())
        return Result<QString>::failure(narrow.reason());
    return text;
}

Outcome TOLV_Com::Write_RunDat(Platform &p) const
{
    const Result<QString> text = runDatText(p);
    if (!text.ok())
        return Outcome::failure(text.reason());
    return p.replaceFile(p.appPath(RunDatName), text.value());
}

void TOLV_Com::Exec_Program(Platform &p, qint16 InAppFolder, const QString &ProgramFile,
                            const QString &ToolName, const QString &ArgText)
{
    const QString path = InAppFolder == 1 ? p.appPath(ProgramFile) : ProgramFile;
    // A failing existence test counts as a missing program.
    if (p.fileExists(path) != Existence::Present) {
        p.critical(text::MessageTitle, text::notFound(ToolName, path));
        return;
    }
    const Outcome started = p.start(path, trimSpaces(ArgText));
    if (!started.ok())
        p.critical(text::MessageTitle, text::cannotStart(ToolName, path, started.reason()));
}

void reportWriteFailure(Platform &p, const QString &path, const QString &reason)
{
    p.critical(text::MessageTitle, text::cannotWrite(path, reason));
}

} // namespace tolv

#include "TOLV_Com.h"

#include "Fields.h"
#include "Texts.h"
#include "platform/FileNames.h"

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

Result<qint16> TOLV_Com::Read_RunDat(Platform &p)
{
    const QString path = p.appPath(RunDatName);
    // A failing existence test does not stop the reading: the read below decides.
    const Result<Entry> entry = p.fileExists(path);
    if (entry.ok() && entry.value() == Entry::None)
        return success(qint16(-9));
    const Result<Fields> fields = fileFields(p, path, 5);
    if (!fields.ok())
        return failure(fields.kind(), text::cannotRead(path, fields.reason()));
    // Only a whole record is used: with part of it taken from memory, the starts would mix two
    // analyses, and a path that did not decode names a look-alike of the recorded file.
    const Fields &given = fields.value();
    const qsizetype count = std::count_if(given.cbegin(), given.cend(),
                                          [](const std::optional<QString> &f) { return f.has_value(); });
    const bool undecodable = std::any_of(given.cbegin(), given.cend(), [](const std::optional<QString> &f) {
        return f && f->contains(QChar::ReplacementCharacter);
    });
    if (count < 5 || undecodable) {
        return failure(FailureKind::Damaged,
                       text::cannotRead(path, undecodable ? text::RecordUndecodable
                                                          : text::recordIncomplete(int(count))));
    }
    QString *const record[] = {&File_Dat, &File_Ana, &File_Out, &File_Fem, &File_IndIn};
    for (int i = 0; i < 5; ++i)
        *record[i] = *given.at(i);
    return success(qint16(trimSpaces(File_Dat).isEmpty() ? 0 : 1));
}

int suffixPosition(const Platform &p, const QString &path, const QString &suffix)
{
    const qsizetype nameStart = fileNameStart(path, p.separator(), Separators::NativeAndSlash);
    const qsizetype at = path.indexOf(suffix, nameStart, Qt::CaseSensitive);
    return at < 0 ? 0 : int(at + 1);
}

Result<Fields> fileFields(Platform &p, const QString &path, int count)
{
    const Result<TextStart> read = p.readText(path);
    if (!read.ok())
        return read.failure();
    return leadingFields(read.value().text, read.value().whole, count);
}

Outcome writeFile(Platform &p, const QString &path, const QString &text)
{
    const Outcome written = p.replaceFile(path, text);
    if (!written.ok())
        return failure(written.kind(), text::cannotWrite(path, written.reason()));
    return success();
}

Result<QString> storedField(const QString &field)
{
    if (field.contains(u'\r') || field.contains(u'\n'))
        return failure(FailureKind::NotStorable, text::pathHoldsLineEnd(field));
    if (field.contains(QChar(0)))
        return failure(FailureKind::NotStorable, text::pathHoldsNul(field));
    if (field.startsWith(u'"'))
        return failure(FailureKind::NotStorable, text::pathStartsWithQuote(field));
    const bool needsQuotes = field.contains(u',') || field.startsWith(u' ') || field.endsWith(u' ');
    if (!needsQuotes)
        return success(field);
    if (field.contains(u'"'))
        return failure(FailureKind::NotStorable, text::pathQuoteNeedsQuotes(field));
    return success(u'"' + field + u'"');
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
        return narrow.failure();
    return success(text);
}

Outcome TOLV_Com::Write_RunDat(Platform &p) const
{
    const Result<QString> text = runDatText(p);
    if (!text.ok())
        return text.failure();
    return p.replaceFile(p.appPath(RunDatName), text.value());
}

void TOLV_Com::Exec_Program(Platform &p, qint16 InAppFolder, const QString &ProgramFile,
                            const QString &ToolName, const QString &ArgText)
{
    const Outcome started = launch(p, InAppFolder, ProgramFile, ToolName, ArgText);
    if (!started.ok())
        tell(p, started.failure());
}

Outcome TOLV_Com::launch(Platform &p, qint16 InAppFolder, const QString &ProgramFile,
                         const QString &ToolName, const QString &ArgText)
{
    const QString path = InAppFolder == 1 ? p.appPath(ProgramFile) : ProgramFile;
    // A failing existence test counts as a missing program.
    const Result<Entry> entry = p.fileExists(path);
    if (!entry.ok() || entry.value() != Entry::File)
        return failure(FailureKind::Missing, text::notFound(ToolName, path));
    const Outcome started = p.start(path, trimSpaces(ArgText));
    if (!started.ok())
        return failure(started.kind(), text::cannotStart(ToolName, path, started.reason()));
    return success();
}

void tell(Platform &p, const Failure &failed)
{
    p.critical(failed.kind == FailureKind::NameRejected ? p.appTitle() : text::MessageTitle, failed.reason);
}

} // namespace tolv

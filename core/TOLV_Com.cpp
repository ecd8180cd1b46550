#include "TOLV_Com.h"

#include "Fields.h"
#include "Texts.h"

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

qint16 TOLV_Com::Read_RunDat(Platform &p)
{
    const QString path = p.appPath(RunDatName);
    // A failing existence test does not stop the reading: the open below decides.
    if (p.fileExists(path) == Existence::Absent)
        return -9;
    const std::unique_ptr<FieldSource> fields = p.openFields(path);
    for (QString *field : {&File_Dat, &File_Ana, &File_Out, &File_Fem, &File_IndIn}) {
        if (!fields)
            break;
        if (std::optional<QString> value = fields->next())
            *field = *value;
    }
    return trimSpaces(File_Dat).isEmpty() ? 0 : 1;
}

std::optional<QString> storedField(const QString &field, QString *why)
{
    auto refuse = [&](const char *reason) -> std::optional<QString> {
        if (why)
            *why = QString::fromUtf8(reason) + field;
        return std::nullopt;
    };
    if (field.contains(u'\r') || field.contains(u'\n'))
        return refuse("ファイル名に改行文字が含まれています: ");
    if (field.startsWith(u'"'))
        return refuse("ファイル名が二重引用符で始まっています: ");
    const bool needsQuotes = field.contains(u',') || field.startsWith(u' ') || field.endsWith(u' ');
    if (!needsQuotes)
        return field;
    if (field.contains(u'"'))
        return refuse("ファイル名に二重引用符とカンマまたは前後の空白が含まれています: ");
    return u'"' + field + u'"';
}

Outcome TOLV_Com::Write_RunDat(Platform &p) const
{
    QStringList lines;
    for (const QString &field : runRecord()) {
        QString why;
        const std::optional<QString> stored = storedField(field, &why);
        if (!stored)
            return Outcome::failure(why);
        lines << *stored;
    }
    return p.writeLines(p.appPath(RunDatName), lines);
}

void TOLV_Com::Exec_Program(Platform &p, qint16 InAppFolder, const QString &ProgramFile,
                            const QString &ToolName, const QString &ArgText)
{
    const QString path = InAppFolder == 1 ? p.appPath(ProgramFile) : ProgramFile;
    // A failing existence test counts as a missing program.
    if (p.fileExists(path) != Existence::Present) {
        p.critical(text::MessageTitle, ToolName + text::OpenParen + path + text::NotFoundTail);
        return;
    }
    const Outcome started = p.startProgram(path, trimSpaces(ArgText));
    if (!started.ok) {
        p.critical(text::MessageTitle, ToolName + text::OpenParen + path + text::CannotStartTail
                                           + text::CrLf + started.reason);
    }
}

void reportWriteFailure(Messages &m, const QString &path, const QString &reason)
{
    m.critical(text::MessageTitle, path + text::CannotWriteTail + text::CrLf + reason);
}

} // namespace tolv

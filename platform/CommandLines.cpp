#include "CommandLines.h"

namespace tolv {

bool isBatchFile(const QString &path)
{
    return path.endsWith(QLatin1String(".bat"), Qt::CaseInsensitive)
        || path.endsWith(QLatin1String(".cmd"), Qt::CaseInsensitive);
}

namespace win {

QString commandLine(const QString &programPath, const QString &argText)
{
    QString line = u'"' + programPath + u'"';
    if (!argText.isEmpty())
        line += u' ' + argText;
    return line;
}

std::optional<QString> batchArguments(const QString &batchPath)
{
    for (const QChar c : batchPath) {
        if (c == u'"' || c == u'%' || c == u'\r' || c == u'\n')
            return std::nullopt;
    }
    return QStringLiteral("/d /c \"\"") + batchPath + QStringLiteral("\"\"");
}

} // namespace win

namespace posix {

StartCommand programCommand(const QString &programPath, const QString &argText)
{
    StartCommand cmd{programPath, {}};
    if (!argText.isEmpty())
        cmd.arguments << argText;
    return cmd;
}

StartCommand batchCommand(const QString &interpreter, const QString &batchPath,
                          const QString &terminal)
{
    if (terminal.isEmpty())
        return {interpreter, {batchPath}};
    // Always two words after -e: some terminals hand a single word to a shell.
    return {terminal, {QStringLiteral("-e"), interpreter, batchPath}};
}

} // namespace posix

} // namespace tolv

#include "CommandLines.h"

#include "Reasons.h"

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

Result<QString> batchArguments(const QString &batchPath)
{
    for (const QChar c : batchPath) {
        if (c == u'"' || c == u'%' || c == u'\r' || c == u'\n')
            return failure(FailureKind::NameNotExact, reason::batchPathSpecial());
    }
    return success(QStringLiteral("/d /c \"\"") + batchPath + QStringLiteral("\"\""));
}

FolderProblem batchFolderProblem(const QString &folder)
{
    // The extended form \\?\ lifts the limit for programs that know it; cmd.exe is not one of them.
    QString path = folder;
    const QLatin1String extended("\\\\?\\");
    if (path.startsWith(extended)) {
        path = path.mid(extended.size());
        if (path.startsWith(QLatin1String("UNC\\"), Qt::CaseInsensitive))
            return FolderProblem::Network;
    }
    if (path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//")))
        return FolderProblem::Network;
    return path.size() > BatchFolderLimit ? FolderProblem::TooLong : FolderProblem::None;
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

Terminal terminalKind(const QString &programPath)
{
    const QString name = programPath.section(u'/', -1);
    if (name == QLatin1String("xterm") || name == QLatin1String("lxterm") || name == QLatin1String("uxterm"))
        return Terminal::Xterm;
    if (name == QLatin1String("gnome-terminal") || name == QLatin1String("gnome-terminal.wrapper"))
        return Terminal::GnomeTerminal;
    if (name == QLatin1String("konsole"))
        return Terminal::Konsole;
    if (name == QLatin1String("xfce4-terminal") || name == QLatin1String("xfce4-terminal.wrapper"))
        return Terminal::Xfce4Terminal;
    if (name == QLatin1String("lxterminal"))
        return Terminal::Lxterminal;
    return Terminal::None;
}

TerminalChoice chooseTerminal(const std::function<QString(const QString &)> &find,
                              const std::function<QString(const QString &)> &resolve)
{
    const QString chosen = find(QStringLiteral("x-terminal-emulator"));
    if (!chosen.isEmpty()) {
        const QString real = resolve(chosen);
        const Terminal kind = terminalKind(real);
        // Debian's wrappers translate -e for the real program, which is started directly instead.
        if (kind != Terminal::None && real.endsWith(QLatin1String(".wrapper"))) {
            const QString program = find(real.section(u'/', -1).chopped(8));
            if (!program.isEmpty())
                return {kind, program};
        } else if (kind != Terminal::None) {
            return {kind, chosen};
        }
    }
    for (const char *name : {"gnome-terminal", "konsole", "xfce4-terminal", "lxterminal", "xterm"}) {
        const QString path = find(QLatin1String(name));
        if (!path.isEmpty())
            return {terminalKind(path), path};
    }
    return {};
}

StartCommand inTerminal(const TerminalChoice &terminal, const QStringList &command,
                        const QString &workDir)
{
    QStringList args;
    switch (terminal.kind) {
    case Terminal::None:
        return {command.value(0), command.mid(1)};
    case Terminal::Xterm: // -e program [arguments...], the last option; the folder is inherited
        args << QStringLiteral("-e");
        break;
    case Terminal::GnomeTerminal: // everything after -- is the program and its arguments
        args << QStringLiteral("--working-directory=") + workDir << QStringLiteral("--");
        break;
    case Terminal::Konsole: // -e takes all that follows
        args << QStringLiteral("--workdir") << workDir << QStringLiteral("-e");
        break;
    case Terminal::Xfce4Terminal: // -x: the remainder of the command line (-e takes one string)
        args << QStringLiteral("--working-directory=") + workDir << QStringLiteral("-x");
        break;
    case Terminal::Lxterminal: // -e, the last option, takes the program and its arguments
        args << QStringLiteral("--working-directory=") + workDir << QStringLiteral("-e");
        break;
    }
    return {terminal.path, args + command};
}

StartCommand batchCommand(const QString &interpreter, const QString &batchPath,
                          const TerminalChoice &terminal, const QString &workDir)
{
    if (terminal.kind == Terminal::None)
        return {interpreter, {QStringLiteral("--window"), batchPath}};
    // Always two words after the option: some terminals hand a single word to a shell.
    return inTerminal(terminal, {interpreter, batchPath}, workDir);
}

} // namespace posix

} // namespace tolv

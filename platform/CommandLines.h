// How a program path and its argument text become what the operating system starts.
// Pure functions, so that the Windows composition is tested on every platform.
#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tolv {

struct StartCommand
{
    QString program;
    QStringList arguments;
};

// Batch files go to the command interpreter instead of being started themselves.
bool isBatchFile(const QString &path);

namespace win {
// The whole path in double quotes, then one blank and the raw argument text when there is one.
QString commandLine(const QString &programPath, const QString &argText);
// cmd.exe's arguments that run one batch file: /d /c and the quoted path, wrapped once more for
// cmd's quote stripping. A failure (kind NameNotExact) when the path holds a character that cmd
// would expand or split on.
Result<QString> batchArguments(const QString &batchPath);

// Why cmd.exe cannot run a batch file of this folder with the folder as its current one: a network
// path (\\server\share\...), which it never makes current (it falls back to the Windows folder,
// where the batch file's programs are not found), or a folder so long that the batch file and the
// programs beside it (a name of up to ten characters) pass the 259 characters of a path it takes.
enum class FolderProblem { None, Network, TooLong };
inline constexpr int BatchFolderLimit = 259 - 11;
FolderProblem batchFolderProblem(const QString &folder);
} // namespace win

namespace posix {
// The batch interpreter that lies beside the launcher where the system has none.
inline constexpr char BatchInterpreterName[] = "tolvbat";
// A program gets the trimmed argument text as one argument, blanks included.
StartCommand programCommand(const QString &programPath, const QString &argText);

// Terminal emulators whose way of taking a program and its arguments is known, each argument
// passed on as it is (never as one command line for a shell).
enum class Terminal { None, Xterm, GnomeTerminal, Konsole, Xfce4Terminal, Lxterminal };
struct TerminalChoice
{
    Terminal kind = Terminal::None;
    QString path;
};
// Which terminal a program is, by the name of its file (xterm and its lxterm and uxterm, Debian's
// x-terminal-emulator wrappers of gnome-terminal and xfce4-terminal included); None when unknown.
Terminal terminalKind(const QString &programPath);
// The user's x-terminal-emulator when it leads to a known terminal, else the first known terminal
// on PATH, else none. `find` looks a name up on PATH (empty when absent), `resolve` follows links.
TerminalChoice chooseTerminal(const std::function<QString(const QString &)> &find,
                              const std::function<QString(const QString &)> &resolve);
// The command that runs `command` (a program and its arguments) in the terminal, in `workDir`.
StartCommand inTerminal(const TerminalChoice &terminal, const QStringList &command,
                        const QString &workDir);

// A batch file runs through our interpreter: inside the terminal when there is one, else in the
// interpreter's own console window.
StartCommand batchCommand(const QString &interpreter, const QString &batchPath,
                          const TerminalChoice &terminal, const QString &workDir);
} // namespace posix

} // namespace tolv

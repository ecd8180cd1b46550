// How a program path and its argument text become what the operating system starts.
// Pure functions, so that the Windows composition is tested on every platform.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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
// cmd's quote stripping. Nothing when the path holds a character that cmd would expand or split on.
std::optional<QString> batchArguments(const QString &batchPath);
} // namespace win

namespace posix {
// The batch interpreter that lies beside the launcher where the system has none.
inline constexpr char BatchInterpreterName[] = "tolvbat";
// A program gets the trimmed argument text as one argument, blanks included.
StartCommand programCommand(const QString &programPath, const QString &argText);
// A batch file runs through our interpreter, inside a terminal emulator when there is one.
StartCommand batchCommand(const QString &interpreter, const QString &batchPath,
                          const QString &terminal);
} // namespace posix

} // namespace tolv

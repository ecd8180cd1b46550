#include "QtPlatform.h"

#include "CommandLines.h"
#include "core/Fields.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <string>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;
#endif

namespace tolv {

QString fromNarrow(const QByteArray &bytes)
{
    // Stateless: an incomplete sequence at the end becomes U+FFFD instead of being held back for
    // bytes that never come, which would silently shorten the last path.
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

std::optional<QByteArray> toNarrow(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes = encoder.encode(text);
    // Some code pages put a look-alike in place of a missing character without an error, and the
    // decoder drops a byte-order mark at the start; decoding again tells.
    if (encoder.hasError() || fromNarrow(bytes) != text)
        return std::nullopt;
    return bytes;
}

QString QtPlatform::appFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QChar QtPlatform::separator() const
{
    return QDir::separator();
}

QString QtPlatform::appTitle() const
{
    return QCoreApplication::applicationName();
}

Existence QtPlatform::fileExists(const QString &path)
{
    if (path.isEmpty())
        return Existence::Absent;
    if (path.contains(QChar(0)))
        return Existence::Error;
    return QFileInfo(path).isFile() ? Existence::Present : Existence::Absent;
}

namespace {

class TextFields : public FieldSource
{
public:
    explicit TextFields(const QString &text) : m_reader(text) {}
    std::optional<QString> next() override { return m_reader.next(); }

private:
    FieldReader m_reader;
};

} // namespace

std::unique_ptr<FieldSource> QtPlatform::openFields(const QString &path)
{
    if (QFileInfo(path).isDir())
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return nullptr;
    return std::make_unique<TextFields>(fromNarrow(bytes));
}

Outcome QtPlatform::writeLines(const QString &path, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    const std::optional<QByteArray> bytes = toNarrow(text);
    if (!bytes) {
        return Outcome::failure(QString::fromUtf8(
                "システムの文字コードで表せない文字がファイル名に含まれています"));
    }
    QSaveFile file(path);
    // Unbuffered: a buffered write fails only in commit()'s flush, whose error commit() ignores; it
    // then puts the empty file in place of the old one (seen with a full disk).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Outcome::failure(file.errorString());
    // A short write is retried, so that a full disk is reported with its own reason.
    for (qint64 done = 0; done < bytes->size();) {
        const qint64 n = file.write(bytes->constData() + done, bytes->size() - done);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return Outcome::failure(why);
        }
        done += n;
    }
    if (!file.commit())
        return Outcome::failure(file.errorString());
    return Outcome::success();
}

Outcome QtPlatform::setCurrentDir(const QString &path)
{
    if (!QDir::setCurrent(path))
        return Outcome::failure(QDir::toNativeSeparators(path) + QLatin1String(": ") + qt_error_string());
    return Outcome::success();
}

QString QtPlatform::currentDir() const
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

void QtPlatform::critical(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.exec();
}

#ifndef Q_OS_WIN
namespace {

// Starts the command without waiting for it, in a session of its own, with default signal
// handling. posix_spawn does not copy the launcher's memory as fork() does, which took most of
// the time of a start (milliseconds for a process that shows a window); it still reports a
// program that cannot be executed. The child is reaped by a thread that sleeps until it ends.
Outcome spawnDetached(const StartCommand &cmd, bool nullInput)
{
    QList<QByteArray> args{QFile::encodeName(cmd.program)};
    for (const QString &argument : cmd.arguments)
        args << argument.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (nullInput)
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (error != 0)
        return Outcome::failure(qt_error_string(error));
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return Outcome::success();
}

} // namespace
#endif

Outcome QtPlatform::startProgram(const QString &program, const QString &argText)
{
    // Relative paths mean the current directory, never a search of PATH.
    const QString path = QDir::toNativeSeparators(QFileInfo(program).absoluteFilePath());
#ifdef Q_OS_WIN
    QProcess process;
    process.setWorkingDirectory(QDir::toNativeSeparators(QDir::currentPath()));
    QString line;
    if (isBatchFile(path)) {
        const std::optional<QString> args = win::batchArguments(path);
        if (!args) {
            return Outcome::failure(QString::fromUtf8(
                    "バッチファイルのパスにコマンドインタプリタが特別に扱う文字が含まれています"));
        }
        wchar_t system[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        const QString cmd = QString::fromWCharArray(system, int(n)) + QLatin1String("\\cmd.exe");
        process.setProgram(cmd);
        line = win::commandLine(cmd, *args);
    } else {
        process.setProgram(path);
        line = win::commandLine(path, argText);
    }
    // CreateProcess may write into the command line, so it gets a buffer of its own that outlives
    // the start. A console program gets a console of its own (Qt would give it none), and it must
    // use that console's handles, not the launcher's missing ones.
    std::wstring buffer = line.toStdWString();
    process.setCreateProcessArgumentsModifier([&buffer](QProcess::CreateProcessArguments *a) {
        a->arguments = buffer.data();
        a->flags = (a->flags & ~DWORD(CREATE_NO_WINDOW)) | CREATE_NEW_CONSOLE;
        a->startupInfo->dwFlags &= ~DWORD(STARTF_USESTDHANDLES);
    });
    if (!process.startDetached())
        return Outcome::failure(process.errorString());
    return Outcome::success();
#else
    StartCommand cmd;
    bool nullInput = false;
    if (isBatchFile(path)) {
        const QString interpreter =
                appPath(QString::fromLatin1(BatchInterpreterName));
        // Checked here: inside a terminal its failure would flash by unread.
        if (!QFileInfo(interpreter).isExecutable()) {
            return Outcome::failure(QString::fromUtf8("バッチファイルを実行するプログラムがありません: ")
                                    + interpreter);
        }
        const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        cmd = posix::batchCommand(interpreter, path, terminal);
        // Without a terminal nobody can answer PAUSE: it must not wait on the launcher's input.
        nullInput = terminal.isEmpty();
    } else {
        cmd = posix::programCommand(path, argText);
    }
    // In the current directory, which the started program inherits.
    return spawnDetached(cmd, nullInput);
#endif
}

namespace {

class QtOpenFileDialog : public OpenFileDialog
{
public:
    void setCancelError(bool on) override { m_cancelError = on; }
    void setTitle(const QString &title) override { m_dialog.setWindowTitle(title); }
    void setFilter(const QString &filter) override
    {
        // "description|pattern" becomes Qt's "description (pattern)".
        const qsizetype bar = filter.indexOf(u'|');
        if (bar < 0)
            m_dialog.setNameFilter(filter);
        else
            m_dialog.setNameFilter(filter.left(bar) + QLatin1String(" (") + filter.mid(bar + 1)
                                   + u')');
    }
    void setFlags(int flags) override { m_flags = flags; }
    std::optional<QString> showOpen() override
    {
        m_dialog.setAcceptMode(QFileDialog::AcceptOpen);
        m_dialog.setFileMode(QFileDialog::ExistingFile);
        const bool accepted = m_dialog.exec() == QDialog::Accepted;
        // A name typed and confirmed with Enter leaves the field's completion list on screen, where
        // it would swallow the next click; the dialog is only hidden, so close the list with it.
        for (QCompleter *completer : m_dialog.findChildren<QCompleter *>()) {
            if (completer->popup()->isVisible())
                completer->popup()->hide();
        }
        if (!accepted || m_dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return QDir::toNativeSeparators(m_dialog.selectedFiles().constFirst());
    }

private:
    QFileDialog m_dialog;
    bool m_cancelError = false;
    int m_flags = 0;
};

} // namespace

std::unique_ptr<OpenFileDialog> QtPlatform::newOpenFileDialog()
{
    return std::make_unique<QtOpenFileDialog>();
}

void QtPlatform::endProgram()
{
    // Leaves the event loop without close events; the windows go with the process.
    QCoreApplication::exit(0);
}

} // namespace tolv

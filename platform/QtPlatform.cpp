#include "QtPlatform.h"

#include "CommandLines.h"
#include "core/Fields.h"

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

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace tolv {

std::optional<QByteArray> toNarrow(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes = encoder.encode(text);
    // Also refuse text that would not decode back the same: the decoder drops a byte-order mark
    // at the start, so a path that begins with U+FEFF would lose it.
    if (encoder.hasError() || fromNarrow(bytes) != text)
        return std::nullopt;
    return bytes;
}

QString fromNarrow(const QByteArray &bytes)
{
    // Stateless: an incomplete sequence at the end becomes U+FFFD instead of being held back for
    // bytes that never come, which would silently shorten the last path.
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
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
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::failure(file.errorString());
    if (file.write(*bytes) != bytes->size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Outcome::failure(why);
    }
    if (!file.commit())
        return Outcome::failure(file.errorString());
    return Outcome::success();
}

Outcome QtPlatform::setCurrentDir(const QString &path)
{
    if (!QDir::setCurrent(path))
        return Outcome::failure(QDir::toNativeSeparators(path));
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

Outcome QtPlatform::startProgram(const QString &program, const QString &argText)
{
    // Relative paths mean the current directory, never a search of PATH.
    const QString path = QDir::toNativeSeparators(QFileInfo(program).absoluteFilePath());
    QProcess process;
    process.setWorkingDirectory(QDir::currentPath());
#ifdef Q_OS_WIN
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
    process.setCreateProcessArgumentsModifier([line](QProcess::CreateProcessArguments *a) {
        a->arguments = line;
        a->flags |= CREATE_NEW_CONSOLE;
    });
#else
    StartCommand cmd;
    if (isBatchFile(path)) {
        const QString interpreter =
                appPath(QString::fromLatin1(BatchInterpreterName));
        const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        cmd = posix::batchCommand(interpreter, path, terminal);
    } else {
        cmd = posix::programCommand(path, argText);
    }
    process.setProgram(cmd.program);
    process.setArguments(cmd.arguments);
#endif
    if (!process.startDetached())
        return Outcome::failure(process.errorString());
    return Outcome::success();
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
        if (m_dialog.exec() != QDialog::Accepted || m_dialog.selectedFiles().isEmpty())
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

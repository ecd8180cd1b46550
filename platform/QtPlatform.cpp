#include "QtPlatform.h"

#include "MessageBox.h"
#include "Native.h"
#include "Reasons.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QApplication>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace tolv {

QtPlatform::QtPlatform() : m_appFolder(native::executableFolder()) {}

QString QtPlatform::appFolder() const
{
    return m_appFolder.ok() ? m_appFolder.value() : QString();
}

QChar QtPlatform::separator() const
{
    return QDir::separator();
}

QString QtPlatform::appTitle() const
{
    return QCoreApplication::applicationName();
}

Result<Entry> QtPlatform::fileExists(const QString &path)
{
    if (path.isEmpty())
        return success(Entry::None);
    if (path.contains(QChar(0)))
        return failure(FailureKind::NameNotExact, reason::nameNotExact(path));
    const QFileInfo info(path);
    if (info.isFile())
        return success(Entry::File);
    return success(info.exists() ? Entry::Other : Entry::None);
}

Result<TextStart> QtPlatform::readText(const QString &path)
{
    const Result<QByteArray> read = native::readFile(path, native::ReadLimit);
    if (!read.ok())
        return read.failure();
    QByteArray bytes = read.value();
    const bool whole = bytes.size() <= native::ReadLimit;
    // A longer file is read as far as its last whole line within the limit: the fields wanted
    // stand at its start. Without a line end there, it is no file of ours.
    if (!whole) {
        const qsizetype lineEnd = bytes.lastIndexOf('\n', native::ReadLimit - 1);
        if (lineEnd < 0)
            return failure(FailureKind::TooLarge, reason::tooLarge(native::ReadLimit));
        bytes.truncate(lineEnd + 1);
    }
    return success(TextStart{native::decodeNarrow(bytes), whole});
}

namespace {

// The text in the narrow encoding, as long as it can be read back whole.
Result<QByteArray> narrowFile(const QString &text)
{
    const Result<QByteArray> bytes = native::encodeNarrow(text);
    if (!bytes.ok())
        return bytes;
    if (bytes.value().size() > native::ReadLimit)
        return failure(FailureKind::TooLarge, reason::tooLong(native::ReadLimit));
    return bytes;
}

} // namespace

Outcome QtPlatform::encodable(const QString &text) const
{
    const Result<QByteArray> bytes = narrowFile(text);
    if (!bytes.ok())
        return bytes.failure();
    return success();
}

Outcome QtPlatform::replaceFile(const QString &path, const QString &text)
{
    const Result<QByteArray> bytes = narrowFile(text);
    if (!bytes.ok())
        return bytes.failure();
    return native::replaceFile(path, bytes.value());
}

Outcome QtPlatform::setCurrentDir(const QString &path)
{
    if (!QDir::setCurrent(path))
        return failure(FailureKind::System, QDir::toNativeSeparators(path) + QLatin1String(": ") + qt_error_string());
    return success();
}

Outcome QtPlatform::batchFolderUsable(const QString &folder) const
{
    return native::batchFolderUsable(folder);
}

void QtPlatform::critical(const QString &title, const QString &text)
{
    MessageBox::critical(title, text);
}

Outcome QtPlatform::start(const QString &program, const QString &argText)
{
    // Relative paths mean the current directory, never a search of PATH.
    const QString path = QDir::toNativeSeparators(QFileInfo(program).absoluteFilePath());
    return native::start(path, argText, appFolder());
}

std::optional<QString> QtPlatform::chooseOpenFile(const QString &title, const QString &filter,
                                                  const QString &folder)
{
    QFileDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A folder that has gone since leaves the dialog where it would start anyway.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    // "description|pattern" becomes Qt's "description (pattern)".
    const qsizetype bar = filter.indexOf(u'|');
    if (bar >= 0)
        dialog.setNameFilter(filter.left(bar) + QLatin1String(" (") + filter.mid(bar + 1) + u')');
    else if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // A name typed and confirmed with Enter leaves the field's completion list on screen, where it
    // would swallow the next click; close the list with the dialog.
    for (QCompleter *completer : dialog.findChildren<QCompleter *>()) {
        if (completer->popup()->isVisible())
            completer->popup()->hide();
    }
    if (!accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

void QtPlatform::endProgram()
{
    // Leaves the event loop without close events; the windows go with the process.
    QCoreApplication::exit(0);
}

qint64 QtPlatform::clockMs() const
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

int QtPlatform::doubleClickMs() const
{
    return QApplication::doubleClickInterval();
}

namespace {

// While the application is made: Qt's own complaint about a missing display, then its fatal
// message, become the one line below.
bool g_creating = false;
QtMessageHandler g_previous = nullptr;

void creationHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_creating && type == QtFatalMsg) {
        std::fprintf(stderr, "%s: cannot open a display; it needs a graphical desktop "
                             "(DISPLAY or WAYLAND_DISPLAY).\n",
                     qPrintable(QCoreApplication::applicationName().isEmpty()
                                        ? QStringLiteral("TOLVStrel")
                                        : QCoreApplication::applicationName()));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_creating && QByteArray(context.category ? context.category : "").startsWith("qt.qpa"))
        return;
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

std::unique_ptr<QApplication> createApplication(int &argc, char **argv)
{
    native::prepareProcess();
    g_creating = true;
    g_previous = qInstallMessageHandler(creationHandler);
    auto app = std::make_unique<QApplication>(argc, argv);
    g_creating = false;
    qInstallMessageHandler(g_previous);
    installToolkitTranslations();
    return app;
}

void installToolkitTranslations()
{
    static QTranslator *installed = nullptr;
    if (installed)
        return;
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator)) {
        installed = translator;
    } else {
        delete translator;
    }
}

} // namespace tolv

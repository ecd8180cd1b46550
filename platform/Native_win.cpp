// The launcher's operating-system part on Windows: the ANSI code page through the Win32
// conversions (which report what they cannot convert, unlike Qt's system codec), bounded reads,
// replacement by rename, and starts through CreateProcessW.
#include "Native.h"

#include "CommandLines.h"
#include "FileNames.h"
#include "Reasons.h"

#include <QDir>

#include <qt_windows.h>

#include <string>

namespace tolv::native {

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// The system's failure with its own words; a missing file or program is told apart.
Failure systemFailure(DWORD error)
{
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return failure(missing ? FailureKind::Missing : FailureKind::System, qt_error_string(int(error)));
}

// Decodes `n` bytes exactly, or gives nothing when any of them does not decode.
std::optional<QString> decodeExactly(const char *bytes, int n)
{
    if (n == 0)
        return QString();
    const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString text(size, Qt::Uninitialized);
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n,
                            reinterpret_cast<wchar_t *>(text.data()), size) != size)
        return std::nullopt;
    return text;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = fileNameStart(path, u'\\', Separators::NativeAndSlash) - 1;
    if (slash < 0)
        return QStringLiteral(".");
    // "C:\run.dat" lies in "C:\", not in the drive's current folder "C:".
    if (slash == 2 && path.at(1) == u':')
        return path.left(3);
    return path.left(slash);
}

QString nameOf(const QString &path)
{
    return fileNameOf(path, u'\\');
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'\\') || folder.endsWith(u'/') ? folder + name : folder + u'\\' + name;
}

// The same path in the form that lifts the Windows calls' limit of 259 characters ("\\?\C:\...",
// "\\?\UNC\server\share\..."), for an absolute path; any other as it is. A file that fits the limit
// may have a temporary file beside it that does not.
QString extendedLength(const QString &path)
{
    if (path.startsWith(u"\\\\?\\"))
        return path;
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(path));
    if (native.startsWith(u"\\\\"))
        return QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    if (native.size() >= 3 && native.at(1) == u':' && native.at(2) == u'\\')
        return QStringLiteral("\\\\?\\") + native;
    return native;
}

// Temporary files of a replacement are "<name>.~<process id>.tmp" beside the file.
const QString TempInfix = QStringLiteral(".~");
const QString TempSuffix = QStringLiteral(".tmp");

// Deletes what earlier, interrupted replacements of the file left behind. A temporary file that
// another launcher is writing right now is open without delete sharing and stays.
void removeStaleTemporaries(const QString &folder, const QString &name)
{
    const QString prefix = name + TempInfix;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide(joined(folder, prefix + u'*' + TempSuffix)), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString entry = QString::fromWCharArray(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.startsWith(prefix)
            && entry.endsWith(TempSuffix))
            DeleteFileW(wide(joined(folder, entry)));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool writeAll(HANDLE file, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(qMin<qsizetype>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.constData() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

QString systemFolder()
{
    wchar_t buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? QString::fromWCharArray(buffer, int(n)) : QString();
}

} // namespace

void prepareProcess()
{
    // Windows hands out handles, not the lowest free descriptor, so a file opened later never
    // stands in for a missing standard handle: nothing to open for them. What it needs instead: no
    // DLL is looked up in the current directory (which becomes the application folder or a data
    // folder), and a drive without a disk makes a path absent instead of raising a system dialog.
    SetDllDirectoryW(L"");
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

Result<QString> executableFolder()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return failure(FailureKind::System, reason::ownPathUnreadable());
        if (n < buffer.size()) {
            const QString path = QString::fromWCharArray(buffer.data(), int(n));
            return success(folderOf(path));
        }
        buffer.resize(buffer.size() * 2);
    }
}

QString decodeNarrow(const QByteArray &bytes)
{
    if (const std::optional<QString> whole = decodeExactly(bytes.constData(), int(bytes.size())))
        return *whole;
    // Character by character: what decodes is kept, every byte that does not becomes U+FFFD. In a
    // double-byte code page a lead byte takes the next byte with it (so that 0x5C as the second
    // byte of a character is never taken for a backslash), or stands alone when the pair is bad.
    CPINFO info;
    const int longest = GetCPInfo(CP_ACP, &info) ? int(info.MaxCharSize) : 1;
    QString text;
    const char *p = bytes.constData();
    const int n = int(bytes.size());
    for (int i = 0; i < n;) {
        std::optional<QString> piece;
        int used = 1;
        if (longest == 2) {
            used = IsDBCSLeadByteEx(CP_ACP, BYTE(p[i])) && i + 1 < n ? 2 : 1;
            piece = decodeExactly(p + i, used);
        } else {
            for (used = 1; used <= longest && i + used <= n && !piece; ++used)
                piece = decodeExactly(p + i, used);
            --used;
        }
        if (piece) {
            text += *piece;
            i += used;
        } else {
            text += QChar::ReplacementCharacter;
            ++i;
        }
    }
    return text;
}

Result<QByteArray> encodeNarrow(const QString &text)
{
    const Failure refused = failure(FailureKind::NotEncodable,
                                    text.contains(QChar(0)) ? reason::holdsNul() : reason::notEncodable());
    // U+FFFD stands for a byte that did not decode: writing it would not give that byte back.
    // Half of a surrogate pair has no form in any code page.
    if (text.contains(QChar(0)) || text.contains(QChar::ReplacementCharacter) || !text.isValidUtf16())
        return refused;
    if (text.isEmpty())
        return success(QByteArray());
    // UTF-8 as the system's code page (an option of recent Windows) allows neither flag nor the
    // default-character report; every other code page reports a character it had to replace.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *report = utf8 ? nullptr : &usedDefault;
    const int n = int(text.size());
    const int size = WideCharToMultiByte(CP_ACP, flags, wide(text), n, nullptr, 0, nullptr, report);
    if (size <= 0 || usedDefault)
        return refused;
    QByteArray bytes(size, Qt::Uninitialized);
    if (WideCharToMultiByte(CP_ACP, flags, wide(text), n, bytes.data(), size, nullptr, report) != size
        || usedDefault)
        return refused;
    // Some code pages map a character to another one's bytes without calling it a replacement.
    if (decodeExactly(bytes.constData(), size) != text)
        return refused;
    return success(bytes);
}

Result<QByteArray> readFile(const QString &path, qint64 limit)
{
    // The system would take the name only up to a NUL: another file.
    if (path.contains(QChar(0)))
        return failure(FailureKind::NameNotExact, reason::nameNotExact(path));
    const HANDLE file = CreateFileW(wide(path), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // A folder cannot be opened this way; say what it is rather than "access denied".
        const Failure why = systemFailure(GetLastError());
        const DWORD attributes = GetFileAttributesW(wide(path));
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (folder)
            return failure(FailureKind::NotRegularFile, reason::notRegularFile());
        return why;
    }
    const auto closing = [&](const Failure &why) {
        CloseHandle(file);
        return why;
    };
    // Checked on what was opened: a name such as CON, NUL or a pipe opens a device, not a file.
    // Nothing here waits: no device is read.
    if (GetFileType(file) != FILE_TYPE_DISK)
        return closing(failure(FailureKind::NotRegularFile, reason::notRegularFile()));
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return closing(systemFailure(GetLastError()));
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return closing(failure(FailureKind::NotRegularFile, reason::notRegularFile()));
    // One byte more than the limit tells a file that is larger, or that grows while it is read.
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr))
            return closing(systemFailure(GetLastError()));
        if (got == 0)
            break;
        done += got;
    }
    CloseHandle(file);
    bytes.truncate(done);
    return success(bytes);
}

Outcome replaceFile(const QString &path, const QByteArray &bytes)
{
    if (path.contains(QChar(0)))
        return failure(FailureKind::NameNotExact, reason::nameNotExact(path));
    const QString name = nameOf(path);
    if (name.isEmpty())
        return failure(FailureKind::NotRegularFile, reason::notRegularFile());
    const QString folder = extendedLength(folderOf(path));
    const QString target = joined(folder, name);
    removeStaleTemporaries(folder, name);

    const QString temp = joined(folder, name + TempInfix + QString::number(GetCurrentProcessId()) + TempSuffix);
    // Not shared for deletion while it is written: another launcher's clean-up leaves it alone.
    const HANDLE file = CreateFileW(wide(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return systemFailure(GetLastError());
    const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
    const Failure writeFailure = written ? Failure{} : systemFailure(GetLastError());
    CloseHandle(file);
    if (!written) {
        DeleteFileW(wide(temp));
        return writeFailure;
    }
    // The rename replaces the entry itself: a symbolic link or other reparse point there goes,
    // its target stays untouched. A folder or a read-only file there is not replaced (Windows
    // refuses both; checked here so that every implementation of the call agrees).
    const DWORD existing = GetFileAttributesW(wide(target));
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_REPARSE_POINT)
        && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        DeleteFileW(wide(temp));
        if (existing & FILE_ATTRIBUTE_DIRECTORY)
            return failure(FailureKind::NotRegularFile, reason::notRegularFile());
        return failure(FailureKind::ReadOnly, reason::readOnlyFile());
    }
    // A program that has the old file open without delete sharing (a reader of the suite, a virus
    // scanner looking at the new file) holds the rename up for a moment: try again for a while.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(wide(temp), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return success();
        const DWORD error = GetLastError();
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                || error == ERROR_ACCESS_DENIED;
        if (!busy || attempt == 20) {
            DeleteFileW(wide(temp));
            // Read-only files were told above: what still refuses is another program's open file.
            return busy ? failure(FailureKind::System, reason::heldOpen()) : systemFailure(error);
        }
        Sleep(50);
    }
}

Outcome start(const QString &path, const QString &argText, const QString &appFolder)
{
    Q_UNUSED(appFolder); // Windows has its own command interpreter.
    // A command line ends at a NUL: the program would get less than it was given.
    if (path.contains(QChar(0)) || argText.contains(QChar(0)))
        return failure(FailureKind::NotEncodable, reason::holdsNul());
    QString program = path;
    QString line;
    if (isBatchFile(path)) {
        const Result<QString> args = win::batchArguments(path);
        if (!args.ok())
            return args.failure();
        // The system's own interpreter by its full path, never one found in the current folder.
        const QString system = systemFolder();
        if (system.isEmpty())
            return systemFailure(GetLastError());
        program = system + QStringLiteral("\\cmd.exe");
        line = win::commandLine(program, args.value());
    } else {
        line = win::commandLine(path, argText);
    }
    // CreateProcessW may write into the command line: it gets a copy of its own.
    std::wstring buffer = line.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    // A console program (cmd.exe for a batch file) gets a console window of its own; a GUI program
    // ignores the flag. The launcher's error mode is not handed on. No handle is inherited.
    const DWORD flags = CREATE_NEW_CONSOLE | CREATE_DEFAULT_ERROR_MODE;
    if (!CreateProcessW(wide(program), buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &started))
        return systemFailure(GetLastError());
    // The new program may bring its window to the front, as a program started from here should.
    AllowSetForegroundWindow(started.dwProcessId);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return success();
}

Outcome batchFolderUsable(const QString &folder)
{
    switch (win::batchFolderProblem(folder)) {
    case win::FolderProblem::Network:
        return failure(FailureKind::FolderUnusable, reason::networkFolder());
    case win::FolderProblem::TooLong:
        return failure(FailureKind::FolderUnusable, reason::folderTooLong(folder.size(), win::BatchFolderLimit));
    case win::FolderProblem::None:
        break;
    }
    return success();
}

} // namespace tolv::native

// The operating system's part of the platform on Linux and other POSIX systems.
#include "Native.h"

#include "CommandLines.h"
#include "Reasons.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tolv::native {

namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The system's failure with its own words; a missing file or program is told apart.
Failure systemFailure(int error)
{
    return failure(error == ENOENT ? FailureKind::Missing : FailureKind::System, errnoText(error));
}

// A file name's bytes, when the name can be told apart from every other name: it holds no NUL and
// no character that the file-name encoding would turn into other bytes.
std::optional<QByteArray> nameBytes(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)) || path.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    QByteArray bytes = QFile::encodeName(path);
    if (QFile::decodeName(bytes) != path)
        return std::nullopt;
    return bytes;
}

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes now, reporting the error that a delayed write may only show here.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// Temporary files are ".<name>~" and one of these characters, beside the file they replace: three
// bytes longer than its name, so that a path that fits as the file fits as its temporary too. A
// writer holds a lock on its temporary file until it is renamed; one that no process holds any
// more was left by a write that was killed.
constexpr char TempSlots[] = "0123456789abcdefghijklmnopqrstuvwxyz";

QByteArray tempName(const QByteArray &name, char slot)
{
    return '.' + name + '~' + slot;
}

// Is the temporary file at `path` one that an interrupted write left? Nobody holds its lock, and it
// is older than the moment between another writer's creating it and locking it.
bool isStale(const QByteArray &path)
{
    const Fd fd(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (std::time(nullptr) - st.st_mtime < 10)
        return false;
    return ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0;
}

// Removes the temporary files of the name that earlier, interrupted writes left behind.
void removeStaleTemporaries(const QByteArray &folder, const QByteArray &name)
{
    for (const char *slot = TempSlots; *slot; ++slot) {
        const QByteArray path = folder + '/' + tempName(name, *slot);
        if (isStale(path))
            ::unlink(path.constData());
    }
}

// The launcher's starts outlive it: nothing waits for them but a thread that sleeps until the
// program ends and reaps it.
void reapInBackground(pid_t pid)
{
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace

void prepareProcess()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // open() takes the lowest free descriptor, which is this one.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

Result<QString> executableFolder()
{
    QByteArray link(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", link.data(), size_t(link.size()));
    if (n <= 0 || n >= link.size())
        return failure(FailureKind::System, reason::ownPathUnreadable());
    link.truncate(n);
    const QByteArray folder = link.left(link.lastIndexOf('/'));
    const QString text = QFile::decodeName(folder.isEmpty() ? QByteArray("/") : folder);
    const std::optional<QByteArray> back = nameBytes(text);
    if (!back || *back != (folder.isEmpty() ? QByteArray("/") : folder))
        return failure(FailureKind::NameNotExact, reason::nameNotExact(text));
    return success(text);
}

QString decodeNarrow(const QByteArray &bytes)
{
    // Stateless: an incomplete sequence at the end becomes U+FFFD instead of being held back for
    // bytes that never come, which would silently shorten the last path.
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

Result<QByteArray> encodeNarrow(const QString &text)
{
    const Failure refused = failure(FailureKind::NotEncodable,
                                    text.contains(QChar(0)) ? reason::holdsNul() : reason::notEncodable());
    if (text.contains(QChar(0)) || text.contains(QChar::ReplacementCharacter))
        return refused;
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes = encoder.encode(text);
    // Some encodings put a look-alike in place of a missing character without an error, and the
    // decoder drops a byte-order mark at the start; decoding again tells.
    if (encoder.hasError() || decodeNarrow(bytes) != text)
        return refused;
    return success(bytes);
}

Result<QByteArray> readFile(const QString &path, qint64 limit)
{
    const std::optional<QByteArray> name = nameBytes(path);
    if (!name)
        return failure(FailureKind::NameNotExact, reason::nameNotExact(path));
    // Without blocking: a FIFO put in place of the file would otherwise wait for a writer for ever.
    const Fd fd(::open(name->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return systemFailure(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return systemFailure(errno);
    if (!S_ISREG(st.st_mode))
        return failure(FailureKind::NotRegularFile, reason::notRegularFile());
    // One byte more than the limit tells a file that is larger, or that grows while it is read.
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return systemFailure(errno);
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return success(bytes);
}

Outcome replaceFile(const QString &path, const QByteArray &bytes)
{
    const std::optional<QByteArray> target = nameBytes(path);
    if (!target)
        return failure(FailureKind::NameNotExact, reason::nameNotExact(path));
    const qsizetype slash = target->lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target->left(slash);
    const QByteArray name = target->mid(slash + 1);
    removeStaleTemporaries(folder, name);

    // Each writer takes a free name and locks it at once; the slots are tried from a random one,
    // so that launchers writing the same file at once seldom meet.
    std::random_device random;
    const size_t slotCount = sizeof TempSlots - 1;
    const size_t first = random() % slotCount;
    QByteArray temp;
    int fd = -1;
    for (size_t i = 0; fd < 0 && i < slotCount; ++i) {
        temp = folder + '/' + tempName(name, TempSlots[(first + i) % slotCount]);
        // A name that is taken, as a file or a link, is never opened: O_EXCL does not follow links.
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return systemFailure(errno);
    }
    if (fd < 0)
        return systemFailure(EEXIST);
    ::flock(fd, LOCK_EX | LOCK_NB);
    Fd file(fd);
    const auto fail = [&temp](int error) {
        ::unlink(temp.constData());
        return systemFailure(error);
    };
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0)
        return fail(errno);
    if (file.close() != 0)
        return fail(errno);
    // A regular file that nobody may write is kept, as Windows keeps a read-only file: the user
    // protected it. (Write permission for others only is no protection: in a shared folder the
    // group replaces each other's files.)
    struct stat existing {};
    if (::lstat(target->constData(), &existing) == 0 && S_ISREG(existing.st_mode)
        && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        ::unlink(temp.constData());
        return failure(FailureKind::ReadOnly, reason::readOnlyFile());
    }
    // rename() replaces the entry itself: a symbolic link there goes, its target stays untouched.
    if (::rename(temp.constData(), target->constData()) != 0)
        return fail(errno);
    const Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return success();
}

// posix_spawn does not copy our memory as fork() does, which took most of the time of a start
// (milliseconds for a process that shows a window); it still reports a program that cannot be
// executed.
Result<pid_t> spawn(const QByteArray &program, const QList<QByteArray> &argv, const SpawnOptions &options)
{
    std::vector<char *> args;
    for (const QByteArray &arg : argv)
        args.push_back(const_cast<char *>(arg.constData()));
    args.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    if (options.newSession) {
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attr, &none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&attr, &all);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.nullInput)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (options.output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, options.output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, options.output, STDERR_FILENO);
    }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.constData(), &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (error == 0)
        return success(pid);
    return systemFailure(error);
}

Outcome start(const QString &path, const QString &argText, const QString &appFolder)
{
    if (path.contains(QChar(0)) || argText.contains(QChar(0)))
        return failure(FailureKind::NotEncodable, reason::holdsNul());
    StartCommand cmd;
    bool nullInput = false;
    if (isBatchFile(path)) {
        const QString interpreter = appFolder + u'/' + QLatin1String(posix::BatchInterpreterName);
        // Checked here: inside a terminal its failure would flash by unread.
        if (!QFileInfo(interpreter).isExecutable()) {
            return failure(FailureKind::Missing, reason::noInterpreter(interpreter));
        }
        const posix::TerminalChoice terminal = posix::chooseTerminal(
                [](const QString &name) { return QStandardPaths::findExecutable(name); },
                [](const QString &file) { return QFileInfo(file).canonicalFilePath(); });
        cmd = posix::batchCommand(interpreter, path, terminal, QDir::currentPath());
        // Without a terminal the interpreter's own window answers PAUSE, never the launcher's input.
        nullInput = terminal.kind == posix::Terminal::None;
    } else {
        cmd = posix::programCommand(path, argText);
    }
    QList<QByteArray> argv{QFile::encodeName(cmd.program)};
    for (const QString &argument : cmd.arguments)
        argv << argument.toLocal8Bit();
    // In the current directory, which the started program inherits; in a session of its own, so
    // that the launcher's end (or its terminal's) does not end it.
    SpawnOptions options;
    options.newSession = true;
    options.nullInput = nullInput;
    const Result<pid_t> started = spawn(argv.front(), argv, options);
    if (!started.ok())
        return started.failure();
    reapInBackground(started.value());
    return success();
}

Outcome batchFolderUsable(const QString &)
{
    return success();
}

} // namespace tolv::native

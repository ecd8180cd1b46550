// Files and processes that could be turned against the user, on the real system: links in the
// application folder, files that are no regular files or that never end, a folder shared by a
// group, names that do not decode, closed standard descriptors, no display.
#include "support/Scratch.h"

#include <QElapsedTimer>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace tolv;
using namespace tolv::test;

namespace {

constexpr uid_t Nobody = 65534;

QString probe()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/platform_probe");
}

// Runs the probe; `child` runs in the child before it executes the probe.
QByteArray runProbe(const QStringList &args, const std::function<void()> &child = {}, int *exitCode = nullptr)
{
    QProcess process;
    if (child)
        process.setChildProcessModifier(child);
    process.start(probe(), args);
    process.waitForFinished(10000);
    if (exitCode)
        *exitCode = process.exitCode();
    return process.readAllStandardOutput().trimmed();
}

QStringList temporaries(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".run.dat~*")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestFileSafety : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void replacesLinksNotTargets_data();
    void replacesLinksNotTargets();
    void readsOnlyRegularFilesInBound_data();
    void readsOnlyRegularFilesInBound();
    void sharedFolder();
    void staleTemporariesRemoved();
    void longestFolder();
    void undecodableAppFolder_data();
    void undecodableAppFolder();
    void closedDescriptorsReopened();
    void noDisplay();

private:
    std::unique_ptr<Scratch> m_tmp;
    QString m_app;
    FolderPlatform m_p;
};

void TestFileSafety::init()
{
    m_tmp = std::make_unique<Scratch>();
    m_app = m_tmp->path("app");
    QVERIFY(QDir().mkpath(m_app));
    m_p.folder = m_app;
}

// What run.dat is a link to: another user's file, nothing (a dangling link), a device, a folder.
void TestFileSafety::replacesLinksNotTargets_data()
{
    QTest::addColumn<QString>("target"); // relative to the scratch folder, or absolute
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("another user's file") << "victim/data.txt" << true;
    QTest::newRow("a dangling link") << "victim/created.txt" << false;
    QTest::newRow("the null device") << "/dev/null" << true;
    QTest::newRow("a folder") << "victim" << true;
}

void TestFileSafety::replacesLinksNotTargets()
{
    QFETCH(QString, target);
    QFETCH(bool, targetExists);
    QVERIFY(QDir().mkpath(m_tmp->path("victim")));
    QVERIFY(writeFile(m_tmp->path("victim/data.txt"), "precious\n"));
    const QString to = target.startsWith(u'/') ? target : m_tmp->path(target);
    const auto before = snapshot(m_tmp->path("victim"));
    QVERIFY(QFile::link(to, m_p.appPath("run.dat")));

    QVERIFY(m_p.replaceFile(m_p.appPath("run.dat"), "new\r\n").ok());

    QCOMPARE(readBytes(m_p.appPath("run.dat")), "new\r\n");
    QVERIFY(!QFileInfo(m_p.appPath("run.dat")).isSymLink());
    QCOMPARE(snapshot(m_tmp->path("victim")), before);
    QCOMPARE(QFileInfo::exists(to), targetExists);
    struct stat st {};
    QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
    QCOMPARE(temporaries(m_app), QStringList());
}

// What stands at the path, and what a read gives: the text, "refused", or "partial" (the whole
// lines within the bound). Each read ends at once, whatever the file.
void TestFileSafety::readsOnlyRegularFilesInBound_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a FIFO without writer") << "fifo" << "refused";
    QTest::newRow("a link to an endless device") << "endless" << "refused";
    QTest::newRow("a link to the null device") << "null" << "refused";
    QTest::newRow("a folder") << "folder" << "refused";
    QTest::newRow("sparse 1 TiB") << "sparse" << "refused";
    QTest::newRow("one line of 2 MiB") << "long line" << "refused";
    QTest::newRow("five lines, then 10 MiB") << "long tail" << "partial";
    QTest::newRow("a file that grows while it is read") << "growing" << "partial";
    QTest::newRow("a plain file") << "plain" << "a\r\nb\r\n";
}

void TestFileSafety::readsOnlyRegularFilesInBound()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    const QString path = m_p.appPath("run.dat");
    const QByteArray name = QFile::encodeName(path);
    QProcess grower;
    if (kind == "fifo")
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else if (kind == "endless")
        QVERIFY(QFile::link("/dev/zero", path));
    else if (kind == "null")
        QVERIFY(QFile::link("/dev/null", path));
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "sparse")
        QVERIFY(writeFile(path, {}) && QFile(path).resize(qint64(1) << 40));
    else if (kind == "long line")
        QVERIFY(writeFile(path, QByteArray(2 << 20, 'x')));
    else if (kind == "long tail")
        QVERIFY(writeFile(path, "1\r\n2\r\n3\r\n4\r\n5\r\n" + QByteArray(10 << 20, 'x')));
    else if (kind == "growing") {
        QVERIFY(writeFile(path, {}));
        grower.setStandardOutputFile(path, QIODevice::Append);
        grower.start("yes", {"line"});
        QVERIFY(grower.waitForStarted());
        QTRY_VERIFY(QFileInfo(path).size() > (2 << 20));
    } else
        QVERIFY(writeFile(path, "a\r\nb\r\n"));

    QElapsedTimer timer;
    timer.start();
    const Result<TextStart> read = m_p.readText(path);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    grower.kill();
    grower.waitForFinished();
    if (expected == "refused") {
        QVERIFY(!read.ok());
        QVERIFY(!read.reason().isEmpty());
    } else if (expected == "partial") {
        QVERIFY2(read.ok(), qPrintable(read.reason()));
        QVERIFY(!read.value().whole);
        QVERIFY(read.value().text.endsWith("\n"));
        QVERIFY(read.value().text.size() <= 1024 * 1024);
    } else {
        QVERIFY(read.ok());
        QVERIFY(read.value().whole);
        QCOMPARE(read.value().text, expected);
    }
}

// A folder that a group shares: another member replaces the first user's files (mode 0644 from
// the first user's umask), and the new files follow the writer's umask, so the group keeps access.
void TestFileSafety::sharedFolder()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to act as a second user");
    QVERIFY(QFile::setPermissions(m_app, QFileDevice::Permissions(0x7777)));
    QVERIFY(QFile::setPermissions(m_tmp->root(), QFileDevice::Permissions(0x7755)));
    for (const char *name : {"run.dat", "solver.bat"}) {
        const QString path = m_p.appPath(QString::fromLatin1(name));
        QVERIFY(writeFile(path, "first user's\r\n"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6644)));
        const QByteArray said = runProbe({"replace", path, "second user's\r\n"}, [] {
            ::umask(002);
            if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                ::_exit(9);
        });
        QCOMPARE(said, "ok");
        QCOMPARE(readBytes(path), "second user's\r\n");
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_uid, Nobody);
        QCOMPARE(st.st_mode & 0777, mode_t(0664));
    }
}

// A write killed half-way leaves its temporary file; the next write removes it, but never one of a
// write still going on: one whose writer holds its lock, or one just made, not yet locked.
void TestFileSafety::staleTemporariesRemoved()
{
    const QString runDat = m_p.appPath("run.dat");
    QProcess holder;
    holder.start(probe(), {"hold", runDat});
    QVERIFY(holder.waitForReadyRead(10000));
    QTest::qWait(50);
    ::kill(pid_t(holder.processId()), SIGKILL);
    holder.waitForFinished();
    // One left behind, whatever the moment of the kill.
    const QString dead = m_app + "/.run.dat~0";
    if (temporaries(m_app).isEmpty())
        QVERIFY(writeFile(dead, "half"));
    QVERIFY(writeFile(m_app + "/.run.dat~1", "going on"));
    QVERIFY(writeFile(m_app + "/.run.dat~2", "just made"));
    QVERIFY(writeFile(m_app + "/run.dat.backup", "the user's own"));
    const QDateTime minuteAgo = QDateTime::currentDateTime().addSecs(-60);
    for (const QString &name : temporaries(m_app)) {
        if (name != ".run.dat~2") {
            QFile file(m_app + u'/' + name);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(minuteAgo, QFileDevice::FileModificationTime));
        }
    }
    const int held = ::open(QFile::encodeName(m_app + "/.run.dat~1").constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);

    QVERIFY(m_p.replaceFile(runDat, "next\r\n").ok());
    ::close(held);
    QCOMPARE(temporaries(m_app), (QStringList{".run.dat~1", ".run.dat~2"}));
    QCOMPARE(readBytes(runDat), "next\r\n");
    QCOMPARE(readBytes(m_app + "/run.dat.backup"), "the user's own");
}

// The temporary file's name is three bytes longer than the file's own: a folder whose run.dat
// path just fits the system's limit on a path (4,095 bytes) can still have it replaced.
void TestFileSafety::longestFolder()
{
    QString folder = m_app;
    const qsizetype wanted = 4095 - (qsizetype(sizeof "/.run.dat~x") - 1);
    while (wanted - folder.size() > 250)
        folder += u'/' + QString(200, u'd');
    folder += u'/' + QString(wanted - folder.size() - 1, u'e');
    QCOMPARE(QFile::encodeName(folder).size(), wanted);
    QVERIFY(QDir().mkpath(folder));
    FolderPlatform p(folder);
    const QString runDat = p.appPath("run.dat");
    QVERIFY(p.replaceFile(runDat, "first\r\n").ok());
    const tolv::Outcome again = p.replaceFile(runDat, "second\r\n");
    QVERIFY2(again.ok(), qPrintable(again.reason()));
    QCOMPARE(readBytes(runDat), "second\r\n");
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"run.dat"});
}

// The program in a folder whose name is not text: it refuses to start rather than work in
// a look-alike folder.
void TestFileSafety::undecodableAppFolder_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<bool>("refused");
    QTest::newRow("not UTF-8") << QByteArray("app \xff\xfe") << true;
    QTest::newRow("Japanese, UTF-8") << QByteArray("解析 ソルバー") << false;
}

void TestFileSafety::undecodableAppFolder()
{
    QFETCH(QByteArray, folder);
    QFETCH(bool, refused);
    const QByteArray dir = QFile::encodeName(m_tmp->root()) + '/' + folder;
    QCOMPARE(::mkdir(dir.constData(), 0755), 0);
    // Copied by the raw name, which Qt cannot spell; started through a link, which it can.
    const QByteArray copy = dir + "/platform_probe";
    const QByteArray program = readBytes(probe());
    const int fd = ::open(copy.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, program.constData(), size_t(program.size())), ssize_t(program.size()));
    ::close(fd);
    const QString link = m_tmp->path("probe-link");
    QVERIFY(::symlink(copy.constData(), QFile::encodeName(link).constData()) == 0);
    QProcess process;
    process.start(link, {"appfolder"});
    QVERIFY(process.waitForFinished(10000));
    const QByteArray said = process.readAllStandardOutput().trimmed();
    if (refused)
        QVERIFY2(said.startsWith("refused: "), said.constData());
    else
        QCOMPARE(said, dir);
}

void TestFileSafety::closedDescriptorsReopened()
{
    const QString out = m_tmp->path("fd");
    int code = -1;
    runProbe({"fds", out}, [] {
        ::close(0);
        ::close(1);
        ::close(2);
    }, &code);
    QCOMPARE(code, 0);
    QVERIFY2(readBytes(out).toInt() > 2, readBytes(out).constData());
}

// Without a display: one plain line on standard error and status 1.
void TestFileSafety::noDisplay()
{
    QProcess launcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    launcher.setProcessEnvironment(env);
    launcher.start(binDir() + "/TOLVStrel");
    QVERIFY(launcher.waitForFinished(10000));
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.exitCode(), 1);
    const QByteArray err = launcher.readAllStandardError();
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.startsWith("TOLVStrel: ") && err.contains("display"), err.constData());
}

QTEST_GUILESS_MAIN(TestFileSafety)
#include "tst_file_safety.moc"

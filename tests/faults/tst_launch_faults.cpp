// Program files that cannot be started: a folder in place of the program, a file without execute
// permission or in no executable format, names far beyond any path limit. The user is told which
// and why; nothing is started and the application folder is left as it was.
#include "support/Scratch.h"

#include "core/TOLV_Com.h"
#include "core/Texts.h"

#include <QTemporaryDir>
#include <QDir>
#include <QTest>

#include <unistd.h>

using namespace tolv;
using namespace tolv::test;

class TestLaunchFaults : public QObject
{
    Q_OBJECT
private slots:
    void cannotStart_data();
    void cannotStart();
    void longNames_data();
    void longNames();
    void startedProgramIsOnItsOwn();
};

// "dir": a folder named like the program; "plain": no execute permission (root is refused too);
// "empty": executable but no format the system can run.
void TestLaunchFaults::cannotStart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("found");
    QTest::newRow("a folder in place of the program") << "dir" << false;
    QTest::newRow("not executable") << "plain" << true;
    QTest::newRow("no executable format") << "empty" << true;
}

void TestLaunchFaults::cannotStart()
{
    QFETCH(QString, kind);
    QFETCH(bool, found);
    QTemporaryDir dir;
    const QString program = dir.filePath(PostProgram);
    if (kind == QLatin1String("dir")) {
        QVERIFY(QDir(dir.path()).mkdir(PostProgram));
    } else {
        QVERIFY(writeFile(program, kind == QLatin1String("plain") ? "#!/bin/sh\n" : ""));
        if (kind == QLatin1String("empty"))
            QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
    }
    QVERIFY(writeFile(dir.filePath(RunDatName), "/earlier/beam.dat\r\n"));
    const auto before = snapshot(dir.path());

    FolderPlatform p(dir.path());
    TOLV_Com::Exec_Program(p, 1, PostProgram, text::ToolPost, QStringLiteral("/a/b.ind.in"));
    QCOMPARE(p.messages.size(), 1);
    QCOMPARE(p.messages[0].title, text::MessageTitle);
    if (found) {
        const QString head = text::cannotStart(text::ToolPost, program, QString());
        QVERIFY2(p.messages[0].text.startsWith(head), qPrintable(p.messages[0].text));
        // The system's reason follows.
        QVERIFY(p.messages[0].text.size() > head.size());
    } else {
        QCOMPARE(p.messages[0].text, text::notFound(text::ToolPost, program));
    }
    QCOMPARE(snapshot(dir.path()), before);
}

void TestLaunchFaults::longNames_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("inAppFolder");
    for (int length : {32767, 32768, 100000}) {
        QTest::addRow("%d characters, in the application folder", length) << length << 1;
        QTest::addRow("%d characters, as given", length) << length << 0;
    }
}

void TestLaunchFaults::longNames()
{
    QFETCH(int, length);
    QFETCH(int, inAppFolder);
    QTemporaryDir dir;
    const QString name = QString(length - 4, u'x') + QLatin1String(".exe");
    FolderPlatform p(dir.path());
    TOLV_Com::Exec_Program(p, qint16(inAppFolder), name, text::ToolSolverRun, QString());
    const QString path = inAppFolder == 1 ? p.appPath(name) : name;
    QCOMPARE(p.messages.size(), 1);
    QCOMPARE(p.messages[0].text, text::notFound(text::ToolSolverRun, path));
    QVERIFY(snapshot(dir.path()).isEmpty());
}

namespace {

// Children of this process that have ended but were not reaped.
int zombieChildren()
{
    int zombies = 0;
    const QString self = QString::number(getpid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid ...: the name may hold blanks, so split after its closing parenthesis.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (f.size() > 1 && f[0] == "Z" && f[1] == self.toLatin1())
            ++zombies;
    }
    return zombies;
}

} // namespace

// A started program runs in a session of its own (a terminal's hang-up or Ctrl+C for the launcher
// does not reach it), and once it ends nothing of it is left behind in the launcher.
void TestLaunchFaults::startedProgramIsOnItsOwn()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("stat"));
    const QString program = dir.filePath(PreProgram);
    QVERIFY(writeFile(program, "#!/bin/sh\ncat /proc/$$/stat > \"$1\"\n"));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
    FolderPlatform p(dir.path());
    const int zombiesBefore = zombieChildren();
    TOLV_Com::Exec_Program(p, 1, PreProgram, text::ToolPre, out);
    QVERIFY(p.messages.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(out).size() > 0, 10000);
    QFile stat(out);
    QVERIFY(stat.open(QIODevice::ReadOnly));
    const QByteArray line = stat.readAll();
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
    QVERIFY(f.size() > 4);
    const QByteArray pid = line.left(line.indexOf(' '));
    QCOMPARE(f[3], pid); // session id: its own
    QVERIFY(f[3].toLong() != long(getsid(0)));
    QTRY_COMPARE_WITH_TIMEOUT(zombieChildren(), zombiesBefore, 10000);
}

QTEST_GUILESS_MAIN(TestLaunchFaults)
#include "tst_launch_faults.moc"

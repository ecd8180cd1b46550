// Program files that cannot be started: a folder in place of the program, a file without execute
// permission or in no executable format, names far beyond any path limit. The user is told which
// and why; nothing is started and the application folder is left as it was.
#include "FolderPlatform.h"

#include "core/TOLV_Com.h"
#include "core/Texts.h"

#include <QTemporaryDir>
#include <QTest>

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
    const QString head = text::ToolPost + text::OpenParen + program;
    if (found) {
        QVERIFY2(p.messages[0].text.startsWith(head + text::CannotStartTail + text::CrLf),
                 qPrintable(p.messages[0].text));
        // The system's reason follows.
        QVERIFY(p.messages[0].text.size() > head.size() + text::CannotStartTail.size() + 2);
    } else {
        QCOMPARE(p.messages[0].text, head + text::NotFoundTail);
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
    QCOMPARE(p.messages[0].text, text::ToolSolverRun + text::OpenParen + path + text::NotFoundTail);
    QVERIFY(snapshot(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestLaunchFaults)
#include "tst_launch_faults.moc"

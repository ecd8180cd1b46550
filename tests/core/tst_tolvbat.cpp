// The batch interpreter that runs the suite's .bat files on Linux, run as the launcher runs it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

bool writeFile(const QString &path, const QByteArray &bytes, bool executable)
{
    QFile f(path);
    QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        perms |= QFile::ExeOwner;
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.setPermissions(perms);
}

} // namespace

class TestTolvbat : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void skipsAndGroups_data();
    void skipsAndGroups();
    void currentFolderBeforePath();
    void cannotStart_data();
    void cannotStart();
    void neverAShell();

private:
    // A program that appends its name and its arguments, each in [], as one line to the log.
    void addRecorder(const QString &path);
    // Runs the batch text in the work folder, PATH holding only the "path" folder; input is no terminal.
    Run run(const QByteArray &batch);
    QString log() const;

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_work;
    QString m_pathDir;
};

void TestTolvbat::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_work = m_tmp->filePath("work dir");
    m_pathDir = m_tmp->filePath("path");
    QVERIFY(QDir().mkpath(m_work));
    QVERIFY(QDir().mkpath(m_pathDir));
    addRecorder(m_work + "/rec.exe");
}

void TestTolvbat::addRecorder(const QString &path)
{
    const QByteArray script = "#!/bin/sh\n"
                              "{ printf '%s' \"${0##*/}\"; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; echo; } >> '"
            + QFile::encodeName(m_tmp->filePath("log")) + "'\n";
    QVERIFY(writeFile(path, script, true));
}

Run TestTolvbat::run(const QByteArray &batch)
{
    const QString batchPath = m_tmp->filePath("run me.bat");
    if (!writeFile(batchPath, batch, false))
        return {};
    const QString bin = qEnvironmentVariable("TOLV_BIN_DIR", QCoreApplication::applicationDirPath() + "/../bin");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", m_pathDir);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_work);
    p.start(bin + "/tolvbat", {batchPath});
    p.closeWriteChannel();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString TestTolvbat::log() const
{
    QFile f(m_tmp->filePath("log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void TestTolvbat::skipsAndGroups_data()
{
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<QString>("log");

    QTest::newRow("remarks, echo off, blank lines, @ and PAUSE, CR LF")
            << QByteArray("@echo off\r\nREM the solver\r\nrem\tanother remark\r\n   \r\n\r\n@REM quiet remark\r\n"
                          "@rec.exe one\r\nPAUSE\r\n  pause  \r\nrec.exe two\r\n")
            << "rec.exe [one]\nrec.exe [two]\n";
    QTest::newRow("quotes group, LF line ends, no line end at the end")
            << QByteArray("ECHO OFF\nrec.exe \"two words\" \"\" x\"y z\"w \"a\"\"b\"\n\trec.exe  tab\tand  blanks")
            << "rec.exe [two words] [] [xy zw] [ab]\nrec.exe [tab] [and] [blanks]\n";
}

void TestTolvbat::skipsAndGroups()
{
    QFETCH(QByteArray, batch);
    QFETCH(QString, log);
    const Run r = run(batch);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, QByteArray()); // no PAUSE prompt without a terminal
    QCOMPARE(this->log(), log);
}

void TestTolvbat::currentFolderBeforePath()
{
    addRecorder(m_pathDir + "/rec.exe");   // also on PATH: the current folder's one wins
    addRecorder(m_pathDir + "/onpath.exe");
    QVERIFY(writeFile(m_work + "/onpath.exe", "#!/bin/sh\n", false)); // not executable: PATH's one runs
    const Run r = run("rec.exe\r\nonpath.exe\r\n");
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(log(), QString("rec.exe\nonpath.exe\n"));

    QFile::remove(m_tmp->filePath("log"));
    QVERIFY(QFile::remove(m_work + "/rec.exe"));
    QCOMPARE(run("rec.exe\r\n").exitCode, 0);
    QCOMPARE(log(), QString("rec.exe\n"));
}

void TestTolvbat::cannotStart_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not found") << QByteArray("nosuch.exe x") << "nosuch.exe";
    QTest::newRow("a word that begins with REM is a program") << QByteArray("remarks.exe") << "remarks.exe";
    QTest::newRow("no execute permission") << QByteArray("./plain.exe") << qt_error_string(EACCES);
    QTest::newRow("not a program") << QByteArray("./noformat.exe") << qt_error_string(ENOEXEC);
    QTest::newRow("missing path") << QByteArray("./gone/x.exe") << qt_error_string(ENOENT);
}

// The batch stops at a command that cannot be started, with one line on standard error.
void TestTolvbat::cannotStart()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, reason);
    QVERIFY(writeFile(m_work + "/plain.exe", "#!/bin/sh\n", false));
    QVERIFY(writeFile(m_work + "/noformat.exe", "\x7f" "ELF junk", true));

    const Run r = run("rec.exe before\r\n" + command + "\r\nrec.exe after\r\n");
    QVERIFY(r.exitCode > 0);
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.endsWith('\n'));
    QVERIFY2(QString::fromUtf8(r.err).contains(reason), r.err);
    QCOMPARE(log(), QString("rec.exe [before]\n"));
}

// Shell syntax is only text: nothing but the named program ever runs.
void TestTolvbat::neverAShell()
{
    const Run r = run("rec.exe a;touch made | x > out `touch made2` $(touch made3) &\r\n"
                      "rec.exe; touch made4\r\n");
    QVERIFY(r.exitCode > 0);
    QCOMPARE(log(), QString("rec.exe [a;touch] [made] [|] [x] [>] [out] [`touch] [made2`] [$(touch] [made3)] [&]\n"));
    for (const char *name : {"made", "out", "made2", "made3)", "made3", "made4"}) {
        QVERIFY2(!QFile::exists(m_work + '/' + name), name);
        QVERIFY2(!QFile::exists(m_tmp->filePath(name)), name);
    }
}

QTEST_GUILESS_MAIN(TestTolvbat)
#include "tst_tolvbat.moc"

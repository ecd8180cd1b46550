// The batch interpreter that runs the suite's .bat files on Linux, run as the launcher runs it.
#include "support/Scratch.h"

#include <QElapsedTimer>
#include <QProcess>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolv::test;

namespace {

// Whether the process has ended (a zombie that its new parent has not waited for yet has).
bool ended(pid_t pid)
{
    const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat == "<unreadable>" || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

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
    void endings_data();
    void endings();
    void inheritsNoDescriptor();
    void speaksTheUsersLanguage_data();
    void speaksTheUsersLanguage();
    void hangupEndsTheRun_data();
    void hangupEndsTheRun();

private:
    // Runs the batch text in the work folder, PATH holding only the "path" folder; input is no
    // terminal. `how`: "fifo" puts a FIFO where the batch file would be, "window without display"
    // asks for the console window where there is no display. The locale is C.UTF-8 unless `locale`
    // sets its variables ("LANG=...").
    Run run(const QByteArray &batch, const QString &how = {}, const QStringList &locale = {});
    // The start log, the work folder's path shortened to "work".
    QStringList starts() const { return m_tmp->starts().replaceInStrings(m_work, "work"); }
    // The start line of the recorder that the batch found in the work folder.
    static QString rec(const QStringList &args = {}) { return startLine("./rec.exe", "work", args); }

    std::unique_ptr<Scratch> m_tmp;
    QString m_work;
    QString m_pathDir;
};

void TestTolvbat::init()
{
    m_tmp = std::make_unique<Scratch>();
    QVERIFY(m_tmp->isValid());
    m_work = m_tmp->path("work dir");
    m_pathDir = m_tmp->path("path");
    QVERIFY(QDir().mkpath(m_work));
    QVERIFY(QDir().mkpath(m_pathDir));
    QVERIFY(m_tmp->addRecorder(m_work + "/rec.exe"));
}

Run TestTolvbat::run(const QByteArray &batch, const QString &how, const QStringList &locale)
{
    const QString batchPath = m_tmp->path("run me.bat");
    const bool made = how == "fifo" ? ::mkfifo(QFile::encodeName(batchPath).constData(), 0600) == 0
                                    : writeFile(batchPath, batch);
    if (!made)
        return {};
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", m_pathDir);
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(name);
    for (const QString &setting : locale.isEmpty() ? QStringList{"LANG=C.UTF-8"} : locale)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    QStringList args{batchPath};
    if (how == "window without display") {
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");
        args.prepend("--window");
    }
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_work);
    p.start(binDir() + "/tolvbat", args);
    p.closeWriteChannel();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

void TestTolvbat::skipsAndGroups_data()
{
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("pauses"); // prompts shown, each going on at once without a terminal

    QTest::newRow("remarks, echo off, blank lines, @ and PAUSE, CR LF")
            << QByteArray("@echo off\r\nREM the solver\r\nrem\tanother remark\r\n   \r\n\r\n@REM quiet remark\r\n"
                          "@rec.exe one\r\nPAUSE\r\n  pause  \r\nrec.exe two\r\n")
            << QStringList{rec({"one"}), rec({"two"})} << 2;
    QTest::newRow("quotes group, LF line ends, no line end at the end")
            << QByteArray("ECHO OFF\nrec.exe \"two words\" \"\" x\"y z\"w \"a\"\"b\"\n\trec.exe  tab\tand  blanks")
            << QStringList{rec({"two words", "", "xy zw", "ab"}), rec({"tab", "and", "blanks"})} << 0;
}

void TestTolvbat::skipsAndGroups()
{
    QFETCH(QByteArray, batch);
    QFETCH(QStringList, expected);
    QFETCH(int, pauses);
    const Run r = run(batch);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, QByteArray("Press a key to continue . . .\n").repeated(pauses));
    QCOMPARE(starts(), expected);
}

void TestTolvbat::currentFolderBeforePath()
{
    QVERIFY(m_tmp->addRecorder(m_pathDir + "/rec.exe")); // also on PATH: the current folder's one wins
    QVERIFY(m_tmp->addRecorder(m_pathDir + "/onpath.exe"));
    QVERIFY(writeFile(m_work + "/onpath.exe", "#!/bin/sh\n")); // not executable: PATH's one runs
    QVERIFY(m_tmp->addRecorder(m_pathDir + "/pathonly.exe"));
    const Run r = run("rec.exe\r\nonpath.exe\r\npathonly.exe\r\n");
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(starts(), (QStringList{rec(), startLine(m_pathDir + "/onpath.exe", "work"),
                                  startLine(m_pathDir + "/pathonly.exe", "work")}));
}

void TestTolvbat::cannotStart_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("started");
    const QStringList before{rec({"before"})};
    QTest::newRow("not found")
            << QByteArray("nosuch.exe x") << "" << "nosuch.exe: command not found (exit status 127)" << before;
    QTest::newRow("a word that begins with REM is a program")
            << QByteArray("remarks.exe") << "" << "remarks.exe" << before;
    QTest::newRow("no execute permission")
            << QByteArray("./plain.exe") << "" << qt_error_string(EACCES) + " (exit status 126)" << before;
    QTest::newRow("not a program")
            << QByteArray("./noformat.exe") << "" << qt_error_string(ENOEXEC) + " (exit status 126)" << before;
    QTest::newRow("missing interpreter")
            << QByteArray("./nosh.exe") << "" << qt_error_string(ENOENT) + " (exit status 127)" << before;
    QTest::newRow("missing path")
            << QByteArray("./gone/x.exe") << "" << qt_error_string(ENOENT) + " (exit status 127)" << before;
    // Cut at the NUL, the words would not be the file's.
    QTest::newRow("a NUL in a line")
            << QByteArray("rec.exe a\0b", 11) << "" << "line 2 of the batch file holds a NUL byte" << before;
    QTest::newRow("a FIFO for a batch file") << QByteArray() << "fifo" << "not a regular file" << QStringList();
    QTest::newRow("window without display")
            << QByteArray() << "window without display" << "tolvbat: cannot open a display" << QStringList();
}

// The batch stops at a command that cannot be started, with one line on standard error; nothing
// runs of a batch file that cannot be read or shown.
void TestTolvbat::cannotStart()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, how);
    QFETCH(QString, reason);
    QFETCH(QStringList, started);
    QVERIFY(writeFile(m_work + "/plain.exe", "#!/bin/sh\n"));
    QVERIFY(writeFile(m_work + "/noformat.exe", "\x7f" "ELF junk", true));
    QVERIFY(writeFile(m_work + "/nosh.exe", "#!/nonexistent/sh\n", true));

    const Run r = run("rec.exe before\r\n" + command + "\r\nrec.exe after\r\n", how);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.endsWith('\n'));
    QVERIFY2(QString::fromUtf8(r.err).contains(reason), r.err);
    QCOMPARE(starts(), started);
}

// Shell syntax is only text: nothing but the named program ever runs.
void TestTolvbat::neverAShell()
{
    const Run r = run("rec.exe a;touch made | x > out `touch made2` $(touch made3) &\r\n"
                      "rec.exe; touch made4\r\n");
    QVERIFY(r.exitCode > 0);
    QCOMPARE(starts(), QStringList{rec({"a;touch", "made", "|", "x", ">", "out", "`touch", "made2`",
                                                "$(touch", "made3)", "&"})});
    for (const char *name : {"made", "out", "made2", "made3)", "made3", "made4"}) {
        QVERIFY2(!QFile::exists(m_work + '/' + name), name);
        QVERIFY2(!QFile::exists(m_tmp->path(name)), name);
    }
}

void TestTolvbat::endings_data()
{
    QTest::addColumn<QByteArray>("program"); // a shell script's body
    QTest::addColumn<QByteArray>("line");    // on standard error; empty: none
    QTest::newRow("status 0: nothing said") << QByteArray("exit 0") << QByteArray();
    QTest::newRow("status 3") << QByteArray("exit 3") << QByteArray("tolvbat: ./ends.exe ended with exit status 3\n");
    QTest::newRow("a signal") << QByteArray("kill -TERM $$") << QByteArray("tolvbat: ./ends.exe was ended by signal 15 (Terminated)\n");
}

// How a command ended is told in one line when it failed, and the batch goes on as cmd's does.
void TestTolvbat::endings()
{
    QFETCH(QByteArray, program);
    QFETCH(QByteArray, line);
    QVERIFY(writeFile(m_work + "/ends.exe", "#!/bin/sh\n" + program + "\n", true));
    const Run r = run("ends.exe\r\nrec.exe after\r\n");
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, line);
    QCOMPARE(starts(), QStringList{rec({"after"})});
}

// A command gets standard input, output and error and nothing else of tolvbat's, the batch file
// and whatever tolvbat inherited included: the recorder lists the descriptors above 2 it has.
void TestTolvbat::inheritsNoDescriptor()
{
    const int inherited = ::open("/dev/null", O_RDONLY); // open in tolvbat too
    QVERIFY(inherited > 2);
    const Run r = run("/usr/bin/python3 -c \"import os; print([f for f in range(3, 1024) "
                      "if os.path.exists('/proc/self/fd/%d' % f)])\"\r\n");
    ::close(inherited);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray("[]\n"));
}

void TestTolvbat::speaksTheUsersLanguage_data()
{
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<QByteArray>("prompt");
    QTest::addColumn<QByteArray>("notFound");
    const QByteArray japanese = "続行するには何かキーを押してください . . .";
    const QByteArray japaneseNotFound = "tolvbat: nosuch.exe：コマンドが見つかりません（終了コード 127）。\n";
    const QByteArray english = "Press a key to continue . . .";
    const QByteArray englishNotFound = "tolvbat: nosuch.exe: command not found (exit status 127)\n";
    QTest::newRow("LANG Japanese") << QStringList{"LANG=ja_JP.UTF-8"} << japanese << japaneseNotFound;
    QTest::newRow("LC_MESSAGES Japanese, LANG not")
            << QStringList{"LANG=C.UTF-8", "LC_MESSAGES=ja_JP.utf8"} << japanese << japaneseNotFound;
    QTest::newRow("LC_ALL before LANG")
            << QStringList{"LANG=ja_JP.UTF-8", "LC_ALL=C.UTF-8"} << english << englishNotFound;
    // The lines are written in UTF-8, which a terminal in EUC-JP would show garbled.
    QTest::newRow("Japanese in EUC-JP") << QStringList{"LANG=ja_JP.eucJP"} << english << englishNotFound;
}

// PAUSE's prompt and tolvbat's own lines in the language of the messages locale; standard input
// is closed, so PAUSE goes on at once and so does the wait after the command that is not found.
void TestTolvbat::speaksTheUsersLanguage()
{
    QFETCH(QStringList, locale);
    QFETCH(QByteArray, prompt);
    QFETCH(QByteArray, notFound);
    const Run r = run("PAUSE\r\nnosuch.exe\r\n", {}, locale);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, (prompt + '\n').repeated(2));
    QCOMPARE(r.err, notFound);
}

void TestTolvbat::hangupEndsTheRun_data()
{
    // The background child's process id goes to "bg", the running command's to "fg".
    QTest::addColumn<QByteArray>("batch");
    const QByteArray leaves = "/bin/sh -c \"trap '' HUP; sleep 1000 & echo $! > bg";
    QTest::newRow("the running command ignores the hangup")
            << leaves + "; echo $$ > fg; exec sleep 999\"\r\n/bin/echo never\r\n";
    QTest::newRow("the command that left the child has ended")
            << leaves + "\"\r\n/bin/sh -c \"echo $$ > fg; exec sleep 999\"\r\n/bin/echo never\r\n";
}

// A hangup of the terminal ends the batch run's whole process group within the grace of a hangup:
// a child that ignores it, left in the background, included.
void TestTolvbat::hangupEndsTheRun()
{
    QFETCH(QByteArray, batch);
    const QString batchPath = m_tmp->path("run me.bat");
    QVERIFY(writeFile(batchPath, batch));
    QProcess p;
    p.setWorkingDirectory(m_work);
    p.start(binDir() + "/tolvbat", {batchPath});
    const auto pidIn = [this](const char *name) {
        return pid_t(readBytes(m_work + '/' + name).trimmed().toInt());
    };
    QTRY_VERIFY(pidIn("fg") > 0 && pidIn("bg") > 0);
    QElapsedTimer hungUp;
    hungUp.start();
    ::kill(pid_t(p.processId()), SIGHUP);
    QVERIFY(p.waitForFinished(5000));
    QTRY_VERIFY_WITH_TIMEOUT(ended(pidIn("bg")) && ended(pidIn("fg")), 5000 - int(hungUp.elapsed()));
    QVERIFY(!p.readAllStandardOutput().contains("never"));
}

QTEST_GUILESS_MAIN(TestTolvbat)
#include "tst_tolvbat.moc"

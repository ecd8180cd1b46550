// Starts real processes and touches the real file system through the Qt platform.
#include "core/TOLV_Com.h"
#include "support/Scratch.h"

#include <cerrno>

using tolv::Entry;
using tolv::TOLV_Com;
using namespace tolv::test;

class TestQtPlatform : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsProgram_data();
    void startsProgram();
    void refused_data();
    void refused();
    void batchFile_data();
    void batchFile();

    void replaceFile();
    void failedWriteKeepsOldFile();
    void readText();
    void fileExists();
    void currentDir();

private:
    // A terminal emulator (xterm) on PATH that records its start and runs what follows -e, without input.
    void addTerminal()
    {
        QVERIFY(m_tmp->addRecorder(m_noPrograms + "/xterm", "shift\nexec \"$@\" < /dev/null\n"));
    }

    std::unique_ptr<Scratch> m_tmp;
    FolderPlatform m_p;
    QString m_app;
    QString m_work;
    QString m_noPrograms;
    QByteArray m_path;
    QString m_cwd;
};

void TestQtPlatform::init()
{
    m_tmp = std::make_unique<Scratch>();
    QVERIFY(m_tmp->isValid());
    m_app = m_tmp->path("app folder");
    m_work = m_tmp->path("work dir");
    m_noPrograms = m_tmp->path("no programs");
    for (const QString &d : {m_app, m_work, m_noPrograms})
        QVERIFY(QDir().mkpath(d));
    m_p.folder = m_app;
    m_p.messages.clear();

    m_cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_work));
    // Nothing to find on PATH, x-terminal-emulator included, unless a test puts it there.
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_noPrograms));
}

void TestQtPlatform::cleanup()
{
    qputenv("PATH", m_path);
    QDir::setCurrent(m_cwd);
    m_tmp.reset();
}

void TestQtPlatform::startsProgram_data()
{
    QTest::addColumn<int>("inAppFolder");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argText");
    QTest::addColumn<QStringList>("args");

    QTest::newRow("app folder with blanks, argument with blanks: one argument")
            << 1 << "TOLV_Post.exe" << "  /w/my  data/x.ind.in  " << QStringList{"/w/my  data/x.ind.in"};
    QTest::newRow("no argument") << 1 << "TOLV_Post.exe" << "   " << QStringList{};
    QTest::newRow("relative to the current folder") << 0 << "TOLV_Post.exe" << "a" << QStringList{"a"};
}

void TestQtPlatform::startsProgram()
{
    QFETCH(int, inAppFolder);
    QFETCH(QString, program);
    QFETCH(QString, argText);
    QFETCH(QStringList, args);

    const QString path = (inAppFolder == 1 ? m_app : m_work) + '/' + program;
    QVERIFY(m_tmp->addRecorder(path));
    TOLV_Com::Exec_Program(m_p, qint16(inAppFolder), program, "ポストプロセッサ", argText);
    QCOMPARE(m_p.messages, QList<Message>{});
    QCOMPARE(m_tmp->waitForStarts(1), QStringList{startLine(path, m_work, args)});
}

void TestQtPlatform::refused_data()
{
    QTest::addColumn<QString>("program"); // in the application folder
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("message"); // the whole text, or its first line when a reason follows
    QTest::addColumn<QString>("reason");  // what the reason holds

    QTest::newRow("missing") << "TOLV_Pre.exe" << "プリプロセッサ" << "プリプロセッサ（%1/TOLV_Pre.exe）が見つかりません。"
                             << "";
    // The file is there but the system refuses it: the user is told, with the system's reason.
    QTest::newRow("not executable") << "TOLV_Pre.exe" << "プリプロセッサ"
                                    << "プリプロセッサ（%1/TOLV_Pre.exe）を起動できません。" << qt_error_string(EACCES);
    // Checked before the start: inside a terminal window the failure would go by unseen.
    QTest::newRow("batch file without the interpreter")
            << "solver.bat" << "ソルバー・静解析実行" << "ソルバー・静解析実行（%1/solver.bat）を起動できません。"
            << "%1/tolvbat";
    // A NUL would cut the argument short: the program would get another file's name.
    QTest::newRow("NUL in the argument") << "TOLV_Post.exe" << "ポストプロセッサ"
                                         << "ポストプロセッサ（%1/TOLV_Post.exe）を起動できません。" << "NUL";
}

void TestQtPlatform::refused()
{
    QFETCH(QString, program);
    QFETCH(QString, tool);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    addTerminal();
    if (!reason.isEmpty())
        QVERIFY(writeFile(m_app + '/' + program, "#!/bin/sh\n"));
    const QString argText = program == "TOLV_Post.exe" ? QString("/w/a") + QChar(0) + "b.ind.in" : QString();
    TOLV_Com::Exec_Program(m_p, 1, program, tool, argText);
    QCOMPARE(m_p.messages.size(), 1);
    const Message shown = m_p.messages.at(0);
    QCOMPARE(shown.title, "TOLV_Strel");
    if (reason.isEmpty()) {
        QCOMPARE(shown.text, message.arg(m_app));
    } else {
        QCOMPARE(shown.text.section("\r\n", 0, 0), message.arg(m_app));
        QVERIFY2(shown.text.section("\r\n", 1).contains(reason.arg(m_app)), qPrintable(shown.text));
    }
    QCOMPARE(m_tmp->starts(), QStringList{});
}

void TestQtPlatform::batchFile_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::newRow("no terminal emulator: tolvbat's own window") << false;
    QTest::newRow("in the terminal emulator") << true;
}

// The suite's way: solver.bat in the application folder, run from the current folder, which holds
// the solver; PAUSE must not hold up a batch without a terminal.
void TestQtPlatform::batchFile()
{
    QFETCH(bool, terminal);

    QVERIFY(QFile::copy(binDir() + "/tolvbat", m_app + "/tolvbat"));
    QVERIFY(m_tmp->addRecorder(m_work + "/solver.exe"));
    QVERIFY(m_tmp->addRecorder(m_work + "/after.exe"));
    // The window waits at PAUSE for a key that nobody presses here: that batch has none, and
    // the window closes at its end.
    QVERIFY(writeFile(m_app + "/solver.bat", QByteArray("@echo off\r\nREM run the solver\r\nsolver.exe \"a b\" c\r\n")
                                                     + (terminal ? "PAUSE\r\n" : "") + "after.exe\r\n"));
    QStringList expected{startLine("./solver.exe", m_work, {"a b", "c"}), startLine("./after.exe", m_work)};
    if (terminal) {
        addTerminal();
        expected.prepend(startLine(m_noPrograms + "/xterm", m_work,
                                   {"-e", m_app + "/tolvbat", m_app + "/solver.bat"}));
    }

    TOLV_Com::Exec_Program(m_p, 0, m_app + "/solver.bat", "ソルバー・静解析実行", "");
    QCOMPARE(m_p.messages, QList<Message>{});
    QCOMPARE(m_tmp->waitForStarts(expected.size()), expected);
}

void TestQtPlatform::replaceFile()
{
    const QString path = m_app + "/run.dat";
    QVERIFY(writeFile(path, QByteArray(200, 'x')));
    const tolv::Outcome out = m_p.replaceFile(path, "/w/my data/a.dat\r\n\r\n/w/\u65e5\u672c.fem\r\n");
    QVERIFY2(out.ok(), qPrintable(out.reason()));
    QCOMPARE(readBytes(path), QByteArray("/w/my data/a.dat\r\n\r\n/w/\xe6\x97\xa5\xe6\x9c\xac.fem\r\n"));
}

void TestQtPlatform::failedWriteKeepsOldFile()
{
    const QString path = m_app + "/run.dat";
    QVERIFY(writeFile(path, "old\r\n"));

    // A character that the narrow encoding cannot hold.
    tolv::Outcome out = m_p.replaceFile(path, "a\r\n" + QString(QChar(0xD800)) + "b\r\n");
    QVERIFY(!out.ok());
    QVERIFY(!out.reason().isEmpty());
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));

    // A directory in the way stays a directory.
    const QString dir = m_app + "/taken";
    QVERIFY(QDir().mkpath(dir + "/inside"));
    out = m_p.replaceFile(dir, "a\r\n");
    QVERIFY(!out.ok());
    QVERIFY(!out.reason().isEmpty());
    QVERIFY(QFileInfo(dir + "/inside").isDir());

    // A file that nobody may write is kept, as Windows keeps a read-only one; a file that only
    // its group may write is replaced (a shared folder).
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    out = m_p.replaceFile(path, "a\r\n");
    QCOMPARE(out.reason(), QStringLiteral("読み取り専用のファイルです。"));
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteGroup));
    QVERIFY(m_p.replaceFile(path, "old\r\n").ok());

    out = m_p.replaceFile(m_app + "/no such folder/run.dat", "a\r\n");
    QVERIFY(!out.ok());
    QVERIFY(!out.reason().isEmpty());

    // Nothing left behind by the failed attempts.
    QCOMPARE(QDir(m_app).entryList(QDir::Files | QDir::Hidden), QStringList{"run.dat"});
}

void TestQtPlatform::readText()
{
    QVERIFY(!m_p.readText(m_app).ok());
    QVERIFY(!m_p.readText(m_app + "/missing.dat").ok());

    // Decoded whole; a sequence cut off at the end is kept visible, not dropped.
    QVERIFY(writeFile(m_app + "/run.dat", "/w/a b.dat\r\n\"/w/c,d.ana\"\r\n/w/\xe6\x97\xa5.out\xe6\x97"));
    const tolv::Result<tolv::TextStart> text = m_p.readText(m_app + "/run.dat");
    QVERIFY2(text.ok(), qPrintable(text.reason()));
    QVERIFY(text.value().whole);
    QCOMPARE(text.value().text, QString("/w/a b.dat\r\n\"/w/c,d.ana\"\r\n/w/\u65e5.out\ufffd\ufffd"));
}

void TestQtPlatform::fileExists()
{
    QVERIFY(writeFile(m_work + "/TOLV_Pre.exe", ""));
    const auto entry = [this](const QString &path) {
        const tolv::Result<tolv::Entry> found = m_p.fileExists(path);
        return found.ok() ? int(found.value()) : -1;
    };
    QCOMPARE(entry(m_work + "/TOLV_Pre.exe"), int(Entry::File));
    QCOMPARE(entry("TOLV_Pre.exe"), int(Entry::File)); // relative to the current folder
    QCOMPARE(entry(m_app), int(Entry::Other));
    QCOMPARE(entry(m_app + "/TOLV_Pre.exe"), int(Entry::None));
    QCOMPARE(entry(""), int(Entry::None));
    QCOMPARE(entry(m_work + QChar(0) + "/TOLV_Pre.exe"), -1); // the test itself fails
}

void TestQtPlatform::currentDir()
{
    QVERIFY(m_p.setCurrentDir(m_app).ok());
    QCOMPARE(QDir::currentPath(), m_app);
    const tolv::Outcome out = m_p.setCurrentDir(m_app + "/missing");
    QVERIFY(!out.ok());
    QCOMPARE(out.reason(), m_app + "/missing: " + qt_error_string(ENOENT));
    QCOMPARE(QDir::currentPath(), m_app);
}

QTEST_GUILESS_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"

// Starts real processes and touches the real file system through the Qt platform.
#include "core/TOLV_Com.h"
#include "platform/QtPlatform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using tolv::Existence;
using tolv::TOLV_Com;

namespace {

// The real platform with its application folder moved and its message boxes recorded.
class TestPlatform : public tolv::QtPlatform
{
public:
    QString folder;
    QStringList messages; // title, then text, for each box

    QString appFolder() const override { return folder; }
    void critical(const QString &title, const QString &text) override { messages << title << text; }
};

const int StartTimeoutMs = 10000;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions perms)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size()
        && f.setPermissions(perms);
}

const QFile::Permissions Exec = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
const QFile::Permissions NoExec = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

class TestQtPlatform : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsProgram_data();
    void startsProgram();
    void missingProgram();
    void notExecutable();
    void batchFile_data();
    void batchFile();
    void batchWithoutInterpreter();

    void writeLines();
    void failedWriteKeepsOldFile();
    void openFields();
    void fileExists();
    void currentDir();

private:
    // A script that records its working folder and arguments in records/<its name>, then
    // leaves records/<its name>.done. Shell built-ins only: PATH is emptied in these tests.
    void addRecorder(const QString &path);
    // A terminal emulator on PATH that records its arguments in records/terminal and runs what
    // follows -e, without input.
    void addTerminal();
    // Waits (bounded) for a recorder's run; its working folder, then each argument in [].
    QStringList recorded(const QString &name);

    std::unique_ptr<QTemporaryDir> m_tmp;
    TestPlatform m_p;
    QString m_app;
    QString m_work;
    QString m_records;
    QByteArray m_path;
    QString m_cwd;
};

void TestQtPlatform::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    const QDir root(m_tmp->path());
    m_app = root.filePath("app folder");
    m_work = root.filePath("work dir");
    m_records = root.filePath("records");
    for (const QString &d : {m_app, m_work, m_records, root.filePath("no programs")})
        QVERIFY(QDir().mkpath(d));
    m_p.folder = m_app;
    m_p.messages.clear();

    m_cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_work));
    // Nothing to find on PATH, x-terminal-emulator included, unless a test puts it there.
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(root.filePath("no programs")));
}

void TestQtPlatform::cleanup()
{
    qputenv("PATH", m_path);
    QDir::setCurrent(m_cwd);
    m_tmp.reset();
}

void TestQtPlatform::addRecorder(const QString &path)
{
    const QByteArray script = "#!/bin/sh\n"
                              "out='" + QFile::encodeName(m_records) + "/'\"${0##*/}\"\n"
                              "{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \"$out\"\n"
                              ": > \"$out.done\"\n";
    QVERIFY(writeFile(path, script, Exec));
}

void TestQtPlatform::addTerminal()
{
    QVERIFY(writeFile(qEnvironmentVariable("PATH") + "/x-terminal-emulator",
                      "#!/bin/sh\nprintf '[%s]\\n' \"$@\" > '" + QFile::encodeName(m_records)
                              + "/terminal'\nshift\nexec \"$@\" < /dev/null\n",
                      Exec));
}

QStringList TestQtPlatform::recorded(const QString &name)
{
    const QString out = m_records + '/' + name;
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!QFile::exists(out + ".done")) {
        if (deadline.hasExpired())
            return {"<" + name + " did not run>"};
        QTest::qWait(20);
    }
    return QString::fromUtf8(readAll(out)).split('\n', Qt::SkipEmptyParts);
}

void TestQtPlatform::startsProgram_data()
{
    QTest::addColumn<int>("inAppFolder");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argText");
    QTest::addColumn<QStringList>("args");

    QTest::newRow("app folder with blanks, argument with blanks: one argument")
            << 1 << "TOLV_Post.exe" << "  /w/my  data/x.ind.in  " << QStringList{"[/w/my  data/x.ind.in]"};
    QTest::newRow("no argument") << 1 << "TOLV_Post.exe" << "   " << QStringList{};
    QTest::newRow("relative to the current folder") << 0 << "TOLV_Post.exe" << "a" << QStringList{"[a]"};
}

void TestQtPlatform::startsProgram()
{
    QFETCH(int, inAppFolder);
    QFETCH(QString, program);
    QFETCH(QString, argText);
    QFETCH(QStringList, args);

    addRecorder((inAppFolder == 1 ? m_app : m_work) + '/' + program);
    TOLV_Com::Exec_Program(m_p, qint16(inAppFolder), program, "ポストプロセッサ", argText);
    QCOMPARE(m_p.messages, QStringList{});
    QCOMPARE(recorded(program), QStringList{m_work} + args);
}

void TestQtPlatform::missingProgram()
{
    TOLV_Com::Exec_Program(m_p, 1, "TOLV_Pre.exe", "プリプロセッサ", "");
    QCOMPARE(m_p.messages,
             (QStringList{"TOLV_Strel", "プリプロセッサ（" + m_app + "/TOLV_Pre.exe）が見つかりません。"}));
}

// The file is there but the system refuses it: the user is told, with the system's reason.
void TestQtPlatform::notExecutable()
{
    QVERIFY(writeFile(m_app + "/TOLV_Pre.exe", "#!/bin/sh\n", NoExec));
    TOLV_Com::Exec_Program(m_p, 1, "TOLV_Pre.exe", "プリプロセッサ", "");
    QCOMPARE(m_p.messages.size(), 2);
    QCOMPARE(m_p.messages.at(0), QString("TOLV_Strel"));
    const QString head = "プリプロセッサ（" + m_app + "/TOLV_Pre.exe）を起動できません。\r\n";
    QVERIFY2(m_p.messages.at(1).startsWith(head), qPrintable(m_p.messages.at(1)));
    QVERIFY2(m_p.messages.at(1).mid(head.size()).contains(qt_error_string(EACCES)),
             qPrintable(m_p.messages.at(1)));
}

void TestQtPlatform::batchFile_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::newRow("no terminal emulator: detached") << false;
    QTest::newRow("in the terminal emulator") << true;
}

// The suite's way: solver.bat in the application folder, run from the current folder, which holds
// the solver; PAUSE must not hold up a batch without a terminal.
void TestQtPlatform::batchFile()
{
    QFETCH(bool, terminal);

    const QString bin = qEnvironmentVariable("TOLV_BIN_DIR", QCoreApplication::applicationDirPath() + "/../bin");
    QVERIFY(QFile::copy(bin + "/tolvbat", m_app + "/tolvbat"));
    addRecorder(m_work + "/solver.exe");
    addRecorder(m_work + "/after.exe");
    QVERIFY(writeFile(m_app + "/solver.bat",
                      "@echo off\r\nREM run the solver\r\nsolver.exe \"a b\" c\r\nPAUSE\r\nafter.exe\r\n", Exec));
    if (terminal)
        addTerminal();

    TOLV_Com::Exec_Program(m_p, 0, m_app + "/solver.bat", "ソルバー・静解析実行", "");
    QCOMPARE(m_p.messages, QStringList{});
    QCOMPARE(recorded("solver.exe"), (QStringList{m_work, "[a b]", "[c]"}));
    QCOMPARE(recorded("after.exe"), QStringList{m_work});
    if (terminal) {
        QCOMPARE(QString::fromUtf8(readAll(m_records + "/terminal")).split('\n', Qt::SkipEmptyParts),
                 (QStringList{"[-e]", "[" + m_app + "/tolvbat]", "[" + m_app + "/solver.bat]"}));
    } else {
        QVERIFY(!QFile::exists(m_records + "/terminal"));
    }
}

// Checked before the start: inside a terminal window the failure would go by unseen.
void TestQtPlatform::batchWithoutInterpreter()
{
    addTerminal();
    QVERIFY(writeFile(m_app + "/solver.bat", "PAUSE\r\n", Exec));
    TOLV_Com::Exec_Program(m_p, 0, m_app + "/solver.bat", "ソルバー・静解析実行", "");
    QCOMPARE(m_p.messages.size(), 2);
    QVERIFY2(m_p.messages.at(1).startsWith("ソルバー・静解析実行（" + m_app
                                           + "/solver.bat）を起動できません。\r\n"),
             qPrintable(m_p.messages.at(1)));
    QVERIFY2(m_p.messages.at(1).endsWith(m_app + "/tolvbat"), qPrintable(m_p.messages.at(1)));
}

void TestQtPlatform::writeLines()
{
    const QString path = m_app + "/run.dat";
    QVERIFY(writeFile(path, QByteArray(200, 'x'), NoExec));
    const tolv::Outcome out = m_p.writeLines(path, {"/w/my data/a.dat", "", "/w/\u65e5\u672c.fem"});
    QVERIFY2(out.ok, qPrintable(out.reason));
    QCOMPARE(readAll(path), QByteArray("/w/my data/a.dat\r\n\r\n/w/\xe6\x97\xa5\xe6\x9c\xac.fem\r\n"));
}

void TestQtPlatform::failedWriteKeepsOldFile()
{
    const QString path = m_app + "/run.dat";
    QVERIFY(writeFile(path, "old\r\n", NoExec));

    // A character that the narrow encoding cannot hold.
    tolv::Outcome out = m_p.writeLines(path, {"a", QString(QChar(0xD800)) + "b"});
    QVERIFY(!out.ok);
    QVERIFY(!out.reason.isEmpty());
    QCOMPARE(readAll(path), QByteArray("old\r\n"));

    // A directory in the way stays a directory.
    const QString dir = m_app + "/taken";
    QVERIFY(QDir().mkpath(dir + "/inside"));
    out = m_p.writeLines(dir, {"a"});
    QVERIFY(!out.ok);
    QVERIFY(!out.reason.isEmpty());
    QVERIFY(QFileInfo(dir + "/inside").isDir());

    out = m_p.writeLines(m_app + "/no such folder/run.dat", {"a"});
    QVERIFY(!out.ok);
    QVERIFY(!out.reason.isEmpty());

    // Nothing left behind by the failed attempts.
    QCOMPARE(QDir(m_app).entryList(QDir::Files | QDir::Hidden), QStringList{"run.dat"});
}

void TestQtPlatform::openFields()
{
    QVERIFY(!m_p.openFields(m_app));
    QVERIFY(!m_p.openFields(m_app + "/missing.dat"));

    QVERIFY(writeFile(m_app + "/run.dat", "/w/a b.dat\r\n\"/w/c,d.ana\"\r\n/w/\xe6\x97\xa5.out", NoExec));
    const std::unique_ptr<tolv::FieldSource> fields = m_p.openFields(m_app + "/run.dat");
    QVERIFY(fields);
    QCOMPARE(fields->next().value_or("<none>"), QString("/w/a b.dat"));
    QCOMPARE(fields->next().value_or("<none>"), QString("/w/c,d.ana"));
    QCOMPARE(fields->next().value_or("<none>"), QString("/w/\u65e5.out"));
    QVERIFY(!fields->next());
}

void TestQtPlatform::fileExists()
{
    QVERIFY(writeFile(m_work + "/TOLV_Pre.exe", "", NoExec));
    QCOMPARE(m_p.fileExists(m_work + "/TOLV_Pre.exe"), Existence::Present);
    QCOMPARE(m_p.fileExists("TOLV_Pre.exe"), Existence::Present); // relative to the current folder
    QCOMPARE(m_p.fileExists(m_app), Existence::Absent);
    QCOMPARE(m_p.fileExists(m_app + "/TOLV_Pre.exe"), Existence::Absent);
    QCOMPARE(m_p.fileExists(""), Existence::Absent);
    QCOMPARE(m_p.fileExists(m_work + QChar(0) + "/TOLV_Pre.exe"), Existence::Error);
}

void TestQtPlatform::currentDir()
{
    QVERIFY(m_p.setCurrentDir(m_app).ok);
    QCOMPARE(m_p.currentDir(), m_app);
    const tolv::Outcome out = m_p.setCurrentDir(m_app + "/missing");
    QVERIFY(!out.ok);
    QCOMPARE(out.reason, m_app + "/missing: " + qt_error_string(ENOENT));
    QCOMPARE(m_p.currentDir(), m_app);
}

QTEST_GUILESS_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"

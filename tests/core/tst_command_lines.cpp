#include "platform/CommandLines.h"

#include <QTest>

using namespace tolv;

class TestCommandLines : public QObject
{
    Q_OBJECT
private slots:
    void windowsCommandLine_data();
    void windowsCommandLine();
    void windowsBatch_data();
    void windowsBatch();
    void posixProgram();
    void posixBatch();
};

void TestCommandLines::windowsCommandLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("argText");
    QTest::addColumn<QString>("line");
    QTest::newRow("no argument, no trailing blank")
            << "C:\\TOLV\\TOLV_Pre.exe" << "" << "\"C:\\TOLV\\TOLV_Pre.exe\"";
    QTest::newRow("blanks in the path: one quoted path, the argument raw")
            << "C:\\Program Files\\TOLV\\TOLV_Post.exe" << "C:\\my data\\x.ind.in"
            << "\"C:\\Program Files\\TOLV\\TOLV_Post.exe\" C:\\my data\\x.ind.in";
    QTest::newRow("cmd.exe and its batch arguments")
            << "C:\\Windows\\system32\\cmd.exe" << "/d /c \"\"C:\\TOLV\\solver.bat\"\""
            << "\"C:\\Windows\\system32\\cmd.exe\" /d /c \"\"C:\\TOLV\\solver.bat\"\"";
}

void TestCommandLines::windowsCommandLine()
{
    QFETCH(QString, path);
    QFETCH(QString, argText);
    QFETCH(QString, line);
    QCOMPARE(win::commandLine(path, argText), line);
}

void TestCommandLines::windowsBatch_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("args"); // null: refused
    QTest::newRow("plain") << "C:\\TOLV\\solver.bat" << "/d /c \"\"C:\\TOLV\\solver.bat\"\"";
    QTest::newRow("blanks and cmd's operators stay inside the quotes")
            << "C:\\Program Files\\A&B (x86)\\^run.bat"
            << "/d /c \"\"C:\\Program Files\\A&B (x86)\\^run.bat\"\"";
    QTest::newRow("double quote refused") << "C:\\a\"b\\solver.bat" << QString();
    QTest::newRow("percent refused") << "C:\\%PATH%\\solver.bat" << QString();
    QTest::newRow("CR refused") << "C:\\a\rb\\solver.bat" << QString();
    QTest::newRow("LF refused") << "C:\\a\nb\\solver.bat" << QString();
}

void TestCommandLines::windowsBatch()
{
    QFETCH(QString, path);
    QFETCH(QString, args);
    const std::optional<QString> got = win::batchArguments(path);
    QCOMPARE(got.has_value(), !args.isNull());
    if (got)
        QCOMPARE(*got, args);
}

void TestCommandLines::posixProgram()
{
    const StartCommand with = posix::programCommand("/opt/my tolv/TOLV_Post.exe", "/w/my data/x.ind.in");
    QCOMPARE(with.program, QString("/opt/my tolv/TOLV_Post.exe"));
    QCOMPARE(with.arguments, QStringList{"/w/my data/x.ind.in"});

    const StartCommand without = posix::programCommand("/opt/tolv/TOLV_Pre.exe", "");
    QCOMPARE(without.program, QString("/opt/tolv/TOLV_Pre.exe"));
    QVERIFY(without.arguments.isEmpty());
}

void TestCommandLines::posixBatch()
{
    const StartCommand bare = posix::batchCommand("/opt/my tolv/tolvbat", "/opt/my tolv/solver.bat", "");
    QCOMPARE(bare.program, QString("/opt/my tolv/tolvbat"));
    QCOMPARE(bare.arguments, QStringList{"/opt/my tolv/solver.bat"});

    const StartCommand term = posix::batchCommand("/opt/my tolv/tolvbat", "/opt/my tolv/solver.bat",
                                                  "/usr/bin/x-terminal-emulator");
    QCOMPARE(term.program, QString("/usr/bin/x-terminal-emulator"));
    QCOMPARE(term.arguments,
             (QStringList{"-e", "/opt/my tolv/tolvbat", "/opt/my tolv/solver.bat"}));
}

QTEST_APPLESS_MAIN(TestCommandLines)
#include "tst_command_lines.moc"

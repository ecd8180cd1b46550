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
    void windowsBatchFolder_data();
    void windowsBatchFolder();
    void posixProgram();
    void posixBatch_data();
    void posixBatch();
    void chooseTerminal_data();
    void chooseTerminal();
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
    const tolv::Result<QString> got = win::batchArguments(path);
    QCOMPARE(got.ok(), !args.isNull());
    if (got.ok())
        QCOMPARE(got.value(), args);
}

void TestCommandLines::windowsBatchFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("problem");
    const int none = int(win::FolderProblem::None);
    const int network = int(win::FolderProblem::Network);
    const int tooLong = int(win::FolderProblem::TooLong);
    QTest::newRow("a drive's folder") << "C:\\Users\\taro\\AppData\\Local\\Programs\\TOLVStrel" << none;
    QTest::newRow("a mapped network drive") << "Z:\\解析\\TOLVStrel" << none;
    QTest::newRow("a share") << "\\\\server\\share\\TOLVStrel" << network;
    QTest::newRow("a share, forward slashes") << "//server/share/TOLVStrel" << network;
    QTest::newRow("a share in extended form") << "\\\\?\\UNC\\server\\share\\TOLVStrel" << network;
    // solver.bat (and the solver beside it) must stay within 259 characters.
    QTest::newRow("248 characters") << "C:\\" + QString(245, u'd') << none;
    QTest::newRow("249 characters") << "C:\\" + QString(246, u'd') << tooLong;
    QTest::newRow("253 characters, full-width") << "C:\\" + QString(250, u'解') << tooLong;
    QTest::newRow("long, in extended form") << "\\\\?\\C:\\" + QString(250, u'd') << tooLong;
}

void TestCommandLines::windowsBatchFolder()
{
    QFETCH(QString, folder);
    QFETCH(int, problem);
    QCOMPARE(int(win::batchFolderProblem(folder)), problem);
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

void TestCommandLines::posixBatch_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<QStringList>("argv"); // program first
    const QString bat = "/opt/my tolv/tolvbat";
    const QString batch = "/opt/my tolv/solver.bat";
    const QString dir = "/home/u/my data";
    using T = posix::Terminal;
    QTest::newRow("no terminal: the interpreter's own window")
            << int(T::None) << "" << QStringList{bat, "--window", batch};
    QTest::newRow("xterm: -e program arguments, the folder inherited")
            << int(T::Xterm) << "/usr/bin/xterm" << QStringList{"/usr/bin/xterm", "-e", bat, batch};
    QTest::newRow("gnome-terminal: after --")
            << int(T::GnomeTerminal) << "/usr/bin/gnome-terminal"
            << QStringList{"/usr/bin/gnome-terminal", "--working-directory=" + dir, "--", bat, batch};
    QTest::newRow("konsole: -e takes all that follows")
            << int(T::Konsole) << "/usr/bin/konsole"
            << QStringList{"/usr/bin/konsole", "--workdir", dir, "-e", bat, batch};
    QTest::newRow("xfce4-terminal: -x, not -e, which takes one string")
            << int(T::Xfce4Terminal) << "/usr/bin/xfce4-terminal"
            << QStringList{"/usr/bin/xfce4-terminal", "--working-directory=" + dir, "-x", bat, batch};
    QTest::newRow("lxterminal: -e last")
            << int(T::Lxterminal) << "/usr/bin/lxterminal"
            << QStringList{"/usr/bin/lxterminal", "--working-directory=" + dir, "-e", bat, batch};
}

// Every path reaches the program as one argument of its own, blanks and all.
void TestCommandLines::posixBatch()
{
    QFETCH(int, kind);
    QFETCH(QString, terminal);
    QFETCH(QStringList, argv);
    const StartCommand cmd = posix::batchCommand("/opt/my tolv/tolvbat", "/opt/my tolv/solver.bat",
                                                 {posix::Terminal(kind), terminal}, "/home/u/my data");
    QCOMPARE(QStringList{cmd.program} + cmd.arguments, argv);
}

void TestCommandLines::chooseTerminal_data()
{
    QTest::addColumn<QStringList>("onPath");  // name=path found on PATH
    QTest::addColumn<QStringList>("links");   // path=where it leads
    QTest::addColumn<QString>("chosen");      // kind:path
    QTest::newRow("nothing: none") << QStringList{} << QStringList{} << "0:";
    QTest::newRow("the user's x-terminal-emulator, a known one")
            << QStringList{"x-terminal-emulator=/usr/bin/x-terminal-emulator", "xterm=/usr/bin/xterm",
                           "konsole=/usr/bin/konsole"}
            << QStringList{"/usr/bin/x-terminal-emulator=/usr/bin/lxterm"} << "1:/usr/bin/x-terminal-emulator";
    QTest::newRow("an unknown x-terminal-emulator: the first known on PATH")
            << QStringList{"x-terminal-emulator=/usr/bin/x-terminal-emulator", "xterm=/usr/bin/xterm",
                           "lxterminal=/usr/bin/lxterminal"}
            << QStringList{"/usr/bin/x-terminal-emulator=/usr/bin/sakura"} << "5:/usr/bin/lxterminal";
    QTest::newRow("Debian's wrapper: the real program")
            << QStringList{"x-terminal-emulator=/usr/bin/x-terminal-emulator",
                           "gnome-terminal=/usr/bin/gnome-terminal"}
            << QStringList{"/usr/bin/x-terminal-emulator=/usr/bin/gnome-terminal.wrapper"}
            << "2:/usr/bin/gnome-terminal";
    QTest::newRow("no x-terminal-emulator, xterm only") << QStringList{"xterm=/opt/x11/xterm"} << QStringList{}
                                                        << "1:/opt/x11/xterm";
}

void TestCommandLines::chooseTerminal()
{
    QFETCH(QStringList, onPath);
    QFETCH(QStringList, links);
    QFETCH(QString, chosen);
    const auto lookup = [](const QStringList &pairs, const QString &key, const QString &otherwise) {
        for (const QString &pair : pairs)
            if (pair.section(u'=', 0, 0) == key)
                return pair.section(u'=', 1);
        return otherwise;
    };
    const posix::TerminalChoice got = posix::chooseTerminal(
            [&](const QString &name) { return lookup(onPath, name, QString()); },
            [&](const QString &path) { return lookup(links, path, path); });
    QCOMPARE(QString::number(int(got.kind)) + u':' + got.path, chosen);
}

QTEST_APPLESS_MAIN(TestCommandLines)
#include "tst_command_lines.moc"

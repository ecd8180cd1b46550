// tolvbat's own console window, where no terminal emulator is installed: the output as it comes,
// how a failing command ended, PAUSE, the end of the batch, output without end, and what a closed
// window ends.
#include "ConsoleWindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/wait.h>

namespace {

// Whether the process has ended (a zombie that its new parent has not waited for yet has).
bool ended(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
}

pid_t pidIn(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? pid_t(f.readAll().trimmed().toInt()) : 0;
}

} // namespace

using tolv::batch::ConsoleWindow;

class TestConsoleWindow : public QObject
{
    Q_OBJECT
private slots:
    void runs_data();
    void runs();
    void flood();
    void closeEndsTheRun_data();
    void closeEndsTheRun();
};

void TestConsoleWindow::runs_data()
{
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<QStringList>("beforeGoOn"); // the lines shown when it waits
    QTest::addColumn<QStringList>("atEnd");      // the lines shown when it has closed
    QTest::addColumn<int>("result");
    const QString pause = ConsoleWindow::pauseLine();
    QTest::newRow("output, a failing command's status, PAUSE, the rest")
            << QByteArray("/bin/echo solver output\r\n/bin/sh -c \"echo to stderr >&2; exit 3\"\r\nPAUSE\r\n"
                          "/bin/echo after\r\n")
            << QStringList{"solver output", "to stderr", "tolvbat: /bin/sh ended with exit status 3", pause}
            << QStringList{"solver output", "to stderr", "tolvbat: /bin/sh ended with exit status 3", pause,
                           "after", ""}
            << 0;
    QTest::newRow("a program that cannot be started stops the batch, which waits to be read")
            << QByteArray("/bin/echo before\r\nnosuch.exe x\r\n/bin/echo never\r\n")
            << QStringList{"before", "tolvbat: nosuch.exe: command not found (exit status 127)", pause}
            << QStringList{"before", "tolvbat: nosuch.exe: command not found (exit status 127)", pause, ""}
            << 1;
}

void TestConsoleWindow::runs()
{
    QFETCH(QByteArray, batch);
    QFETCH(QStringList, beforeGoOn);
    QFETCH(QStringList, atEnd);
    QFETCH(int, result);
    ConsoleWindow console(QStringLiteral("/app/solver.bat"), tolv::batch::parse(batch.toStdString()));
    console.show();
    console.run();
    QTRY_VERIFY(console.waiting());
    QCOMPARE(console.text().split(u'\n'), beforeGoOn);
    QVERIFY(console.isVisible());
    auto *button = console.findChild<QPushButton *>(QStringLiteral("continue"));
    QVERIFY(button->isEnabled());
    // A key goes on in the first row, the button in the second.
    if (result == 0)
        QTest::keyClick(&console, Qt::Key_X);
    else
        button->click();
    QTRY_VERIFY(!console.isVisible());
    QCOMPARE(console.text().split(u'\n'), atEnd);
    QCOMPARE(console.result(), result);
}

// A command that prints long lines without end: the window keeps the last lines only, each cut at
// the line width, answers a close that comes through the event loop at once, and the close ends
// the command and the batch.
void TestConsoleWindow::flood()
{
    const QByteArray line(1300, 'x'); // 512 + 512 + 276 characters
    {
        const std::string batch = "/usr/bin/yes " + line.toStdString() + "\r\n/bin/echo never\r\n";
        ConsoleWindow console(QStringLiteral("/app/flood.bat"), tolv::batch::parse(batch));
        console.show();
        console.run();
        auto *view = console.findChild<QPlainTextEdit *>(QStringLiteral("output"));
        QTRY_VERIFY(view->blockCount() >= ConsoleWindow::ScrollbackLines);
        QTest::qWait(300);
        QStringList lines = console.text().split(u'\n');
        QCOMPARE(lines.size(), ConsoleWindow::ScrollbackLines);
        lines.removeLast(); // the one being written
        for (const QString &shown : lines)
            QVERIFY2((shown.size() == 512 || shown.size() == 276) && shown.count(u'x') == shown.size(),
                     qPrintable(shown.left(20)));
        QMetaObject::invokeMethod(&console, &QWidget::close, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(!console.isVisible(), 5000);
        QVERIFY(!console.text().contains(QStringLiteral("never")));
    }
    // The command has ended and been waited for: no child is left.
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void TestConsoleWindow::closeEndsTheRun_data()
{
    QTest::addColumn<QString>("command"); // a shell's commands; %1 is the work folder
    QTest::addColumn<bool>("atPause");     // closed at the PAUSE after it; otherwise while it runs
    // Each ignores hangups and leaves a child in the background, which ignores them too.
    QTest::newRow("a command that has ended left it, closed at PAUSE")
            << "trap '' HUP; sleep 1000 & echo $! > %1/bg" << true;
    QTest::newRow("a command that runs on after the hangup, closed while it runs")
            << "trap '' HUP; sleep 1000 & echo $! > %1/bg; echo $$ > %1/fg; exec sleep 999" << false;
}

// Closing the window ends every process that the batch run left in its groups within the grace
// of a hangup, whether or not the command itself has ended.
void TestConsoleWindow::closeEndsTheRun()
{
    QFETCH(QString, command);
    QFETCH(bool, atPause);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString line = "/bin/sh -c \"" + command.arg(work.path()) + "\"\r\nPAUSE\r\n/bin/echo never\r\n";
    QElapsedTimer closed;
    {
        ConsoleWindow console(QStringLiteral("/app/solver.bat"), tolv::batch::parse(line.toStdString()));
        console.show();
        console.run();
        if (atPause)
            QTRY_VERIFY(console.waiting());
        else
            QTRY_VERIFY(pidIn(work.filePath("fg")) > 0);
        QTRY_VERIFY(pidIn(work.filePath("bg")) > 0);
        console.close();
        closed.start();
    }
    QTRY_VERIFY_WITH_TIMEOUT(ended(pidIn(work.filePath("bg"))), 5000 - int(closed.elapsed()));
    if (!atPause)
        QVERIFY(ended(pidIn(work.filePath("fg"))));
    QVERIFY(closed.elapsed() < 5000);
}

QTEST_MAIN(TestConsoleWindow)
#include "tst_console_window.moc"

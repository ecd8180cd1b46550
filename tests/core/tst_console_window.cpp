// tolvbat's own console window, where no terminal emulator is installed: the output as it comes,
// how a failing command ended, PAUSE, the end of the batch, and output without end.
#include "ConsoleWindow.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <sys/wait.h>

using tolv::batch::ConsoleWindow;

class TestConsoleWindow : public QObject
{
    Q_OBJECT
private slots:
    void runs_data();
    void runs();
    void flood();
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

QTEST_MAIN(TestConsoleWindow)
#include "tst_console_window.moc"

// tolvbat's own console window, where no terminal emulator is installed: the output as it comes,
// how a failing command ended, PAUSE, and the end of the batch.
#include "ConsoleWindow.h"

#include <QPushButton>
#include <QTest>

using tolv::batch::ConsoleWindow;

class TestConsoleWindow : public QObject
{
    Q_OBJECT
private slots:
    void runs_data();
    void runs();
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

QTEST_MAIN(TestConsoleWindow)
#include "tst_console_window.moc"

// The whole chain with real processes: a preprocessor stand-in writes the analysis files, the dialog
// starts the solver through solver.bat and the batch interpreter, then the main window's linked starts
// run the postprocessor and the analysis-type batch file.
// Only the message boxes and the open-file dialog are scripted; files, folders and processes are real.
#include "support/Scratch.h"
#include "support/WindowDriver.h"
#include "ui/main/Main.h"

#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace tolv;
using namespace tolv::test;

class TestFilenameChain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void preprocessorSolverPostprocessor();
    void failedWrites_data();
    void failedWrites();

private:
    QString path(const QString &name) const { return m_app + u'/' + name; }

    QTemporaryDir m_noTools;
    QString m_startDir;
    std::unique_ptr<Scratch> m_tmp;
    QString m_app;
    QString m_data;
    std::unique_ptr<FolderPlatform> m_p;
    TOLV_Com m_com;
};

void TestFilenameChain::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("the batch interpreter stand-in runs on POSIX systems");
#else
    QVERIFY(!qEnvironmentVariableIsEmpty("TOLV_BIN_DIR"));
    // Started programs find nothing on PATH but a terminal emulator that runs the batch without a
    // terminal, so that PAUSE goes on at once.
    qputenv("PATH", QFile::encodeName(m_noTools.path()));
    QVERIFY(writeFile(m_noTools.path() + "/xterm", "#!/bin/sh\nshift\nexec \"$@\" </dev/null\n"));
    QVERIFY(QFile::setPermissions(m_noTools.path() + "/xterm", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QStandardPaths::findExecutable("x-terminal-emulator").isEmpty());
    const int null = ::open("/dev/null", O_RDONLY);
    QVERIFY(null >= 0);
    QVERIFY(::dup2(null, STDIN_FILENO) == STDIN_FILENO);
    ::close(null);
    m_startDir = QDir::currentPath();
#endif
}

void TestFilenameChain::init()
{
    m_tmp = std::make_unique<Scratch>();
    QVERIFY(m_tmp->isValid());
    m_app = m_tmp->path("app");
    m_data = m_tmp->path("data");
    QVERIFY(QDir().mkpath(m_app));
    QVERIFY(QDir().mkpath(m_data));
    QVERIFY(QDir::setCurrent(m_tmp->root()));

    QVERIFY(QFile::copy(binDir() + "/tolvbat", path("tolvbat")));
    const QByteArray data = QFile::encodeName(m_data);
    QVERIFY(m_tmp->addRecorder(path("TOLV_Pre.exe"), "printf 'analysis\\r\\n' > '" + data + "/beam.ana'\n"
                                                     "printf 'STATIC.exe\\r\\nPAUSE\\r\\n' > '" + data + "/beam.bat'\n"));
    QVERIFY(m_tmp->addRecorder(path("STATIC.exe")));
    QVERIFY(m_tmp->addRecorder(path("TOLV_Post.exe")));

    m_p = std::make_unique<FolderPlatform>();
    m_p->folder = m_app;
    m_com = TOLV_Com();
}

void TestFilenameChain::cleanup()
{
    discardDialog();
    m_p.reset();
    QDir::setCurrent(m_startDir);
    m_tmp.reset();
}

void TestFilenameChain::preprocessorSolverPostprocessor()
{
    Main main(m_com, *m_p);
    main.show();

    QTest::mouseClick(control<QPushButton>(&main, "cmd_Pre"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_data + "/beam.bat"), 10000);
    QCOMPARE(m_tmp->waitForStarts(1), QStringList{startLine(path("TOLV_Pre.exe"), m_tmp->root())});

    // Solver by file name; tolvbat finds the solver in the application folder, its current directory.
    QCOMPARE(clickAndPopup(&main, "cmd_Solver", {"mnu_filename"}), "mnu_solver");
    browse(*m_p, shownDialog(main.filenameDialog()), m_data + "/beam.ana");
    pressRun(shownDialog(main.filenameDialog()));
    QCOMPARE(m_p->messages, QList<Message>{});
    QCOMPARE(readBytes(path("solver.bat")), "STATIC.exe\r\nPAUSE\r\n");
    const QByteArray base = QFile::encodeName(m_data + "/beam");
    QCOMPARE(readBytes(path("run.dat")), base + ".dat\r\n" + base + ".ana\r\n" + base + ".out\r\n"
                                                 + base + ".fem\r\n" + base + ".ind.in\r\n");
    QCOMPARE(QDir::currentPath(), m_app);
    QCOMPARE(m_tmp->waitForStarts(2).value(1), startLine("./STATIC.exe", m_app));

    // Linked postprocessor start with the new record.
    QCOMPARE(clickAndPopup(&main, "cmd_Post", {"mnu_run_post"}), "mnu_post");
    QCOMPARE(m_tmp->waitForStarts(3).value(2), startLine(path("TOLV_Post.exe"), m_app, {m_data + "/beam.ind.in"}));

    // Linked solver start: the analysis-type batch file of the record.
    QCOMPARE(clickAndPopup(&main, "cmd_Solver", {"mnu_exec_solver"}), "mnu_solver");
    QCOMPARE(m_tmp->waitForStarts(4).value(3), startLine("./STATIC.exe", m_app));
    QCOMPARE(m_p->messages, QList<Message>{});
}

void TestFilenameChain::failedWrites_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");    // in the data folder
    QTest::addColumn<QString>("blocked"); // a folder in the way of this file
    QTest::addColumn<QString>("failing"); // the file that the message names
    QTest::addColumn<QString>("told");    // what the message says of it
    QTest::addColumn<bool>("recorded");   // run.dat holds the new record

    const QString cannotWrite = "に書き込めません。\r\n";
    // The record is written first: a solver.bat that cannot be written leaves it, and starts nothing.
    QTest::newRow("solver.bat is a folder") << 190 << "beam.ana" << "solver.bat" << "solver.bat" << cannotWrite
                                            << true;
    QTest::newRow("run.dat is a folder") << 190 << "beam.ana" << "run.dat" << "run.dat"
                                         << "を読み込めません。\r\n" << false;
    // A record that run.dat cannot hold is found before anything is written or started: the
    // solver would otherwise run the earlier record's analysis.
    QTest::newRow("a record run.dat cannot hold, solver")
            << 190 << "Smith, \"v2\".ana" << "" << "run.dat" << cannotWrite << false;
    QTest::newRow("a line feed in the name, postprocessor")
            << 290 << "beam\nx.ind.in" << "" << "run.dat" << cannotWrite << false;
}

// The message names the file and gives the system's reason; nothing is started, and an earlier
// run.dat stays whole unless the new record took its place.
void TestFilenameChain::failedWrites()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QString, blocked);
    QFETCH(QString, failing);
    QFETCH(QString, told);
    QFETCH(bool, recorded);
    const QByteArray earlier = "a.dat\r\na.ana\r\na.out\r\na.fem\r\na.ind.in\r\n";
    if (blocked != "run.dat")
        QVERIFY(writeFile(path("run.dat"), earlier));
    if (!blocked.isEmpty())
        QVERIFY(QDir().mkdir(path(blocked)));
    QVERIFY(writeFile(m_data + '/' + name.left(name.indexOf('.')) + ".bat", "STATIC.exe\r\n"));

    Filename *d = openDialog(m_com, *m_p, qint16(mode));
    browse(*m_p, d, m_data + '/' + name);
    pressRun(d);

    QCOMPARE(m_p->messages.size(), 1);
    QCOMPARE(m_p->messages.at(0).title, "TOLV_Strel");
    const QString head = path(failing) + told;
    QVERIFY2(m_p->messages.at(0).text.startsWith(head), qPrintable(m_p->messages.at(0).text));
    QVERIFY(m_p->messages.at(0).text.size() > head.size());
    if (blocked == "run.dat")
        QVERIFY(QFileInfo(path(blocked)).isDir());
    else if (recorded)
        QVERIFY(readBytes(path("run.dat")).startsWith(QFile::encodeName(m_data) + "/beam.dat\r\n"));
    else
        QCOMPARE(readBytes(path("run.dat")), earlier);
    QCOMPARE(m_tmp->waitForStarts(0, 200).size(), 0);
    if (blocked != "solver.bat")
        QVERIFY(!QFile::exists(path("solver.bat")));
}

QTEST_MAIN(TestFilenameChain)
#include "tst_filename_chain.moc"

// The whole chain with real processes: a preprocessor stand-in writes the analysis files, the dialog
// starts the solver through solver.bat and the batch interpreter, then the main window's linked starts
// run the postprocessor and the analysis-type batch file.
// Only the message boxes and the open-file dialog are scripted; files, folders and processes are real.
#include "DialogDriver.h"

#include "core/Texts.h"
#include "platform/QtPlatform.h"
#include "ui/main/Main.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <deque>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace tolv;
using namespace tolv::test;

namespace {

class ScriptedDialog : public OpenFileDialog
{
public:
    explicit ScriptedDialog(std::deque<QString> &answers) : m_answers(answers) {}
    void setCancelError(bool) override {}
    void setTitle(const QString &) override {}
    void setFilter(const QString &) override {}
    void setFlags(int) override {}
    std::optional<QString> showOpen() override
    {
        if (m_answers.empty())
            return std::nullopt;
        const QString answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

private:
    std::deque<QString> &m_answers;
};

// The real platform with a throw-away application folder.
class TempAppPlatform : public QtPlatform
{
public:
    QString folder;
    std::deque<QString> answers;
    QList<Message> messages;

    QString appFolder() const override { return folder; }
    QString appTitle() const override { return QStringLiteral("TOLVStrel"); }
    void critical(const QString &title, const QString &text) override
    {
        messages << Message{title, text};
    }
    std::unique_ptr<OpenFileDialog> newOpenFileDialog() override
    {
        return std::make_unique<ScriptedDialog>(answers);
    }
};

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeScript(const QString &path, const QByteArray &body)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

} // namespace

class TestFilenameChain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void preprocessorSolverPostprocessor();
    void unwritableFilesAreReported_data();
    void unwritableFilesAreReported();
    void unencodableNameKeepsTheRecord();

private:
    // Lines of the start log: program|current directory|arguments...
    QStringList starts() const;
    QString path(const QString &name) const { return m_app + u'/' + name; }

    QTemporaryDir m_noTools;
    QString m_startDir;
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_app;
    QString m_data;
    QString m_log;
    std::unique_ptr<TempAppPlatform> m_p;
    TOLV_Com m_com;
};

void TestFilenameChain::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("the batch interpreter stand-in runs on POSIX systems");
#else
    QVERIFY(!qEnvironmentVariableIsEmpty("TOLV_BIN_DIR"));
    // Started programs find nothing on PATH, so no terminal emulator opens; PAUSE sees no terminal.
    qputenv("PATH", QFile::encodeName(m_noTools.path()));
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
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    const QString root = QDir(m_root->path()).canonicalPath();
    m_app = root + "/app";
    m_data = root + "/data";
    m_log = root + "/starts.log";
    QVERIFY(QDir().mkpath(m_app));
    QVERIFY(QDir().mkpath(m_data));
    QVERIFY(QDir::setCurrent(root));

    QVERIFY(QFile::copy(qEnvironmentVariable("TOLV_BIN_DIR") + "/tolvbat", path("tolvbat")));
    const QByteArray log = QFile::encodeName(m_log);
    const QByteArray record = "{ printf '%s|%s' \"$0\" \"$(pwd -P)\"; for a in \"$@\"; do printf '|%s' "
                              "\"$a\"; done; printf '\\n'; } >> '" + log + "'\n";
    const QByteArray data = QFile::encodeName(m_data);
    writeScript(path("TOLV_Pre.exe"), record + "printf 'analysis\\r\\n' > '" + data + "/beam.ana'\n"
                                              "printf 'STATIC.exe\\r\\nPAUSE\\r\\n' > '" + data + "/beam.bat'\n");
    writeScript(path("STATIC.exe"), record);
    writeScript(path("TOLV_Post.exe"), record);

    m_p = std::make_unique<TempAppPlatform>();
    m_p->folder = m_app;
    m_com = TOLV_Com();
}

void TestFilenameChain::cleanup()
{
    discardDialog();
    m_p.reset();
    QDir::setCurrent(m_startDir);
    m_root.reset();
}

QStringList TestFilenameChain::starts() const
{
    QFile f(m_log);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void TestFilenameChain::preprocessorSolverPostprocessor()
{
    const QString root = QDir::currentPath();
    Main main(m_com, *m_p);
    main.show();

    QTest::mouseClick(control<QPushButton>(&main, "cmd_Pre"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_data + "/beam.bat"), 10000);
    QCOMPARE(starts().value(0), path("TOLV_Pre.exe") + "|" + root);

    // Solver by file name.
    QVERIFY(chooseFromPopup(&main, "cmd_Solver", "mnu_filename"));
    m_p->answers.push_back(m_data + "/beam.ana");
    Filename *d = Filename::instance();
    QTest::mouseClick(control<QPushButton>(d, "cmd_Ref"), Qt::LeftButton);
    pressRun(d);
    QVERIFY(m_p->messages.isEmpty());
    QCOMPARE(readBytes(path("solver.bat")), "STATIC.exe\r\nPAUSE\r\n");
    const QByteArray base = QFile::encodeName(m_data + "/beam");
    QCOMPARE(readBytes(path("run.dat")), base + ".dat\r\n" + base + ".ana\r\n" + base + ".out\r\n"
                                                 + base + ".fem\r\n" + base + ".ind.in\r\n");
    QCOMPARE(QDir::currentPath(), m_app);
    // tolvbat found the solver in the application folder, its current directory.
    QTRY_COMPARE_WITH_TIMEOUT(starts().size(), 2, 10000);
    QCOMPARE(starts().at(1), "./STATIC.exe|" + m_app);

    // Linked postprocessor start with the new record.
    QVERIFY(chooseFromPopup(&main, "cmd_Post", "mnu_run_post"));
    QTRY_COMPARE_WITH_TIMEOUT(starts().size(), 3, 10000);
    QCOMPARE(starts().at(2), path("TOLV_Post.exe") + "|" + m_app + "|" + m_data + "/beam.ind.in");

    // Linked solver start: the analysis-type batch file of the record.
    QVERIFY(chooseFromPopup(&main, "cmd_Solver", "mnu_exec_solver"));
    QTRY_COMPARE_WITH_TIMEOUT(starts().size(), 4, 10000);
    QCOMPARE(starts().at(3), "./STATIC.exe|" + m_app);
    QVERIFY(m_p->messages.isEmpty());
}

void TestFilenameChain::unwritableFilesAreReported_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<int>("started");
    QTest::newRow("solver.bat is a folder") << "solver.bat" << 0;
    QTest::newRow("run.dat is a folder") << "run.dat" << 1;
}

void TestFilenameChain::unwritableFilesAreReported()
{
    QFETCH(QString, blocked);
    QFETCH(int, started);
    QVERIFY(QDir().mkdir(path(blocked)));
    QFile bat(m_data + "/beam.bat");
    QVERIFY(bat.open(QIODevice::WriteOnly));
    bat.write("STATIC.exe\r\n");
    bat.close();

    m_p->answers.push_back(m_data + "/beam.ana");
    Filename *d = openDialog(m_com, *m_p, ModeSolver);
    QTest::mouseClick(control<QPushButton>(d, "cmd_Ref"), Qt::LeftButton);
    pressRun(d);

    QCOMPARE(m_p->messages.size(), 1);
    QCOMPARE(m_p->messages.at(0).title, "TOLV_Strel");
    const QString head = path(blocked) + "に書き込めません。\r\n";
    QVERIFY2(m_p->messages.at(0).text.startsWith(head), qPrintable(m_p->messages.at(0).text));
    QVERIFY(m_p->messages.at(0).text.size() > head.size());
    QVERIFY(QFileInfo(path(blocked)).isDir());
    QTRY_COMPARE_WITH_TIMEOUT(starts().size(), started, 10000);
    QTest::qWait(200);
    QCOMPARE(starts().size(), started);
}

void TestFilenameChain::unencodableNameKeepsTheRecord()
{
    const QByteArray earlier = "a.dat\r\na.ana\r\na.out\r\na.fem\r\na.ind.in\r\n";
    QFile runDat(path("run.dat"));
    QVERIFY(runDat.open(QIODevice::WriteOnly));
    runDat.write(earlier);
    runDat.close();

    // An unpaired surrogate has no form in any narrow encoding.
    const QString name = m_data + "/beam" + QChar(0xD800) + ".ind.in";
    QVERIFY(!toNarrow(name));
    m_p->answers.push_back(name);
    Filename *d = openDialog(m_com, *m_p, ModePost);
    QTest::mouseClick(control<QPushButton>(d, "cmd_Ref"), Qt::LeftButton);
    pressRun(d);

    QCOMPARE(m_p->messages.size(), 1);
    QCOMPARE(m_p->messages.at(0).title, "TOLV_Strel");
    QVERIFY(m_p->messages.at(0).text.startsWith(path("run.dat") + "に書き込めません。\r\n"));
    QCOMPARE(readBytes(path("run.dat")), earlier);
    QCOMPARE(QDir(m_app).entryList(QDir::Files | QDir::Hidden).filter("run.dat"), QStringList{"run.dat"});
}

QTEST_MAIN(TestFilenameChain)
#include "tst_filename_chain.moc"

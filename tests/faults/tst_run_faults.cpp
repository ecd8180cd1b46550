// The dialog's Run command against damaged files on the real file system: the analysis-type file
// and solver.bat in every state that a crash or a user can leave them in, run.dat a directory,
// names of 32,767 characters and more. For each, the message the user gets, what was started, and
// that the earlier run.dat is neither lost nor half-written.
#include "support/Scratch.h"

#include "core/Starts.h"
#include "core/TOLV_Com.h"
#include "core/Texts.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tolv;
using namespace tolv::test;

namespace {

// The real file system with the starts recorded instead of made.
struct RunPlatform : FolderPlatform
{
    explicit RunPlatform(const QString &dir) : FolderPlatform(dir) { recordStarts = true; }
};

QByteArray crlfRecord(const QStringList &fields)
{
    return (fields.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8();
}

} // namespace

class TestRunFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void analysisTypeFile_data();
    void analysisTypeFile();
    void solverBatIsADirectory();
    void runDatIsADirectory();
    void longNames_data();
    void longNames();

private:
    QTemporaryDir *m_work = nullptr;
    QString m_app;
    QString m_cwd;
    TOLV_Com m_earlier;
};

void TestRunFaults::init()
{
    m_cwd = QDir::currentPath();
    m_work = new QTemporaryDir;
    QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("app")));
    m_app = m_work->filePath(QStringLiteral("app"));
    m_earlier.setFileSet(QStringLiteral("/earlier/beam"));
    RunPlatform p(m_app);
    QVERIFY(m_earlier.Write_RunDat(p).ok());
    QVERIFY(writeFile(p.appPath(PostProgram), "#!/bin/sh\n"));
}

void TestRunFaults::cleanup()
{
    QDir::setCurrent(m_cwd);
    delete m_work;
}

// What stands at <base>.bat: "dir", "unreadable" (opens, every read fails), "sparse" (1 TiB of
// nothing), "endless" (a link to an endless device) or these bytes; and which message follows.
void TestRunFaults::analysisTypeFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // "missing", "not named" or "unread"
    QTest::newRow("empty") << "bytes" << QByteArray() << "not named";
    QTest::newRow("a directory") << "dir" << QByteArray() << "missing";
    QTest::newRow("unreadable") << "unreadable" << QByteArray() << "unread";
    QTest::newRow("sparse 1 TiB") << "sparse" << QByteArray() << "unread";
    QTest::newRow("link to an endless device") << "endless" << QByteArray() << "missing";
    QTest::newRow("one line of 2 MiB") << "bytes" << QByteArray(2 << 20, 'x') << "unread";
    QTest::newRow("only a quote") << "bytes" << QByteArray("\"") << "not named";
    QTest::newRow("only commas") << "bytes" << QByteArray(",,,,\r\n") << "not named";
    QTest::newRow("binary garbage") << "bytes" << QByteArray("\x00\xff\x01\xfe\x80\r\x9f\x00", 8) << "not named";
    QTest::newRow("blanks alone before .exe") << "bytes" << QByteArray("X      .exe\r\n") << "not named";
    QTest::newRow("a path cut to another folder") << "bytes" << QByteArray("\"C:\\TOLV\\../e/b.exe\"\r\n") << "not named";
}

void TestRunFaults::analysisTypeFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString bat = m_work->filePath(QStringLiteral("beam.bat"));
    if (kind == QLatin1String("dir"))
        QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("beam.bat")));
    else if (kind == QLatin1String("unreadable"))
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), bat));
    else if (kind == QLatin1String("endless"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), bat));
    else if (kind == QLatin1String("sparse"))
        QVERIFY(writeFile(bat, {}) && QFile(bat).resize(qint64(1) << 40));
    else
        QVERIFY(writeFile(bat, bytes));
    const auto before = snapshot(m_app);

    RunPlatform p(m_app);
    TOLV_Com com;
    com.Exec_Mode = ModeSolver;
    Starts(com, p).run(m_work->filePath(QStringLiteral("beam.ana")));

    QCOMPARE(p.messages.size(), 1);
    if (message == "missing") {
        QCOMPARE(p.messages[0], (Message{text::MessageTitle, text::AnalysisTypeMissing}));
    } else if (message == "unread") {
        const QString head = text::cannotRead(bat, QString());
        QVERIFY2(p.messages[0].text.startsWith(head) && p.messages[0].text.size() > head.size(),
                 qPrintable(p.messages[0].text));
    } else {
        QCOMPARE(p.messages[0], (Message{p.appTitle(), text::SolverNotNamed}));
    }
    QVERIFY(p.starts.isEmpty());
    QCOMPARE(snapshot(m_app), before); // no solver.bat, run.dat as it was
    QCOMPARE(QDir::currentPath(), m_cwd);
}

// The record is written before solver.bat: it stays, and nothing is started.
void TestRunFaults::solverBatIsADirectory()
{
    QVERIFY(writeFile(m_work->filePath(QStringLiteral("beam.bat")), "STATIC.exe\r\n"));
    QVERIFY(QDir(m_app).mkdir(SolverBatName));

    RunPlatform p(m_app);
    TOLV_Com com;
    com.Exec_Mode = ModeSolver;
    Starts(com, p).run(m_work->filePath(QStringLiteral("beam.ana")));

    QCOMPARE(p.messages.size(), 1);
    QCOMPARE(p.messages[0].title, text::MessageTitle);
    const QString head = text::cannotWrite(p.appPath(SolverBatName), QString());
    QVERIFY2(p.messages[0].text.startsWith(head) && p.messages[0].text.size() > head.size(),
             qPrintable(p.messages[0].text));
    QVERIFY(p.starts.isEmpty());
    QVERIFY(QFileInfo(p.appPath(SolverBatName)).isDir());
    QCOMPARE(readBytes(p.appPath(RunDatName)), crlfRecord(com.runRecord()));
}

// A run.dat that cannot be read at all stops the Run before anything is written or started.
void TestRunFaults::runDatIsADirectory()
{
    QVERIFY(QFile::remove(m_app + QLatin1String("/run.dat")));
    QVERIFY(QDir(m_app).mkdir(RunDatName));
    const auto before = snapshot(m_app);

    RunPlatform p(m_app);
    TOLV_Com com;
    com.Exec_Mode = ModePost;
    Starts(com, p).run(QStringLiteral("/data/beam.ind.in"));

    QVERIFY(p.starts.isEmpty());
    QCOMPARE(p.messages.size(), 1);
    const QString head = text::cannotRead(p.appPath(RunDatName), QString());
    QVERIFY2(p.messages[0].text.startsWith(head) && p.messages[0].text.size() > head.size(),
             qPrintable(p.messages[0].text));
    QCOMPARE(snapshot(m_app), before);
}

void TestRunFaults::longNames_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("mode");
    for (int length : {32767, 32768, 100000}) {
        QTest::addRow("%d characters, solver", length) << length << int(ModeSolver);
        QTest::addRow("%d characters, postprocessor", length) << length << int(ModePost);
    }
}

// No file system takes such a name, so the solver's analysis-type file is missing; the
// postprocessor is started with it, and the record that holds it is written whole.
void TestRunFaults::longNames()
{
    QFETCH(int, length);
    QFETCH(int, mode);
    const QString suffixText = mode == ModeSolver ? QStringLiteral(".ana") : QStringLiteral(".ind.in");
    const QString name = QStringLiteral("/data/") + QString(length - 6 - suffixText.size(), u'n') + suffixText;
    QCOMPARE(name.size(), length);
    const auto before = snapshot(m_app);

    RunPlatform p(m_app);
    TOLV_Com com;
    com.Exec_Mode = qint16(mode);
    Starts(com, p).run(name);

    if (mode == ModeSolver) {
        QCOMPARE(p.messages.size(), 1);
        QCOMPARE(p.messages[0].text, text::AnalysisTypeMissing);
        QVERIFY(p.starts.isEmpty());
        QCOMPARE(snapshot(m_app), before);
        return;
    }
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(p.starts.size(), 1);
    QCOMPARE(p.starts[0].argText, name);
    QFile runDat(p.appPath(RunDatName));
    QVERIFY(runDat.open(QIODevice::ReadOnly));
    QCOMPARE(runDat.readAll(), crlfRecord(com.runRecord()));
    TOLV_Com back;
    const Result<qint16> read = back.Read_RunDat(p);
    QVERIFY(read.ok() && read.value() == 1);
    QCOMPARE(back.runRecord(), com.runRecord());
}

QTEST_GUILESS_MAIN(TestRunFaults)
#include "tst_run_faults.moc"

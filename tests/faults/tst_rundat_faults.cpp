// run.dat in every state that the suite, a crash or a user can leave it in: what Read_RunDat
// makes of it, what the user is told when the record cannot be written, and that a failed write
// never loses or half-writes the earlier record. Through the real file system and the fake.
#include "support/Scratch.h"

#include "core/Fields.h"
#include "core/TOLV_Com.h"
#include "core/Texts.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace tolv;
using namespace tolv::test;

namespace {

const QString EarlierBase = QStringLiteral("/earlier/beam");

QStringList fileSet(const QString &base)
{
    TOLV_Com com;
    com.setFileSet(base);
    return com.runRecord();
}

QByteArray lines(const QStringList &fields, const QByteArray &end)
{
    QByteArray bytes;
    for (const QString &f : fields)
        bytes += f.toUtf8() + end;
    return bytes;
}

QByteArray crlfRecord(const QStringList &fields)
{
    return lines(fields, "\r\n");
}

// Read_RunDat's result as the rows give it: 1, 0 or -9, else -1 for a run.dat that cannot be
// read and -2 for one that holds no whole record.
qint16 outcome(const Result<qint16> &read)
{
    if (read.ok())
        return read.value();
    return read.kind() == FailureKind::Damaged ? -2 : -1;
}

} // namespace

class TestRunDatFaults : public QObject
{
    Q_OBJECT
private slots:
    void readFaults_data();
    void readFaults();
    void binaryGarbage();
    void writeFaults_data();
    void writeFaults();
    void noTemporaryFilesLeft();
    void fakePlatformFaults();
};

// What is at the run.dat path: "none", "dir", "unreadable" (a regular file whose reading fails,
// which permissions cannot give us as root), "fifo", "endless" (a link to an endless device),
// "sparse" (1 TiB of nothing) or "bytes". A file that is there but cannot be taken (result -1), or
// that holds no whole record (-2), is a failure with the message for the user, and changes nothing.
void TestRunDatFaults::readFaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("record");

    const QStringList earlier = fileSet(EarlierBase);
    const QStringList fresh = fileSet(QStringLiteral("/data/frame"));
    QTest::newRow("missing") << "none" << QByteArray() << -9 << earlier;
    QTest::newRow("a directory") << "dir" << QByteArray() << -1 << earlier;
    QTest::newRow("a FIFO") << "fifo" << QByteArray() << -1 << earlier;
    QTest::newRow("a link to an endless device") << "endless" << QByteArray() << -1 << earlier;
    QTest::newRow("unreadable") << "unreadable" << QByteArray() << -1 << earlier;
    QTest::newRow("sparse 1 TiB") << "sparse" << QByteArray() << -1 << earlier;
    QTest::newRow("a first line of 10 MiB")
            << "bytes" << QByteArray(10 << 20, 'x') + "\r\n" + crlfRecord(fresh.mid(1)) << -1 << earlier;
    QTest::newRow("five lines, then 10 MiB of more")
            << "bytes" << crlfRecord(fresh) + QByteArray(10 << 20, 'x') << 1 << fresh;
    QTest::newRow("empty") << "bytes" << QByteArray() << -2 << earlier;
    QTest::newRow("LF only") << "bytes" << lines(fresh, "\n") << 1 << fresh;
    QTest::newRow("CR only") << "bytes" << lines(fresh, "\r") << 1 << fresh;
    QTest::newRow("no final line end") << "bytes" << crlfRecord(fresh).chopped(2) << 1 << fresh;
    QTest::newRow("blank first line") << "bytes" << "   \r\n" + crlfRecord(fresh.mid(1)) << 0
                                      << (QStringList{QStringLiteral("   ")} + fresh.mid(1));

    // Bytes that are not UTF-8: a record written on a Japanese Windows system, in Shift_JIS, and one
    // whose last character is cut off at the very end of the file, which must not be silently
    // dropped (the rest of the path would name another file).
    QTest::newRow("Shift_JIS bytes")
            << "bytes" << QByteArray("C:\\\x89\xf0\x90\xcd\\b.dat\r\n") + crlfRecord(fresh.mid(1)) << -2 << earlier;
    // The narrow encoding on Linux is UTF-8 whatever the locale (a run under ja_JP.eucJP too): a
    // record in EUC-JP is one from another system.
    QTest::newRow("EUC-JP bytes")
            << "bytes" << QByteArray("/\xa5\xc7\xa1\xbc\xa5\xbf/b.dat\r\n") + crlfRecord(fresh.mid(1)) << -2 << earlier;
    QTest::newRow("a character cut off at the end")
            << "bytes" << crlfRecord(fresh.mid(0, 4)) + "/a/i\xe2\x82" << -2 << earlier;

    const QString n32767(32767, u'n');
    const QString n32768 = n32767 + u'x';
    const QString n100k(100000, u'm');
    const QStringList longNames{n32767, n32768, n100k, QStringLiteral("f"), QStringLiteral("i")};
    QTest::newRow("names of 32,767 characters and more") << "bytes" << crlfRecord(longNames) << 1
                                                         << longNames;
}

void TestRunDatFaults::readFaults()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(QStringList, record);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString runDat = dir.filePath(RunDatName);
    if (kind == QLatin1String("dir")) {
        QVERIFY(QDir(dir.path()).mkdir(RunDatName));
        QVERIFY(writeFile(runDat + QLatin1String("/inside"), "kept"));
    } else if (kind == QLatin1String("unreadable")) {
        // Opening succeeds, every read fails with EIO.
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), runDat));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(mkfifo(QFile::encodeName(runDat).constData(), 0600), 0);
    } else if (kind == QLatin1String("endless")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), runDat));
    } else if (kind == QLatin1String("sparse")) {
        QVERIFY(writeFile(runDat, {}) && QFile(runDat).resize(qint64(1) << 40));
    } else if (kind == QLatin1String("bytes")) {
        QVERIFY(writeFile(runDat, bytes));
    }
    const auto before = kind == QLatin1String("sparse") ? QMap<QString, QByteArray>() : snapshot(dir.path());

    FolderPlatform p(dir.path());
    TOLV_Com com;
    com.setFileSet(EarlierBase);
    QElapsedTimer timer;
    timer.start();
    const Result<qint16> read = com.Read_RunDat(p);
    QCOMPARE(outcome(read), qint16(result));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(com.runRecord(), record);
    QVERIFY(p.messages.isEmpty());
    if (!read.ok())
        QVERIFY(read.reason().startsWith(text::cannotRead(runDat, QString())));
    if (kind == QLatin1String("sparse"))
        return;
    QCOMPARE(snapshot(dir.path()), before);

    // The next Run writes the record whole over whatever was there, or tells the user why not
    // and leaves it as it was.
    com.setFileSet(QStringLiteral("/next/run"));
    const Outcome written = com.Write_RunDat(p);
    // A FIFO or a link in its place is replaced, never written through.
    if (kind != QLatin1String("dir")) {
        QVERIFY2(written.ok(), qPrintable(written.reason()));
        QFile file(runDat);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), crlfRecord(fileSet(QStringLiteral("/next/run"))));
    } else {
        QVERIFY(!written.ok());
        QVERIFY(!written.reason().isEmpty());
        QCOMPARE(snapshot(dir.path()), before);
    }
}

void TestRunDatFaults::binaryGarbage()
{
    QTemporaryDir dir;
    FolderPlatform p(dir.path());
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        QByteArray bytes(64 * 1024, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        QVERIFY(writeFile(dir.filePath(RunDatName), bytes));

        TOLV_Com com;
        com.setFileSet(EarlierBase);
        const qint16 result = outcome(com.Read_RunDat(p));
        // Nearly always a byte that does not decode: damaged, and nothing taken.
        if (result == -2) {
            QCOMPARE(com.runRecord(), fileSet(EarlierBase));
            continue;
        }
        QCOMPARE(result, qint16(trimSpaces(com.File_Dat).isEmpty() ? 0 : 1));
        for (const QString &field : com.runRecord())
            QVERIFY(!field.contains(u'\n'));
        QVERIFY(p.messages.isEmpty());
    }
}

// How the application folder fails: "dir" (run.dat is a directory), "file in the way" (the folder
// is a path under a regular file), "missing" (the folder does not exist), "unrepresentable" and
// "refused" (the record itself cannot be stored).
void TestRunDatFaults::writeFaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("run.dat is a directory") << "dir";
    QTest::newRow("a file in the way of the folder") << "file in the way";
    QTest::newRow("the folder is missing") << "missing";
    QTest::newRow("not representable in the narrow encoding") << "unrepresentable";
    QTest::newRow("a path the format cannot hold") << "refused";
}

void TestRunDatFaults::writeFaults()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString folder = dir.path();
    const QByteArray earlier = crlfRecord(fileSet(EarlierBase));
    TOLV_Com com;
    com.setFileSet(QStringLiteral("/next/run"));

    if (kind == QLatin1String("dir")) {
        QVERIFY(QDir(folder).mkdir(RunDatName));
    } else if (kind == QLatin1String("file in the way")) {
        QVERIFY(writeFile(dir.filePath(QStringLiteral("plain")), "a file"));
        folder = dir.filePath(QStringLiteral("plain/app"));
    } else if (kind == QLatin1String("missing")) {
        folder = dir.filePath(QStringLiteral("gone/app"));
    } else {
        QVERIFY(writeFile(dir.filePath(RunDatName), earlier));
        // A byte-order mark at the start would be dropped when read back; a lone surrogate has no
        // UTF-8 form. A leading double quote has no form in run.dat at all.
        if (kind == QLatin1String("unrepresentable"))
            com.File_Dat = QStringLiteral("\ufeff/bom.dat");
        else
            com.File_Ana = QStringLiteral("\"/quoted.ana");
    }
    const auto before = snapshot(dir.path());

    FolderPlatform p(folder);
    const Outcome written = com.Write_RunDat(p);
    QVERIFY(!written.ok());
    QVERIFY(!written.reason().isEmpty());
    QCOMPARE(snapshot(dir.path()), before);
}

// A failed write leaves no temporary file behind in the application folder.
void TestRunDatFaults::noTemporaryFilesLeft()
{
    QTemporaryDir dir;
    const QByteArray earlier = crlfRecord(fileSet(EarlierBase));
    QVERIFY(writeFile(dir.filePath(RunDatName), earlier));
    FolderPlatform p(dir.path());
    const auto before = snapshot(dir.path());
    for (const QString &bad : {QString(QChar(0xd800)), QStringLiteral("a\r\nb"), QStringLiteral("\ufeffx")}) {
        TOLV_Com com;
        com.setFileSet(QStringLiteral("/next/run"));
        com.File_Dat = bad;
        QVERIFY(!com.Write_RunDat(p).ok());
        QCOMPARE(snapshot(dir.path()), before);
    }
}

// What the real file system cannot be made to do on demand: an existence test that fails, a file
// that exists but cannot be opened, a write that the platform refuses.
void TestRunDatFaults::fakePlatformFaults()
{
    FakePlatform p;
    const QString runDat = p.inApp(RunDatName);
    const QString earlier = QString::fromUtf8(crlfRecord(fileSet(EarlierBase)));

    TOLV_Com com;
    com.setFileSet(EarlierBase);
    p.existsFails << runDat;
    p.files[runDat] = QString::fromUtf8(crlfRecord(fileSet(QStringLiteral("/fresh/x"))));
    QCOMPARE(outcome(com.Read_RunDat(p)), qint16(1)); // read anyway
    QCOMPARE(com.runRecord(), fileSet(QStringLiteral("/fresh/x")));

    p.existsFails.clear();
    p.readFails[runDat] = QStringLiteral("Permission denied");
    com.setFileSet(EarlierBase);
    QCOMPARE(outcome(com.Read_RunDat(p)), qint16(-1));
    QCOMPARE(com.runRecord(), fileSet(EarlierBase));
    p.readFails.clear();

    p.files[runDat] = earlier;
    p.writeFails[runDat] = QStringLiteral("No space left on device");
    com.setFileSet(QStringLiteral("/next/run"));
    const Outcome written = com.Write_RunDat(p);
    QVERIFY(!written.ok());
    QCOMPARE(written.reason(), QStringLiteral("No space left on device"));
    QCOMPARE(p.files[runDat], earlier);
    QVERIFY(p.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestRunDatFaults)
#include "tst_rundat_faults.moc"

// An application folder that the file system will not change, mounted read-only or full, under
// the dialog's Run command. The mounts live in a private mount namespace of a helper process (tests
// run as root, and root writes through permissions); where no namespace can be had the tests are
// skipped.
#include "support/Scratch.h"

#include "core/TOLV_Com.h"
#include "core/Texts.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace tolv;
using namespace tolv::test;

class TestFolderFaults : public QObject
{
    Q_OBJECT
private slots:
    void cannotWrite_data();
    void cannotWrite();
};

// MODE and TOOL of the helper; the file whose write fails; whether the disk is full.
void TestFolderFaults::cannotWrite_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<QString>("failing");
    // The record is written first, so it is what fails, and nothing else is written or started.
    QTest::newRow("read-only, solver") << QByteArray("readonly") << QByteArray("solver") << RunDatName;
    QTest::newRow("read-only, postprocessor") << QByteArray("readonly") << QByteArray("post") << RunDatName;
    QTest::newRow("full, solver") << QByteArray("full") << QByteArray("solver") << RunDatName;
    QTest::newRow("full, postprocessor") << QByteArray("full") << QByteArray("post") << RunDatName;
    QTest::newRow("room for part of the record") << QByteArray("nearly-full") << QByteArray("post")
                                                 << RunDatName;
}

void TestFolderFaults::cannotWrite()
{
    QFETCH(QByteArray, mode);
    QFETCH(QByteArray, tool);
    QFETCH(QString, failing);

    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("app")));
    const QString folder = work.filePath(QStringLiteral("app"));
    FolderPlatform p(folder);
    TOLV_Com earlier;
    earlier.setFileSet(QStringLiteral("/earlier/beam"));
    QVERIFY(earlier.Write_RunDat(p).ok());
    QVERIFY(QFile::copy(QStringLiteral("/bin/true"), p.appPath(PostProgram)));
    // The analysis-type file lies beside the data file, outside the application folder.
    QVERIFY(writeFile(work.filePath(QStringLiteral("beam.bat")), "STATIC.exe\r\n"));
    // A record too long for the two free pages of the nearly full disk.
    const QString name = tool == "solver" ? work.filePath(QStringLiteral("beam.ana"))
                                          : QStringLiteral("/data/") + QString(3000, u'n') + QLatin1String(".ind.in");
    const auto before = snapshot(folder);

    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + QLatin1String("/fault_writer"),
                 {QString::fromLatin1(mode), QString::fromLatin1(tool), folder, name});
    QVERIFY(helper.waitForFinished(60000));
    const QByteArray out = helper.readAllStandardOutput();
    const QJsonObject r = QJsonDocument::fromJson(out).object();
    QVERIFY2(helper.exitCode() == 0 && !r.isEmpty(), out + helper.readAllStandardError());
    if (r.contains("skip"))
        QSKIP(qPrintable(QLatin1String("no private mount namespace here: ") + r.value("skip").toString()));

    // One message: the file that could not be written, then the system's reason.
    const QJsonArray messages = r.value("messages").toArray();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].toArray()[0].toString(), text::MessageTitle);
    const QString head = text::cannotWrite(p.appPath(failing), QString());
    const QString message = messages[0].toArray()[1].toString();
    QVERIFY2(message.startsWith(head), qPrintable(message));
    const QString reason = message.mid(head.size());
    // (Qt words the read-only case itself, as "not writable".)
    QVERIFY(!reason.isEmpty());
    if (mode != "readonly")
        QCOMPARE(reason, qt_error_string(ENOSPC));

    // The earlier record is whole, and nothing else was left behind (no solver.bat, no
    // half-written temporary file).
    const QByteArray earlierBytes = (earlier.runRecord().join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8();
    QCOMPARE(QByteArray::fromBase64(r.value("before").toString().toLatin1()), earlierBytes);
    QCOMPARE(QByteArray::fromBase64(r.value("after").toString().toLatin1()), earlierBytes);
    QStringList entries;
    for (const QJsonValue &entry : r.value("entries").toArray())
        entries << entry.toString();
    entries.sort();
    QStringList expected{PostProgram, RunDatName};
    if (mode != "readonly")
        expected << QStringLiteral("filler");
    expected.sort();
    QCOMPARE(entries, expected);
    QCOMPARE(snapshot(folder), before);
}

QTEST_GUILESS_MAIN(TestFolderFaults)
#include "tst_folder_faults.moc"

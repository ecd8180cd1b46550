// An application folder that the file system will not change: mounted read-only, or full. The
// mounts live in a private mount namespace of a helper process (tests run as root, and root
// writes through permissions); where no namespace can be had the tests are skipped.
#include "FolderPlatform.h"

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
    void readOnlyFolder();
    void fullDisk_data();
    void fullDisk();

private:
    QJsonObject runWriter(const char *mode, const QString &folder);
};

QJsonObject TestFolderFaults::runWriter(const char *mode, const QString &folder)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + QLatin1String("/fault_writer"),
                 {QLatin1String(mode), folder});
    if (!helper.waitForFinished(60000)) {
        helper.kill();
        helper.waitForFinished();
        return {{"error", QStringLiteral("the helper did not finish")}};
    }
    const QByteArray out = helper.readAllStandardOutput();
    const QJsonDocument doc = QJsonDocument::fromJson(out);
    if (helper.exitCode() != 0 || !doc.isObject())
        return {{"error", QString::fromUtf8(out + helper.readAllStandardError())}};
    return doc.object();
}

static void checkRefused(const QJsonObject &r)
{
    QVERIFY(!r.value("written").toBool());
    const QString path = r.value("path").toString();
    const QString reason = r.value("reason").toString();
    QVERIFY(!reason.isEmpty());
    const QJsonArray messages = r.value("messages").toArray();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].toArray()[0].toString(), text::MessageTitle);
    QCOMPARE(messages[0].toArray()[1].toString(), path + text::CannotWriteTail + text::CrLf + reason);
    QCOMPARE(r.value("after").toString(), r.value("before").toString());
}

void TestFolderFaults::readOnlyFolder()
{
    QTemporaryDir dir;
    TOLV_Com earlier;
    earlier.setFileSet(QStringLiteral("/earlier/beam"));
    FolderPlatform p(dir.path());
    QVERIFY(earlier.Write_RunDat(p).ok);
    const auto before = snapshot(dir.path());

    const QJsonObject r = runWriter("readonly", dir.path());
    if (r.contains("skip"))
        QSKIP(qPrintable(QLatin1String("no read-only bind mount here: ") + r.value("skip").toString()));
    QVERIFY2(!r.contains("error"), qPrintable(r.value("error").toString()));
    checkRefused(r);
    QCOMPARE(r.value("entries").toArray(), QJsonArray{RunDatName});
    QCOMPARE(snapshot(dir.path()), before);
}

void TestFolderFaults::fullDisk_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::newRow("full") << QByteArray("full");
    QTest::newRow("room for part of the record") << QByteArray("nearly-full");
}

void TestFolderFaults::fullDisk()
{
    QFETCH(QByteArray, mode);
    QTemporaryDir dir;
    const QJsonObject r = runWriter(mode.constData(), dir.path());
    if (r.contains("skip"))
        QSKIP(qPrintable(QLatin1String("no tmpfs mount here: ") + r.value("skip").toString()));
    QVERIFY2(!r.contains("error"), qPrintable(r.value("error").toString()));
    checkRefused(r);
    QCOMPARE(r.value("reason").toString(), qt_error_string(ENOSPC));
    // The earlier record is whole, and the half-written new one was removed.
    TOLV_Com earlier;
    earlier.setFileSet(QStringLiteral("/earlier/beam"));
    QCOMPARE(QByteArray::fromBase64(r.value("before").toString().toLatin1()),
             (earlier.runRecord().join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8());
    QCOMPARE(r.value("entries").toArray(), (QJsonArray{QStringLiteral("filler"), RunDatName}));
}

QTEST_GUILESS_MAIN(TestFolderFaults)
#include "tst_folder_faults.moc"

#include "core/TOLV_Com.h"
#include "support/FakePlatform.h"

#include <QTest>

using tolv::TOLV_Com;
using tolv::test::FakePlatform;

class TestTolvCom : public QObject
{
    Q_OBJECT
private slots:
    void readRunDat_data();
    void readRunDat();
    void writeRunDat_data();
    void writeRunDat();
    void writeFailureKeepsOldRecord();
    void execProgram_data();
    void execProgram();
};

namespace {

const QStringList Earlier{"old.dat", "old.ana", "old.out", "old.fem", "old.ind.in"};

void setRecord(TOLV_Com &com, const QStringList &r)
{
    com.File_Dat = r.at(0);
    com.File_Ana = r.at(1);
    com.File_Out = r.at(2);
    com.File_Fem = r.at(3);
    com.File_IndIn = r.at(4);
}

} // namespace

// How run.dat is found: present, missing, unopenable, or with an existence test that fails.
enum class RunDat { Present, Missing, CannotOpen, ExistsError };
Q_DECLARE_METATYPE(RunDat)

void TestTolvCom::readRunDat_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<RunDat>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("after");

    const QStringList blankBefore{"  ", "old.ana", "old.out", "old.fem", "old.ind.in"};
    const QString five = "C:\\w\\a.dat\r\nC:\\w\\a.ana\r\nC:\\w\\a.out\r\nC:\\w\\a.fem\r\nC:\\w\\a.ind.in\r\n";
    const QStringList fiveRead{"C:\\w\\a.dat", "C:\\w\\a.ana", "C:\\w\\a.out", "C:\\w\\a.fem",
                               "C:\\w\\a.ind.in"};

    QTest::newRow("five lines, windows folder")
            << "C:\\TOLV" << "\\" << RunDat::Present << five << Earlier << 1 << fiveRead;
    QTest::newRow("LF and CR line ends")
            << "/opt/tolv" << "/" << RunDat::Present << "d\na\rout\r\nf\ni" << Earlier << 1
            << QStringList{"d", "a", "out", "f", "i"};
    QTest::newRow("missing: nothing changes")
            << "C:\\TOLV" << "\\" << RunDat::Missing << QString() << Earlier << -9 << Earlier;
    QTest::newRow("three lines: last two kept")
            << "C:\\TOLV" << "\\" << RunDat::Present << "n.dat\r\nn.ana\r\nn.out\r\n" << blankBefore << 1
            << QStringList{"n.dat", "n.ana", "n.out", "old.fem", "old.ind.in"};
    QTest::newRow("empty file, earlier record")
            << "C:\\TOLV" << "\\" << RunDat::Present << "" << Earlier << 1 << Earlier;
    QTest::newRow("empty file, earlier blank")
            << "C:\\TOLV" << "\\" << RunDat::Present << "" << blankBefore << 0 << blankBefore;
    QTest::newRow("first line spaces only: the rest is read, nothing trimmed")
            << "C:\\TOLV" << "\\" << RunDat::Present << "   \r\nb\r\nc\r\nd\r\ne\r\n" << Earlier << 0
            << QStringList{"   ", "b", "c", "d", "e"};
    QTest::newRow("comma in an unquoted path shifts the fields")
            << "C:\\TOLV" << "\\" << RunDat::Present
            << "C:\\a,b\\x.dat\r\nx.ana\r\nx.out\r\nx.fem\r\nx.ind.in\r\n" << Earlier << 1
            << QStringList{"C:\\a", "b\\x.dat", "x.ana", "x.out", "x.fem"};
    QTest::newRow("quoted fields keep comma and blanks")
            << "C:\\TOLV" << "\\" << RunDat::Present
            << "\"C:\\a,b\\x.dat\"\r\n\" x.ana \"\r\nx.out\r\nx.fem\r\nx.ind.in\r\n" << Earlier << 1
            << QStringList{"C:\\a,b\\x.dat", " x.ana ", "x.out", "x.fem", "x.ind.in"};
    QTest::newRow("cannot open, earlier record")
            << "C:\\TOLV" << "\\" << RunDat::CannotOpen << five << Earlier << 1 << Earlier;
    QTest::newRow("cannot open, earlier blank")
            << "C:\\TOLV" << "\\" << RunDat::CannotOpen << five << blankBefore << 0 << blankBefore;
    QTest::newRow("existence test fails: read anyway")
            << "C:\\TOLV" << "\\" << RunDat::ExistsError << five << blankBefore << 1 << fiveRead;
}

void TestTolvCom::readRunDat()
{
    QFETCH(QString, folder);
    QFETCH(QString, sep);
    QFETCH(RunDat, state);
    QFETCH(QString, text);
    QFETCH(QStringList, before);
    QFETCH(int, result);
    QFETCH(QStringList, after);

    FakePlatform p;
    p.folder = folder;
    p.sep = sep.at(0);
    const QString path = folder + sep + "run.dat";
    if (state != RunDat::Missing)
        p.files[path] = text;
    if (state == RunDat::CannotOpen)
        p.openFails << path;
    if (state == RunDat::ExistsError)
        p.existsFails << path;

    TOLV_Com com;
    setRecord(com, before);
    com.File_Bat = "keep.bat";
    QCOMPARE(int(com.Read_RunDat(p)), result);
    QCOMPARE(com.runRecord(), after);
    QCOMPARE(com.File_Bat, QString("keep.bat"));
    QVERIFY(p.messages.isEmpty());
}

void TestTolvCom::writeRunDat_data()
{
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QString>("written"); // null: refused

    QTest::newRow("plain paths as they are")
            << QStringList{"C:\\w\\a.dat", "C:\\w\\a.ana", "C:\\w\\a.out", "C:\\w\\a.fem", "C:\\w\\a.ind.in"}
            << "C:\\w\\a.dat\r\nC:\\w\\a.ana\r\nC:\\w\\a.out\r\nC:\\w\\a.fem\r\nC:\\w\\a.ind.in\r\n";
    QTest::newRow("comma, blanks at the ends, blanks only: quoted")
            << QStringList{"C:\\a,b\\x.dat", " x.ana", "x.out ", "   ", "C:\\my data\\x.ind.in"}
            << "\"C:\\a,b\\x.dat\"\r\n\" x.ana\"\r\n\"x.out \"\r\n\"   \"\r\nC:\\my data\\x.ind.in\r\n";
    QTest::newRow("empty fields and an inner quote stay unquoted")
            << QStringList{"", "a\"b.ana", "", "\u65e5\u672c.fem", ""}
            << "\r\na\"b.ana\r\n\r\n\u65e5\u672c.fem\r\n\r\n";
    QTest::newRow("refused: begins with a quote")
            << QStringList{"a.dat", "\"a.ana", "a.out", "a.fem", "a.ind.in"} << QString();
    QTest::newRow("refused: quote in a field that needs quotes")
            << QStringList{"a.dat", "a.ana", "a,\"b.out", "a.fem", "a.ind.in"} << QString();
    QTest::newRow("refused: CR")
            << QStringList{"a.dat", "a.ana", "a.out", "a.fem", "a\r.ind.in"} << QString();
    QTest::newRow("refused: LF")
            << QStringList{"a\n.dat", "a.ana", "a.out", "a.fem", "a.ind.in"} << QString();
}

// The writer's output, and for every record it accepts, the reader gives all five fields back.
void TestTolvCom::writeRunDat()
{
    QFETCH(QStringList, record);
    QFETCH(QString, written);

    FakePlatform p;
    p.folder = "C:\\TOLV";
    p.sep = u'\\';
    const QString path = "C:\\TOLV\\run.dat";
    p.files[path] = "old\r\n";

    TOLV_Com com;
    setRecord(com, record);
    const tolv::Outcome out = com.Write_RunDat(p);
    if (written.isNull()) {
        QVERIFY(!out.ok);
        QVERIFY(!out.reason.isEmpty());
        QVERIFY(p.writes.isEmpty());
        QCOMPARE(p.files.value(path), QString("old\r\n"));
        return;
    }
    QVERIFY(out.ok);
    QCOMPARE(p.writes, QStringList{path});
    QCOMPARE(p.files.value(path), written);

    TOLV_Com back;
    setRecord(back, Earlier);
    back.Read_RunDat(p);
    QCOMPARE(back.runRecord(), record);
}

void TestTolvCom::writeFailureKeepsOldRecord()
{
    FakePlatform p;
    const QString path = p.inApp("run.dat");
    p.files[path] = "old\r\n";
    p.writeFails[path] = "disk full";
    TOLV_Com com;
    com.setFileSet("/w/a");
    const tolv::Outcome out = com.Write_RunDat(p);
    QVERIFY(!out.ok);
    QCOMPARE(out.reason, QString("disk full"));
    QCOMPARE(p.files.value(path), QString("old\r\n"));
}

void TestTolvCom::execProgram_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<int>("inAppFolder");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("argText");
    QTest::addColumn<QString>("file");       // the one file that exists
    QTest::addColumn<QString>("failure");    // "exists": the existence test fails; else the start's reason
    QTest::addColumn<QString>("started");    // path started, null: none
    QTest::addColumn<QString>("startedArg");
    QTest::addColumn<QString>("message");    // null: none

    const QString none;
    QTest::newRow("in app folder, windows")
            << "C:\\TOLV" << "\\" << 1 << "TOLV_Pre.exe" << "プリプロセッサ" << "" << "C:\\TOLV\\TOLV_Pre.exe"
            << "" << "C:\\TOLV\\TOLV_Pre.exe" << "" << none;
    QTest::newRow("app folder with blanks: one whole path")
            << "C:\\Program Files\\TOLV" << "\\" << 1 << "TOLV_Post.exe" << "ポストプロセッサ" << ""
            << "C:\\Program Files\\TOLV\\TOLV_Post.exe" << "" << "C:\\Program Files\\TOLV\\TOLV_Post.exe"
            << "" << none;
    QTest::newRow("2: bare name used unchanged")
            << "C:\\TOLV" << "\\" << 2 << "solver.bat" << "ソルバー・静解析実行" << "" << "solver.bat"
            << "" << "solver.bat" << "" << none;
    QTest::newRow("0: a file in the app folder does not count")
            << "C:\\TOLV" << "\\" << 0 << "solver.bat" << "ソルバー・静解析実行" << "" << "C:\\TOLV\\solver.bat"
            << "" << none << ""
            << "ソルバー・静解析実行（solver.bat）が見つかりません。";
    QTest::newRow("missing in app folder, windows")
            << "C:\\TOLV" << "\\" << 1 << "TOLV_Pre.exe" << "プリプロセッサ" << "  a  " << "" << "" << none << ""
            << "プリプロセッサ（C:\\TOLV\\TOLV_Pre.exe）が見つかりません。";
    QTest::newRow("missing in app folder, posix")
            << "/opt/tolv" << "/" << 1 << "TOLV_Post.exe" << "ポストプロセッサ" << "x.ind.in" << "" << ""
            << none << "" << "ポストプロセッサ（/opt/tolv/TOLV_Post.exe）が見つかりません。";
    QTest::newRow("existence test fails: counts as missing")
            << "C:\\TOLV" << "\\" << 0 << "C:\\w\\a.bat" << "ソルバー・静解析実行" << "" << "C:\\w\\a.bat"
            << "exists" << none << "" << "ソルバー・静解析実行（C:\\w\\a.bat）が見つかりません。";
    QTest::newRow("argument of spaces only: none")
            << "C:\\TOLV" << "\\" << 1 << "TOLV_Post.exe" << "ポストプロセッサ" << "    "
            << "C:\\TOLV\\TOLV_Post.exe" << "" << "C:\\TOLV\\TOLV_Post.exe" << "" << none;
    QTest::newRow("argument trimmed, inner blanks kept")
            << "C:\\TOLV" << "\\" << 1 << "TOLV_Post.exe" << "ポストプロセッサ" << "  C:\\my  data\\x.ind.in  "
            << "C:\\TOLV\\TOLV_Post.exe" << "" << "C:\\TOLV\\TOLV_Post.exe" << "C:\\my  data\\x.ind.in" << none;
    QTest::newRow("start refused, windows")
            << "C:\\TOLV" << "\\" << 0 << "C:\\TOLV\\solver.bat" << "ソルバー・静解析実行" << ""
            << "C:\\TOLV\\solver.bat" << "Access is denied." << none << ""
            << "ソルバー・静解析実行（C:\\TOLV\\solver.bat）を起動できません。\r\nAccess is denied.";
}

void TestTolvCom::execProgram()
{
    QFETCH(QString, folder);
    QFETCH(QString, sep);
    QFETCH(int, inAppFolder);
    QFETCH(QString, program);
    QFETCH(QString, tool);
    QFETCH(QString, argText);
    QFETCH(QString, file);
    QFETCH(QString, failure);
    QFETCH(QString, started);
    QFETCH(QString, startedArg);
    QFETCH(QString, message);

    FakePlatform p;
    p.folder = folder;
    p.sep = sep.at(0);
    if (!file.isEmpty())
        p.files[file] = QString();
    if (failure == "exists")
        p.existsFails << file;
    else if (!failure.isEmpty())
        p.startFails[file] = failure;

    TOLV_Com::Exec_Program(p, qint16(inAppFolder), program, tool, argText);

    if (started.isNull()) {
        QVERIFY(p.starts.isEmpty());
    } else {
        QCOMPARE(p.starts.size(), 1);
        QCOMPARE(p.starts.at(0).program, started);
        QCOMPARE(p.starts.at(0).argText, startedArg);
    }
    if (message.isNull()) {
        QVERIFY(p.messages.isEmpty());
    } else {
        QCOMPARE(p.messages.size(), 1);
        QCOMPARE(p.messages.at(0).title, QString("TOLV_Strel"));
        QCOMPARE(p.messages.at(0).text, message);
    }
}

QTEST_APPLESS_MAIN(TestTolvCom)
#include "tst_tolv_com.moc"

#include "core/TOLV_Com.h"
#include "support/FakePlatform.h"

#include <QTest>

#include <type_traits>

using tolv::TOLV_Com;
using tolv::test::FakePlatform;
using tolv::test::Message;
using tolv::test::Start;

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

// A value alone is no success, and a reason alone no failure: each is spelt out.
static_assert(!std::is_convertible_v<QString, tolv::Result<QString>>);
static_assert(!std::is_constructible_v<tolv::Result<QString>, QString>);
static_assert(!std::is_constructible_v<tolv::Outcome, QString>);

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

// How run.dat is found: present, missing, unopenable, not a regular file, or with an existence
// test that fails. A result of -1 is a run.dat that cannot be read, -2 one that is damaged.
constexpr int Unreadable = -1;
constexpr int Damaged = -2;
enum class RunDat { Present, Missing, CannotOpen, NotAFile, ExistsError };
Q_DECLARE_METATYPE(RunDat)

void TestTolvCom::readRunDat_data()
{
    QTest::addColumn<bool>("windows");
    QTest::addColumn<RunDat>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("told"); // the reason after "<path>を読み込めません。" of a failure

    const QStringList blankBefore{"  ", "old.ana", "old.out", "old.fem", "old.ind.in"};
    const QString five = "C:\\w\\a.dat\r\nC:\\w\\a.ana\r\nC:\\w\\a.out\r\nC:\\w\\a.fem\r\nC:\\w\\a.ind.in\r\n";
    const QStringList fiveRead{"C:\\w\\a.dat", "C:\\w\\a.ana", "C:\\w\\a.out", "C:\\w\\a.fem",
                               "C:\\w\\a.ind.in"};
    const QString incomplete = "記録が不完全です（5件のファイル名のうち%1件しかありません）。";
    const QString undecodable =
            "システムの文字コードで読めない文字が含まれています（別の文字コードのコンピュータで書かれたファイルと思われます）。";

    QTest::newRow("five lines, windows folder") << true << RunDat::Present << five << Earlier << 1 << fiveRead << "";
    QTest::newRow("LF and CR line ends, posix folder")
            << false << RunDat::Present << "d\na\rout\r\nf\ni" << Earlier << 1
            << QStringList{"d", "a", "out", "f", "i"} << "";
    QTest::newRow("missing: nothing changes")
            << true << RunDat::Missing << QString() << Earlier << -9 << Earlier << "";
    QTest::newRow("first line spaces only: the rest is read, nothing trimmed")
            << true << RunDat::Present << "   \r\nb\r\nc\r\nd\r\ne\r\n" << Earlier << 0
            << QStringList{"   ", "b", "c", "d", "e"} << "";
    QTest::newRow("an empty fifth line is a field")
            << false << RunDat::Present << "d\r\na\r\no\r\nf\r\n\r\n" << Earlier << 1
            << QStringList{"d", "a", "o", "f", ""} << "";
    QTest::newRow("comma in an unquoted path shifts the fields")
            << true << RunDat::Present << "C:\\a,b\\x.dat\r\nx.ana\r\nx.out\r\nx.fem\r\nx.ind.in\r\n" << Earlier
            << 1 << QStringList{"C:\\a", "b\\x.dat", "x.ana", "x.out", "x.fem"} << "";
    QTest::newRow("quoted fields keep comma and blanks")
            << true << RunDat::Present << "\"C:\\a,b\\x.dat\"\r\n\" x.ana \"\r\nx.out\r\nx.fem\r\nx.ind.in\r\n"
            << Earlier << 1 << QStringList{"C:\\a,b\\x.dat", " x.ana ", "x.out", "x.fem", "x.ind.in"} << "";
    // A record that is not whole is never mixed with memory: no field changes, and the linked
    // starts start nothing.
    QTest::newRow("three lines") << true << RunDat::Present << "n.dat\r\nn.ana\r\nn.out\r\n" << Earlier << Damaged
                                 << Earlier << incomplete.arg(3);
    QTest::newRow("empty file") << true << RunDat::Present << "" << Earlier << Damaged << Earlier << incomplete.arg(0);
    QTest::newRow("a byte that did not decode")
            << true << RunDat::Present << "C:\\\ufffd\ufffd\\a.dat\r\na.ana\r\na.out\r\na.fem\r\na.ind.in\r\n"
            << Earlier << Damaged << Earlier << undecodable;
    QTest::newRow("one past the fifth field does not count")
            << false << RunDat::Present << five + "\ufffd\r\n" << Earlier << 1 << fiveRead << "";
    QTest::newRow("cannot read") << true << RunDat::CannotOpen << five << Earlier << Unreadable << Earlier
                                 << "Permission denied";
    QTest::newRow("a folder at run.dat") << true << RunDat::NotAFile << five << blankBefore << Unreadable << blankBefore
                                         << "not a regular file";
    QTest::newRow("existence test fails: read anyway")
            << true << RunDat::ExistsError << five << blankBefore << 1 << fiveRead << "";
}

void TestTolvCom::readRunDat()
{
    QFETCH(bool, windows);
    QFETCH(RunDat, state);
    QFETCH(QString, text);
    QFETCH(QStringList, before);
    QFETCH(int, result);
    QFETCH(QStringList, after);
    QFETCH(QString, told);

    FakePlatform p;
    if (windows)
        p.useBackslashes();
    const QString path = windows ? "C:\\TOLV\\run.dat" : "/app/run.dat";
    if (state != RunDat::Missing)
        p.files[path] = text;
    if (state == RunDat::CannotOpen)
        p.readFails[path] = "Permission denied";
    if (state == RunDat::NotAFile)
        p.notFiles << path;
    if (state == RunDat::ExistsError)
        p.existsFails << path;

    TOLV_Com com;
    setRecord(com, before);
    com.File_Bat = "keep.bat";
    const tolv::Result<qint16> read = com.Read_RunDat(p);
    QCOMPARE(com.runRecord(), after);
    QCOMPARE(com.File_Bat, QString("keep.bat"));
    // Judged only: whoever asked tells the user, with the reason as the whole message.
    QCOMPARE(p.messages, QList<Message>{});
    if (result >= 0 || result == -9) {
        QVERIFY(read.ok());
        QCOMPARE(int(read.value()), result);
    } else {
        QVERIFY(!read.ok());
        QCOMPARE(read.kind() == tolv::FailureKind::Damaged, result == Damaged);
        QCOMPARE(read.reason(), path + "を読み込めません。\r\n" + told);
    }
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
    QTest::newRow("refused: NUL, which would cut the path short")
            << QStringList{"a.dat", QString("a") + QChar(0) + "x.ana", "a.out", "a.fem", "a.ind.in"} << QString();
    QTest::newRow("refused: a byte that did not decode")
            << QStringList{"a.dat", "a.ana", "a.out", "a.fem", "a\ufffd.ind.in"} << QString();
}

// The writer's output, and for every record it accepts, the reader gives all five fields back.
void TestTolvCom::writeRunDat()
{
    QFETCH(QStringList, record);
    QFETCH(QString, written);

    FakePlatform p;
    p.useBackslashes();
    const QString path = "C:\\TOLV\\run.dat";
    p.files[path] = "old\r\n";

    TOLV_Com com;
    setRecord(com, record);
    const tolv::Outcome out = com.Write_RunDat(p);
    if (written.isNull()) {
        QVERIFY(!out.ok());
        QVERIFY(!out.reason().isEmpty());
        QVERIFY(p.writes.isEmpty());
        QCOMPARE(p.files.value(path), QString("old\r\n"));
        return;
    }
    QVERIFY(out.ok());
    QCOMPARE(p.writes, QStringList{path});
    QCOMPARE(p.files.value(path), written);

    TOLV_Com back;
    setRecord(back, Earlier);
    QVERIFY(back.Read_RunDat(p).ok());
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
    QVERIFY(!out.ok());
    QCOMPARE(out.reason(), QString("disk full"));
    QCOMPARE(p.files.value(path), QString("old\r\n"));
}

void TestTolvCom::execProgram_data()
{
    QTest::addColumn<QString>("folder"); // backslashes between folders when it holds one
    QTest::addColumn<int>("inAppFolder");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("argText");
    QTest::addColumn<QString>("file");     // the one file that exists
    QTest::addColumn<QString>("failure");  // "exists": the existence test fails; else the start's reason
    QTest::addColumn<QString>("started");  // "program|argument text", or the message's text

    const QString pre = "プリプロセッサ";
    const QString post = "ポストプロセッサ";
    const QString solver = "ソルバー・静解析実行";
    QTest::newRow("in app folder, windows")
            << "C:\\TOLV" << 1 << "TOLV_Pre.exe" << pre << "" << "C:\\TOLV\\TOLV_Pre.exe" << ""
            << "C:\\TOLV\\TOLV_Pre.exe|";
    QTest::newRow("app folder with blanks: one whole path")
            << "C:\\Program Files\\TOLV" << 1 << "TOLV_Post.exe" << post << ""
            << "C:\\Program Files\\TOLV\\TOLV_Post.exe" << "" << "C:\\Program Files\\TOLV\\TOLV_Post.exe|";
    QTest::newRow("2: bare name used unchanged")
            << "C:\\TOLV" << 2 << "solver.bat" << solver << "" << "solver.bat" << "" << "solver.bat|";
    QTest::newRow("0: a file in the app folder does not count")
            << "C:\\TOLV" << 0 << "solver.bat" << solver << "" << "C:\\TOLV\\solver.bat" << ""
            << "ソルバー・静解析実行（solver.bat）が見つかりません。";
    QTest::newRow("missing in app folder, windows")
            << "C:\\TOLV" << 1 << "TOLV_Pre.exe" << pre << "  a  " << "" << ""
            << "プリプロセッサ（C:\\TOLV\\TOLV_Pre.exe）が見つかりません。";
    QTest::newRow("missing in app folder, posix") << "/app" << 1 << "TOLV_Post.exe" << post << "x.ind.in" << ""
                                                  << "" << "ポストプロセッサ（/app/TOLV_Post.exe）が見つかりません。";
    QTest::newRow("existence test fails: counts as missing")
            << "C:\\TOLV" << 0 << "C:\\w\\a.bat" << solver << "" << "C:\\w\\a.bat" << "exists"
            << "ソルバー・静解析実行（C:\\w\\a.bat）が見つかりません。";
    QTest::newRow("argument of spaces only: none") << "C:\\TOLV" << 1 << "TOLV_Post.exe" << post << "    "
                                                   << "C:\\TOLV\\TOLV_Post.exe" << "" << "C:\\TOLV\\TOLV_Post.exe|";
    QTest::newRow("argument trimmed, inner blanks kept")
            << "C:\\TOLV" << 1 << "TOLV_Post.exe" << post << "  C:\\my  data\\x.ind.in  " << "C:\\TOLV\\TOLV_Post.exe"
            << "" << "C:\\TOLV\\TOLV_Post.exe|C:\\my  data\\x.ind.in";
    QTest::newRow("start refused, windows")
            << "C:\\TOLV" << 0 << "C:\\TOLV\\solver.bat" << solver << "" << "C:\\TOLV\\solver.bat"
            << "Access is denied."
            << "ソルバー・静解析実行（C:\\TOLV\\solver.bat）を起動できません。\r\nAccess is denied.";
}

// Either the one start or the one message, titled TOLV_Strel.
void TestTolvCom::execProgram()
{
    QFETCH(QString, folder);
    QFETCH(int, inAppFolder);
    QFETCH(QString, program);
    QFETCH(QString, tool);
    QFETCH(QString, argText);
    QFETCH(QString, file);
    QFETCH(QString, failure);
    QFETCH(QString, started);

    FakePlatform p;
    p.folder = folder;
    p.sep = folder.contains(u'\\') ? u'\\' : u'/';
    if (!file.isEmpty())
        p.files[file] = QString();
    if (failure == "exists")
        p.existsFails << file;
    else if (!failure.isEmpty())
        p.startFails[file] = failure;

    TOLV_Com::Exec_Program(p, qint16(inAppFolder), program, tool, argText);

    QList<Start> starts;
    QList<Message> messages;
    if (started.contains(u'|'))
        starts << Start{started.section(u'|', 0, 0), started.section(u'|', 1), p.cwd};
    else
        messages << Message{"TOLV_Strel", started};
    QCOMPARE(p.starts, starts);
    QCOMPARE(p.messages, messages);
}

QTEST_APPLESS_MAIN(TestTolvCom)
#include "tst_tolv_com.moc"

// The linked solver start on its own: the twelve-character rule, the batch path it derives and
// the two messages, with Windows' and Linux's folder separators.
#include "support/FakePlatform.h"
#include "ui/main/SolverStart.h"

#include <QTest>

using tolv::TOLV_Com;
using namespace tolv::test;

namespace {

const QString Title = QStringLiteral("TOLVStrel");
const QString NoData = QStringLiteral("ソルバー用データファイルがありません。");

QString longName(const QString &name)
{
    return QStringLiteral("ﾌｧｲﾙ名（") + name
            + QStringLiteral("）が拡張子を含み12文字を越えていますので、連動処理は行なえません。\r\n"
                             "入力ﾃﾞｰﾀ保存時にﾌｧｲﾙ名を8文字で作成しなおすか、直接ﾌｧｲﾙ名を指定してソルバーを起動するか\r\n"
                             "どちらかの方法で対処してください。");
}

QString batchMissing(const QString &path)
{
    return QStringLiteral("ソルバー・静解析実行（") + path + QStringLiteral("）が見つかりません。");
}

const QString OldBat = QStringLiteral("old.bat");

} // namespace

class TestSolverStart : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void start_data();
    void start();
    void noUsableRecord_data();
    void noUsableRecord();
    void missingBatchIsReported();
    void eachStartReloadsTheRecord();

private:
    // Makes `p` a Windows-like ("\\") or Linux-like ("/") machine.
    void useSeparator(QChar sep)
    {
        if (sep == u'\\')
            p.useBackslashes();
    }
    // run.dat whose second line is `ana`; the other lines are fixed.
    void writeRunDat(const QString &ana);

    FakePlatform p;
    TOLV_Com com;
};

void TestSolverStart::init()
{
    p = FakePlatform();
    com = TOLV_Com();
    com.File_Bat = OldBat;
}

void TestSolverStart::writeRunDat(const QString &ana)
{
    p.files[p.inApp("run.dat")] = "x.dat\r\n" + ana + "\r\nx.out\r\nx.fem\r\nx.ind.in\r\n";
}

void TestSolverStart::start_data()
{
    QTest::addColumn<QChar>("sep");
    QTest::addColumn<QString>("ana");
    // The batch file that is started, or empty when the long-name message comes instead.
    QTest::addColumn<QString>("started");
    // The name part that the long-name message shows.
    QTest::addColumn<QString>("longPart");

    const QChar win = u'\\';
    const QChar lin = u'/';
    QTest::newRow("win: eleven characters")
            << win << "C:\\data\\model01.ana" << "C:\\data\\model01.bat" << "";
    QTest::newRow("win: twelve characters pass")
            << win << "C:\\data\\model012.ana" << "C:\\data\\model012.bat" << "";
    QTest::newRow("win: thirteen characters stop")
            << win << "C:\\data\\model0123.ana" << "" << "model0123.ana";
    QTest::newRow("win: no folder, long") << win << "model0123.ana" << "" << "model0123.ana";
    QTest::newRow("win: no folder, short") << win << "model01.ana" << "model01.bat" << "";
    // Only the file's own name holds the suffix; on Windows "/" separates folders there too.
    QTest::newRow("win: .ana in a folder name")
            << win << "C:\\x.ana\\m.ana" << "C:\\x.ana\\m.bat" << "";
    QTest::newRow("win: .ana in a folder before a forward slash") << win << "x.ana/m.ana" << "x.ana/m.bat" << "";
    QTest::newRow("win: .ana twice in the name: the first") << win << "C:\\d\\m.ana.ana" << "C:\\d\\m.bat" << "";
    QTest::newRow("win: four characters skip the check") << win << ".ana" << ".bat" << "";
    QTest::newRow("win: forward slashes are one name")
            << win << "C:/data/model01.ana" << "" << "C:/data/model01.ana";
    QTest::newRow("win: a separator in the last four characters is not the folder's end")
            << win << "C:\\data\\model0123.a\\na" << "" << "model0123.a\\na";
    QTest::newRow("win: nor is one as the first of them")
            << win << "C:\\data\\model0123.\\ana" << "" << "model0123.\\ana";
    QTest::newRow("win: separator right before the extension")
            << win << "C:\\data\\model0123456789\\.ana" << "C:\\data\\model0123456789\\.bat" << "";
    QTest::newRow("win: full-width characters count once")
            << win << "C:\\データ\\ＡＢＣＤＥＦＧＨ.ana" << "C:\\データ\\ＡＢＣＤＥＦＧＨ.bat" << "";
    QTest::newRow("win: nine full-width characters are too many")
            << win << "C:\\データ\\ＡＢＣＤＥＦＧＨＩ.ana" << "" << "ＡＢＣＤＥＦＧＨＩ.ana";
    QTest::newRow("win: half-width katakana count once")
            << win << "C:\\d\\ﾓﾃﾞﾙ0123.ana" << "C:\\d\\ﾓﾃﾞﾙ0123.bat" << "";
    QTest::newRow("win: a character outside the basic plane counts as its two UTF-16 units")
            << win << "C:\\d\\abcdefg\U0001F600.ana" << "" << "abcdefg\U0001F600.ana";
    QTest::newRow("lin: eleven characters")
            << lin << "/home/u/model01.ana" << "/home/u/model01.bat" << "";
    QTest::newRow("lin: thirteen characters stop")
            << lin << "/home/u/model0123.ana" << "" << "model0123.ana";
    QTest::newRow("lin: a backslash is an ordinary character")
            << lin << "/home/u/abcdefgh\\ij.ana" << "" << "abcdefgh\\ij.ana";
    QTest::newRow("lin: a short name with a backslash")
            << lin << "/home/u/a\\b.ana" << "/home/u/a\\b.bat" << "";
    QTest::newRow("lin: a Windows path is one long name")
            << lin << "C:\\data\\model01.ana" << "" << "C:\\data\\model01.ana";
    QTest::newRow("lin: .ana in a folder name") << lin << "/home/u/x.ana.d/m.ana" << "/home/u/x.ana.d/m.bat" << "";
    QTest::newRow("lin: a backslash separates no folder")
            << lin << "/home/x.ana\\m.ana" << "/home/x.bat" << "";
    QTest::newRow("lin: blanks in the path stay")
            << lin << "/home/my data/mod 01.ana" << "/home/my data/mod 01.bat" << "";
}

void TestSolverStart::start()
{
    QFETCH(QChar, sep);
    QFETCH(QString, ana);
    QFETCH(QString, started);
    QFETCH(QString, longPart);
    useSeparator(sep);
    writeRunDat(ana);
    if (!started.isEmpty())
        p.files[started] = QStringLiteral("solver01.exe\r\n");

    tolv::solverStartFromRecord(com, p);

    QCOMPARE(com.File_Ana, ana);
    if (started.isEmpty()) {
        QCOMPARE(p.messages, (QList<Message>{{Title, longName(longPart)}}));
        QCOMPARE(p.starts, QList<Start>{});
        QCOMPARE(com.File_Bat, OldBat);
    } else {
        QCOMPARE(p.messages, QList<Message>{});
        QCOMPARE(p.starts, (QList<Start>{{started, "", p.cwd}}));
        QCOMPARE(com.File_Bat, started);
    }
}

void TestSolverStart::noUsableRecord_data()
{
    QTest::addColumn<QString>("runDat"); // "-" for no run.dat
    QTest::addColumn<QString>("message");
    const QString cannotRead = QStringLiteral("C:\\TOLV\\run.datを読み込めません。\r\n");
    QTest::newRow("no run.dat") << "-" << NoData;
    QTest::newRow("first path blank") << "  \r\nC:\\data\\model01.ana\r\nx\r\nx\r\nx\r\n" << NoData;
    QTest::newRow("no .ana") << "m.dat\r\nC:\\data\\model01.dat\r\nx\r\nx\r\nx\r\n" << NoData;
    QTest::newRow("extension in capitals") << "m.dat\r\nC:\\data\\MODEL01.ANA\r\nx\r\nx\r\nx\r\n" << NoData;
    QTest::newRow(".ana only in a folder")
            << "m.dat\r\nC:\\v.ana\\model01.dat\r\nx\r\nx\r\nx\r\n" << NoData;
    // A record that is not whole (the kinds are Read_RunDat's table): the earlier one in memory is
    // not taken for what the file lacks.
    QTest::newRow("three lines") << "m.dat\r\nC:\\data\\model01.ana\r\nx\r\n"
                                 << cannotRead + "記録が不完全です（5件のファイル名のうち3件しかありません）。";
}

void TestSolverStart::noUsableRecord()
{
    QFETCH(QString, runDat);
    QFETCH(QString, message);
    useSeparator(u'\\');
    // An earlier record in memory must not be used when run.dat gives none.
    com.File_Dat = QStringLiteral("C:\\old\\old.dat");
    com.File_Ana = QStringLiteral("C:\\old\\old.ana");
    p.files[QStringLiteral("C:\\old\\old.bat")] = QString();
    if (runDat != QLatin1String("-"))
        p.files[p.inApp("run.dat")] = runDat;

    tolv::solverStartFromRecord(com, p);

    QCOMPARE(p.messages, (QList<Message>{{message == NoData ? Title : QStringLiteral("TOLV_Strel"), message}}));
    QCOMPARE(p.starts, QList<Start>{});
    QCOMPARE(com.File_Bat, OldBat);
}

void TestSolverStart::missingBatchIsReported()
{
    useSeparator(u'\\');
    writeRunDat(QStringLiteral("C:\\data\\model01.ana"));

    tolv::solverStartFromRecord(com, p);

    QCOMPARE(p.starts, QList<Start>{});
    QCOMPARE(com.File_Bat, QStringLiteral("C:\\data\\model01.bat"));
    QCOMPARE(p.messages, (QList<Message>{{"TOLV_Strel", batchMissing(QStringLiteral("C:\\data\\model01.bat"))}}));
}

void TestSolverStart::eachStartReloadsTheRecord()
{
    useSeparator(u'/');
    p.files[QStringLiteral("/d/a.bat")] = QString();
    p.files[QStringLiteral("/d/b.bat")] = QString();
    writeRunDat(QStringLiteral("/d/a.ana"));
    tolv::solverStartFromRecord(com, p);
    writeRunDat(QStringLiteral("/d/b.ana"));
    tolv::solverStartFromRecord(com, p);

    QCOMPARE(p.starts, (QList<Start>{{"/d/a.bat", "", p.cwd}, {"/d/b.bat", "", p.cwd}}));
}

QTEST_APPLESS_MAIN(TestSolverStart)
#include "tst_solver_start.moc"

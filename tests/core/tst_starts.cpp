// What the launcher starts and from which files: the Run by file name, the linked solver and
// postprocessor starts, and a double click on a Run. The fake platform's log gives the order of
// what happened: records written, the current folder, starts and messages.
#include "core/Starts.h"
#include "support/FakePlatform.h"

#include <QRegularExpression>
#include <QTest>

using namespace tolv;
using namespace tolv::test;

namespace {

const QString App = QStringLiteral("TOLVStrel");
const QString Named = QStringLiteral("TOLV_Strel");
const QString OldRecord = "/old/o.dat\r\n/old/o.ana\r\n/old/o.out\r\n/old/o.fem\r\n/old/o.ind.in\r\n";
const QString SolverNotNamed = "ソルバーを実行できません。\r\nプリ終了時の解析タイプの選択処理が正しく行なわれなかったと思われます。\r\nソルバー用データファイル名を指定してください";
const QString AnalysisTypeMissing = "解析タイプが不明です。\r\nプリ終了時に解析タイプの選択処理が行なわれていないと思われます。";
const QString NoData = QStringLiteral("ソルバー用データファイルがありません。");

// run.dat as the launcher writes it for a base (and the postprocessor's input when it is not base.ind.in).
QString record(const QString &base, const QString &indIn = QString())
{
    return base + ".dat\r\n" + base + ".ana\r\n" + base + ".out\r\n" + base + ".fem\r\n"
         + (indIn.isNull() ? base + ".ind.in" : indIn) + "\r\n";
}

QStringList fields(const TOLV_Com &com)
{
    return com.runRecord() << com.File_Bat;
}

QStringList fileSet(const QString &base, const QString &bat)
{
    return {base + ".dat", base + ".ana", base + ".out", base + ".fem", base + ".ind.in", bat};
}

QString longName(const QString &name)
{
    return QStringLiteral("ﾌｧｲﾙ名（") + name
            + QStringLiteral("）が拡張子を含み12文字を越えていますので、連動処理は行なえません。\r\n"
                             "入力ﾃﾞｰﾀ保存時にﾌｧｲﾙ名を8文字で作成しなおすか、直接ﾌｧｲﾙ名を指定してソルバーを起動するか\r\n"
                             "どちらかの方法で対処してください。");
}

QString message(const QString &title)
{
    return QStringLiteral("message ") + title;
}

enum class BatFile { Present, Missing, ExistenceFails, Unreadable };

} // namespace

Q_DECLARE_METATYPE(BatFile)

class TestStarts : public QObject
{
    Q_OBJECT
private slots:
    void init();

    // The Run by file name.
    void emptyName_data();
    void emptyName();
    void solverRun_data();
    void solverRun();
    void solverStops_data();
    void solverStops();
    void solverFileStepFails_data();
    void solverFileStepFails();
    void postRun_data();
    void postRun();
    void postStops_data();
    void postStops();
    void doubleClick_data();
    void doubleClick();

    // The linked starts.
    void solverFromRecord_data();
    void solverFromRecord();
    void solverWithoutUsableRecord_data();
    void solverWithoutUsableRecord();
    void linkedSolverTold_data();
    void linkedSolverTold();
    void postFromRecord_data();
    void postFromRecord();

private:
    // The Run of the data-file dialog in a mode, with the text of its file-name field.
    void run(qint16 mode, const QString &name)
    {
        com.Exec_Mode = mode;
        Starts(com, p).run(name);
    }
    // run.dat whose second line is `ana`; the other lines are fixed.
    void writeRunDat(const QString &ana)
    {
        p.files[p.inApp("run.dat")] = "x.dat\r\n" + ana + "\r\nx.out\r\nx.fem\r\nx.ind.in\r\n";
    }

    FakePlatform p;
    TOLV_Com com;
};

void TestStarts::init()
{
    p = FakePlatform();
    p.files["/app/run.dat"] = OldRecord;
    p.files["/app/TOLV_Post.exe"] = "";
    com = TOLV_Com();
    // What memory held before the press, different from run.dat.
    com.File_Dat = "/mem/m.dat";
    com.File_Ana = "/mem/m.ana";
    com.File_Out = "/mem/m.out";
    com.File_Fem = "/mem/m.fem";
    com.File_IndIn = "/mem/m.ind.in";
    com.File_Bat = "/mem/m.bat";
}

void TestStarts::emptyName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("nothing chosen") << "";
    QTest::newRow("blanks only") << "   ";
}

void TestStarts::emptyName()
{
    QFETCH(QString, name);
    const QStringList before = fields(com);
    run(ModeSolver, name);
    QCOMPARE(p.messages, (QList<Message>{{App, "入力データ名が指定されていません"}}));
    QCOMPARE(p.log, QStringList{message(App)});
    // run.dat was not even read.
    QCOMPARE(fields(com), before);
}

void TestStarts::solverRun_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("analysisType");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("solver"); // the name that solver.bat runs

    QTest::newRow("plain") << "/data/job/beam.ana" << "STATIC.exe\r\n" << "/data/job/beam" << "STATIC.exe";
    QTest::newRow("blanks around the name")
            << "  /data/job/beam.ana  " << "STATIC.exe\r\n" << "/data/job/beam" << "STATIC.exe";
    QTest::newRow(".ana in a folder name: the file's own")
            << "/data/x.ana.d/beam.ana" << "STATIC.exe\r\n" << "/data/x.ana.d/beam" << "STATIC.exe";
    QTest::newRow("japanese folder") << "/データ/梁 1.ana" << "STATIC.exe\r\n" << "/データ/梁 1" << "STATIC.exe";
    QTest::newRow("quoted full path")
            << "/data/beam.ana" << "\"C:\\Suite\\STATIC.exe\",3\r\n" << "/data/beam" << "STATIC.exe";
    QTest::newRow("eight characters before .exe")
            << "/data/beam.ana" << "EIGENVAL.exe\r\n" << "/data/beam" << "GENVAL.exe";
    QTest::newRow("text after .exe")
            << "/data/beam.ana" << "DYNAMC.exe -q\r\nsecond line\r\n" << "/data/beam" << "DYNAMC.exe";
    QTest::newRow("no blank after .exe") << "/data/beam.ana" << "DYNAMC.exeq\r\n" << "/data/beam" << "DYNAMC.exe";
    QTest::newRow("comma in the folder: the record quoted")
            << "/data/a,b/beam.ana" << "STATIC.exe\r\n" << "/data/a,b/beam" << "STATIC.exe";
    QTest::newRow("blanks around the item")
            << "/data/beam.ana" << "   STATIC.exe   \r\n" << "/data/beam" << "STATIC.exe";
    QTest::newRow("shorter name after a blank")
            << "/data/beam.ana" << "run   ABC.exe\r\n" << "/data/beam" << "ABC.exe";
    QTest::newRow(".exe exactly at position 7") << "/data/beam.ana" << "STATIC.exe" << "/data/beam" << "STATIC.exe";
    // A damaged record does not stop the Run that replaces it.
    QTest::newRow("run.dat cut short before") << "/data/beam.ana" << "STATIC.exe" << "/data/beam" << "STATIC.exe";
}

void TestStarts::solverRun()
{
    QFETCH(QString, name);
    QFETCH(QString, analysisType);
    QFETCH(QString, base);
    QFETCH(QString, solver);
    p.files[base + ".bat"] = analysisType;
    if (QByteArray(QTest::currentDataTag()).contains("cut short"))
        p.files["/app/run.dat"] = "/old/o.dat\r\n";

    run(ModeSolver, name);

    QCOMPARE(p.messages, QList<Message>{});
    QCOMPARE(p.files.value("/app/solver.bat"), solver + "\r\nPAUSE\r\n");
    QString runDat = record(base);
    if (base.contains(u','))
        runDat.replace(QRegularExpression("([^\r\n]+)"), "\"\\1\"");
    QCOMPARE(p.files.value("/app/run.dat"), runDat);
    // The record is in place before solver.bat, and both before the start.
    QCOMPARE(p.log, (QStringList{"write /app/run.dat", "write /app/solver.bat", "cd /app", "start /app/solver.bat"}));
    QCOMPARE(p.starts, (QList<Start>{{"/app/solver.bat", "", "/app"}}));
    QCOMPARE(fields(com), fileSet(base, base + ".bat"));
}

void TestStarts::solverStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<BatFile>("bat");
    QTest::addColumn<QString>("analysisType");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("newFileSet");

    QTest::newRow("suffix in capitals")
            << "/data/BEAM.ANA" << BatFile::Present << "STATIC.exe" << App
            << "/data/BEAM.ANA はソルバー用データファイル名ではありません。\r\nソルバー用データファイル名を指定してください" << false;
    QTest::newRow("postprocessor file")
            << " /data/beam.ind.in " << BatFile::Present << "STATIC.exe" << App
            << "/data/beam.ind.in はソルバー用データファイル名ではありません。\r\nソルバー用データファイル名を指定してください" << false;
    QTest::newRow("analysis-type file missing")
            << "/data/beam.ana" << BatFile::Missing << "" << Named << AnalysisTypeMissing << true;
    QTest::newRow("existence test fails")
            << "/data/beam.ana" << BatFile::ExistenceFails << "STATIC.exe" << Named << AnalysisTypeMissing << true;
    QTest::newRow("unreadable analysis-type file")
            << "/data/beam.ana" << BatFile::Unreadable << "STATIC.exe" << Named
            << "/data/beam.batを読み込めません。\r\nPermission denied" << true;
    QTest::newRow("empty analysis-type file")
            << "/data/beam.ana" << BatFile::Present << "" << App << SolverNotNamed << true;
    QTest::newRow("no .exe") << "/data/beam.ana" << BatFile::Present << "STATIC\r\n" << App << SolverNotNamed << true;
    QTest::newRow(".exe in capitals") << "/data/beam.ana" << BatFile::Present << "STATIC.EXE\r\n" << App
                                      << SolverNotNamed << true;
    QTest::newRow("comma before the program") << "/data/beam.ana" << BatFile::Present << "3,STATIC.exe\r\n" << App
                                              << SolverNotNamed << true;
    QTest::newRow(".exe before position 7") << "/data/beam.ana" << BatFile::Present << "STATC.exe\r\n" << App
                                            << SolverNotNamed << true;
    QTest::newRow("bare .exe") << "/data/beam.ana" << BatFile::Present << ".exe\r\n" << App << SolverNotNamed << true;
    // Characters that would make the command interpreter run something else than the solver.
    const QList<QPair<const char *, QString>> dangerous = {
        {"ampersand", "AB&CDE.exe"},  {"bar", "AB|CDE.exe"},     {"less", "AB<CDE.exe"},
        {"greater", "AB>CDE.exe"},    {"caret", "AB^CDE.exe"},   {"percent", "%PATH%.exe"},
        {"quote", "AB\"CDE.exe"},     {"quoted comma", "\"AB,CDE.exe\""},
        {"semicolon", "AB;CDE.exe"},  {"equals", "AB=CDE.exe"},  {"command word", "del ab.exe"},
        {"tab", "AB\tCDE.exe"},       {"control", QString("AB") + QChar(1) + "CDE.exe"},
        {"delete", QString("AB") + QChar(0x7f) + "CDE.exe"},
        {"at sign", "@BCDEF.exe"}, {"NUL", QString("AB") + QChar(0) + "CDE.exe"},
        // A name that is a path runs a program outside the application folder.
        {"backslash", "\"C:\\TOLV\\..\\b.exe\""}, {"slash", "\"C:\\TOLV\\../e/b.exe\""},
        {"drive colon", "AB:CDE.exe"},
        {"half a surrogate pair", QString("XY") + QChar(0xD83D) + QChar(0xDE00) + "BCDEF.exe"},
    };
    for (const auto &[row, item] : dangerous)
        QTest::newRow(row) << "/data/beam.ana" << BatFile::Present << item + "\r\n" << App << SolverNotNamed << true;
}

void TestStarts::solverStops()
{
    QFETCH(QString, name);
    QFETCH(BatFile, bat);
    QFETCH(QString, analysisType);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(bool, newFileSet);
    const QString batPath = "/data/beam.bat";
    if (bat != BatFile::Missing)
        p.files[batPath] = analysisType;
    if (bat == BatFile::ExistenceFails)
        p.existsFails << batPath;
    if (bat == BatFile::Unreadable)
        p.readFails[batPath] = "Permission denied";

    run(ModeSolver, name);

    QCOMPARE(p.messages, (QList<Message>{{title, message}}));
    // Nothing written, no folder changed, nothing started.
    QCOMPARE(p.log, QStringList{::message(title)});
    // The file set stands once it was derived; before that the fields hold what run.dat gave.
    if (newFileSet) {
        QCOMPARE(fields(com), fileSet("/data/beam", batPath));
    } else {
        QCOMPARE(fields(com), (QStringList{"/old/o.dat", "/old/o.ana", "/old/o.out", "/old/o.fem",
                                           "/old/o.ind.in", "/mem/m.bat"}));
    }
}

void TestStarts::solverFileStepFails_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("log");

    // Nothing is started; a record that was written stays.
    QTest::newRow("run.dat cannot be written")
            << "/app/run.dat" << "/app/run.datに書き込めません。\r\nPermission denied" << QStringList{};
    QTest::newRow("solver.bat cannot be written")
            << "/app/solver.bat" << "/app/solver.batに書き込めません。\r\nPermission denied"
            << QStringList{"write /app/run.dat"};
    QTest::newRow("folder cannot be entered")
            << "/app" << "/appに移動できません。\r\nno such directory"
            << QStringList{"write /app/run.dat", "write /app/solver.bat"};
    // Told before anything is written: a network folder, a folder too long for the interpreter.
    QTest::newRow("no batch file runs in the folder")
            << "batch:/app" << "/appではソルバーを実行できません。\r\nnetwork folder" << QStringList{};
    QTest::newRow("run.dat unreadable: not even read")
            << "read:/app/run.dat" << "/app/run.datを読み込めません。\r\nPermission denied" << QStringList{};
}

void TestStarts::solverFileStepFails()
{
    QFETCH(QString, failing);
    QFETCH(QString, message);
    QFETCH(QStringList, log);
    p.files["/data/beam.bat"] = "STATIC.exe\r\n";
    if (failing == "/app")
        p.dirFails << failing;
    else if (failing == "batch:/app")
        p.batchFolderFails["/app"] = "network folder";
    else if (failing.startsWith("read:"))
        p.readFails[failing.mid(5)] = "Permission denied";
    else
        p.writeFails[failing] = "Permission denied";

    const bool recorded = !log.isEmpty();

    run(ModeSolver, "/data/beam.ana");

    QCOMPARE(p.messages, (QList<Message>{{Named, message}}));
    QCOMPARE(p.log, log << ::message(Named));
    QCOMPARE(p.cwd, "/home/user");
    QCOMPARE(p.files.value("/app/run.dat"), recorded ? record("/data/beam") : OldRecord);
}

void TestStarts::postRun_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("indIn");
    QTest::addColumn<QString>("before"); // run.dat before the Run

    QTest::newRow(".ind.in") << 290 << "/data/beam.ind.in" << "/data/beam" << "/data/beam.ind.in" << OldRecord;
    QTest::newRow(".in only") << 290 << "/data/beam.in" << "/data/beam" << "/data/beam.in" << OldRecord;
    QTest::newRow(".in in a folder name: the file's own")
            << 290 << "/home/taro.inoue/beam.ind.in" << "/home/taro.inoue/beam"
            << "/home/taro.inoue/beam.ind.in" << OldRecord;
    // A damaged record does not stop the Run that replaces it.
    QTest::newRow("run.dat that did not decode")
            << 290 << "/data/beam.ind.in" << "/data/beam" << "/data/beam.ind.in"
            << QString(OldRecord).replace("/old/", "/\ufffd/");
    QTest::newRow("blanks around the name") << 290 << "  /data/beam.ind.in " << "/data/beam"
                                            << "/data/beam.ind.in" << OldRecord;
    QTest::newRow("blank inside") << 290 << "/my data/beam.ind.in" << "/my data/beam"
                                  << "/my data/beam.ind.in" << OldRecord;
    QTest::newRow("viewer mode") << 390 << "/data/beam.ind.in" << "/data/beam" << "/data/beam.ind.in" << OldRecord;
    QTest::newRow("mode never set") << 0 << "/data/beam.ind.in" << "/data/beam" << "/data/beam.ind.in" << OldRecord;
}

void TestStarts::postRun()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, indIn);
    QFETCH(QString, before);
    p.files["/app/run.dat"] = before;

    run(qint16(mode), name);

    QCOMPARE(p.messages, QList<Message>{});
    QCOMPARE(p.log, (QStringList{"write /app/run.dat", "start /app/TOLV_Post.exe"}));
    QCOMPARE(p.starts, (QList<Start>{{"/app/TOLV_Post.exe", indIn, "/home/user"}}));
    QCOMPARE(p.files.value("/app/run.dat"), record(base, indIn));
    QCOMPARE(fields(com), (QStringList{base + ".dat", base + ".ana", base + ".out", base + ".fem", indIn,
                                       "/mem/m.bat"}));
}

void TestStarts::postStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postPresent");
    QTest::addColumn<bool>("recordWritable");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("runDat");

    QTest::newRow("not a postprocessor file")
            << "/data/beam.ana" << true << true << App
            << "/data/beam.ana はポスト用データファイル名ではありません。\r\nポスト用データファイル名を指定してください" << OldRecord;
    QTest::newRow("suffix in capitals")
            << "/data/beam.IND.IN" << true << true << App
            << "/data/beam.IND.IN はポスト用データファイル名ではありません。\r\nポスト用データファイル名を指定してください" << OldRecord;
    // The record is written before the start is asked for, and stays whatever comes of it.
    QTest::newRow("postprocessor missing")
            << "/data/beam.ind.in" << false << true << Named
            << "ポストプロセッサ（/app/TOLV_Post.exe）が見つかりません。" << record("/data/beam");
    QTest::newRow("run.dat cannot be written")
            << "/data/beam.ind.in" << true << false << Named
            << "/app/run.datに書き込めません。\r\nNo space left on device" << OldRecord;
    QTest::newRow("record refused")
            << "\"/data/beam.ind.in" << true << true << Named
            << "/app/run.datに書き込めません。\r\nファイル名（\"/data/beam.dat）が二重引用符で始まっています。" << OldRecord;
}

void TestStarts::postStops()
{
    QFETCH(QString, name);
    QFETCH(bool, postPresent);
    QFETCH(bool, recordWritable);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, runDat);
    if (!postPresent)
        p.files.remove("/app/TOLV_Post.exe");
    if (!recordWritable)
        p.writeFails["/app/run.dat"] = "No space left on device";

    run(ModePost, name);

    QCOMPARE(p.messages, (QList<Message>{{title, message}}));
    QCOMPARE(p.starts, QList<Start>{});
    QCOMPARE(p.files.value("/app/run.dat"), runDat);
    QCOMPARE(com.File_Bat, "/mem/m.bat");
}

void TestStarts::doubleClick_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("presses"); // milliseconds on the clock, one Run each
    QTest::addColumn<int>("started");

    const QList<int> modes{ModeSolver, ModePost};
    for (const int mode : modes) {
        const QByteArray tool = mode == ModeSolver ? "solver" : "postprocessor";
        QTest::addRow("%s: double click", tool.data()) << mode << QList<int>{0, 150} << 1;
        QTest::addRow("%s: second press at the end of the interval", tool.data()) << mode << QList<int>{0, 399} << 1;
        QTest::addRow("%s: triple click", tool.data()) << mode << QList<int>{0, 150, 300} << 1;
        QTest::addRow("%s: two presses a second apart", tool.data()) << mode << QList<int>{0, 1000} << 2;
        QTest::addRow("%s: just past the interval", tool.data()) << mode << QList<int>{0, 400} << 2;
        QTest::addRow("%s: two double clicks", tool.data()) << mode << QList<int>{0, 150, 1500, 1650} << 2;
    }
    // A Run that started nothing does not swallow the press that follows it.
    QTest::newRow("after a Run that was refused") << int(ModeSolver) << QList<int>{-1, 100} << 1;
}

void TestStarts::doubleClick()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, presses);
    QFETCH(int, started);
    p.files["/data/beam.bat"] = "STATIC.exe\r\n";
    com.Exec_Mode = qint16(mode);
    const QString name = mode == ModeSolver ? "/data/beam.ana" : "/data/beam.ind.in";

    Starts starts(com, p);
    for (const int at : presses) {
        // -1: a press at 0 whose analysis-type file is missing.
        const bool refused = at < 0;
        if (refused)
            p.files.remove("/data/beam.bat");
        p.now = qMax(at, 0);
        starts.run(name);
        if (refused)
            p.files["/data/beam.bat"] = "STATIC.exe\r\n";
    }
    QCOMPARE(p.starts.size(), started);
}

void TestStarts::solverFromRecord_data()
{
    QTest::addColumn<QChar>("sep");
    QTest::addColumn<QString>("ana");
    // The batch file that is started, or empty when the long-name message comes instead.
    QTest::addColumn<QString>("started");
    // The name part that the long-name message shows.
    QTest::addColumn<QString>("longPart");

    const QChar win = u'\\';
    const QChar lin = u'/';
    QTest::newRow("win: eleven characters") << win << "C:\\data\\model01.ana" << "C:\\data\\model01.bat" << "";
    QTest::newRow("win: twelve characters pass") << win << "C:\\data\\model012.ana" << "C:\\data\\model012.bat" << "";
    QTest::newRow("win: thirteen characters stop") << win << "C:\\data\\model0123.ana" << "" << "model0123.ana";
    QTest::newRow("win: no folder, long") << win << "model0123.ana" << "" << "model0123.ana";
    QTest::newRow("win: no folder, short") << win << "model01.ana" << "model01.bat" << "";
    // Only the file's own name holds the suffix; on Windows "/" separates folders there too.
    QTest::newRow("win: .ana in a folder name") << win << "C:\\x.ana\\m.ana" << "C:\\x.ana\\m.bat" << "";
    QTest::newRow("win: .ana in a folder before a forward slash") << win << "x.ana/m.ana" << "x.ana/m.bat" << "";
    QTest::newRow("win: .ana twice in the name: the first") << win << "C:\\d\\m.ana.ana" << "C:\\d\\m.bat" << "";
    QTest::newRow("win: four characters skip the check") << win << ".ana" << ".bat" << "";
    QTest::newRow("win: forward slashes are one name") << win << "C:/data/model01.ana" << "" << "C:/data/model01.ana";
    QTest::newRow("win: a separator in the last four characters is not the folder's end")
            << win << "C:\\data\\model0123.a\\na" << "" << "model0123.a\\na";
    QTest::newRow("win: nor is one as the first of them") << win << "C:\\data\\model0123.\\ana" << "" << "model0123.\\ana";
    QTest::newRow("win: separator right before the extension")
            << win << "C:\\data\\model0123456789\\.ana" << "C:\\data\\model0123456789\\.bat" << "";
    QTest::newRow("win: full-width characters count once")
            << win << "C:\\データ\\ＡＢＣＤＥＦＧＨ.ana" << "C:\\データ\\ＡＢＣＤＥＦＧＨ.bat" << "";
    QTest::newRow("win: nine full-width characters are too many")
            << win << "C:\\データ\\ＡＢＣＤＥＦＧＨＩ.ana" << "" << "ＡＢＣＤＥＦＧＨＩ.ana";
    QTest::newRow("win: half-width katakana count once") << win << "C:\\d\\ﾓﾃﾞﾙ0123.ana" << "C:\\d\\ﾓﾃﾞﾙ0123.bat" << "";
    QTest::newRow("win: a character outside the basic plane counts as its two UTF-16 units")
            << win << "C:\\d\\abcdefg\U0001F600.ana" << "" << "abcdefg\U0001F600.ana";
    QTest::newRow("lin: eleven characters") << lin << "/home/u/model01.ana" << "/home/u/model01.bat" << "";
    QTest::newRow("lin: thirteen characters stop") << lin << "/home/u/model0123.ana" << "" << "model0123.ana";
    QTest::newRow("lin: a backslash is an ordinary character")
            << lin << "/home/u/abcdefgh\\ij.ana" << "" << "abcdefgh\\ij.ana";
    QTest::newRow("lin: a short name with a backslash") << lin << "/home/u/a\\b.ana" << "/home/u/a\\b.bat" << "";
    QTest::newRow("lin: a Windows path is one long name") << lin << "C:\\data\\model01.ana" << "" << "C:\\data\\model01.ana";
    QTest::newRow("lin: .ana in a folder name") << lin << "/home/u/x.ana.d/m.ana" << "/home/u/x.ana.d/m.bat" << "";
    QTest::newRow("lin: a backslash separates no folder") << lin << "/home/x.ana\\m.ana" << "/home/x.bat" << "";
    QTest::newRow("lin: blanks in the path stay") << lin << "/home/my data/mod 01.ana" << "/home/my data/mod 01.bat" << "";
}

void TestStarts::solverFromRecord()
{
    QFETCH(QChar, sep);
    QFETCH(QString, ana);
    QFETCH(QString, started);
    QFETCH(QString, longPart);
    if (sep == u'\\')
        p.useBackslashes();
    writeRunDat(ana);
    if (!started.isEmpty())
        p.files[started] = QStringLiteral("solver01.exe\r\n");

    Starts(com, p).solverFromRecord();

    QCOMPARE(com.File_Ana, ana);
    if (started.isEmpty()) {
        QCOMPARE(p.messages, (QList<Message>{{App, longName(longPart)}}));
        QCOMPARE(p.starts, QList<Start>{});
        QCOMPARE(com.File_Bat, "/mem/m.bat");
    } else {
        QCOMPARE(p.messages, QList<Message>{});
        QCOMPARE(p.starts, (QList<Start>{{started, "", p.cwd}}));
        QCOMPARE(com.File_Bat, started);
    }
}

void TestStarts::solverWithoutUsableRecord_data()
{
    QTest::addColumn<QString>("runDat"); // "-" for no run.dat
    QTest::addColumn<QString>("message");
    const QString cannotRead = QStringLiteral("C:\\TOLV\\run.datを読み込めません。\r\n");
    QTest::newRow("no run.dat") << "-" << NoData;
    QTest::newRow("first path blank") << "  \r\nC:\\data\\model01.ana\r\nx\r\nx\r\nx\r\n" << NoData;
    QTest::newRow("no .ana") << "m.dat\r\nC:\\data\\model01.dat\r\nx\r\nx\r\nx\r\n" << NoData;
    QTest::newRow("extension in capitals") << "m.dat\r\nC:\\data\\MODEL01.ANA\r\nx\r\nx\r\nx\r\n" << NoData;
    QTest::newRow(".ana only in a folder") << "m.dat\r\nC:\\v.ana\\model01.dat\r\nx\r\nx\r\nx\r\n" << NoData;
    // A record that is not whole (the kinds are Read_RunDat's table): the earlier one in memory is
    // not taken for what the file lacks.
    QTest::newRow("three lines") << "m.dat\r\nC:\\data\\model01.ana\r\nx\r\n"
                                 << cannotRead + "記録が不完全です（5件のファイル名のうち3件しかありません）。";
}

void TestStarts::solverWithoutUsableRecord()
{
    QFETCH(QString, runDat);
    QFETCH(QString, message);
    p.useBackslashes();
    p.files.clear();
    // An earlier record in memory must not be used when run.dat gives none.
    com.File_Dat = QStringLiteral("C:\\old\\old.dat");
    com.File_Ana = QStringLiteral("C:\\old\\old.ana");
    p.files[QStringLiteral("C:\\old\\old.bat")] = QString();
    if (runDat != QLatin1String("-"))
        p.files[p.inApp("run.dat")] = runDat;

    Starts(com, p).solverFromRecord();

    QCOMPARE(p.messages, (QList<Message>{{message == NoData ? App : Named, message}}));
    QCOMPARE(p.starts, QList<Start>{});
    QCOMPARE(com.File_Bat, "/mem/m.bat");
}

void TestStarts::linkedSolverTold_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("bat"); // File_Bat afterwards

    QTest::newRow("batch file missing")
            << "missing" << "ソルバー・静解析実行（C:\\data\\model01.bat）が見つかりません。" << "C:\\data\\model01.bat";
    // As the Run by file name says it, before anything starts.
    QTest::newRow("no batch file runs in the application folder")
            << "folder" << "C:\\TOLVではソルバーを実行できません。\r\nnetwork folder" << "/mem/m.bat";
}

void TestStarts::linkedSolverTold()
{
    QFETCH(QString, trouble);
    QFETCH(QString, message);
    QFETCH(QString, bat);
    p.useBackslashes();
    writeRunDat(QStringLiteral("C:\\data\\model01.ana"));
    if (trouble == "folder") {
        p.files["C:\\data\\model01.bat"] = "solver01.exe\r\n";
        p.batchFolderFails["C:\\TOLV"] = "network folder";
    }

    Starts(com, p).solverFromRecord();

    QCOMPARE(p.messages, (QList<Message>{{Named, message}}));
    QCOMPARE(p.log, QStringList{::message(Named)});
    QCOMPARE(com.File_Bat, bat);

    // Each start reads the record again.
    p.batchFolderFails.clear();
    p.files["C:\\data\\model01.bat"] = QString();
    p.files["C:\\data\\model02.bat"] = QString();
    writeRunDat(QStringLiteral("C:\\data\\model02.ana"));
    Starts(com, p).solverFromRecord();
    QCOMPARE(p.starts, (QList<Start>{{"C:\\data\\model02.bat", "", p.cwd}}));
}

void TestStarts::postFromRecord_data()
{
    QTest::addColumn<QString>("runDat"); // "-" for no run.dat
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("told");   // the reason after "/app/run.datを読み込めません。"

    const QString whole = "/d/m.dat\r\n/d/m.ana\r\n/d/m.out\r\n/d/m.fem\r\n/d/m.ind.in\r\n";
    QTest::newRow("usable record") << whole << "/d/m.ind.in" << "";
    QTest::newRow("no run.dat: no argument") << "-" << "" << "";
    QTest::newRow("first path blank: no argument") << QString(whole).replace("/d/m.dat", "   ") << "" << "";
    QTest::newRow("fifth path blank: none") << QString(whole).replace("/d/m.ind.in", "  ") << "" << "";
    // A record that is not whole starts nothing.
    QTest::newRow("three lines") << whole.section("\r\n", 0, 2) << "-"
                                 << "記録が不完全です（5件のファイル名のうち3件しかありません）。";
}

void TestStarts::postFromRecord()
{
    QFETCH(QString, runDat);
    QFETCH(QString, argument);
    QFETCH(QString, told);
    if (runDat == "-")
        p.files.remove("/app/run.dat");
    else
        p.files["/app/run.dat"] = runDat;

    Starts(com, p).postFromRecord();

    if (told.isEmpty()) {
        QCOMPARE(p.messages, QList<Message>{});
        QCOMPARE(p.starts, (QList<Start>{{"/app/TOLV_Post.exe", argument, p.cwd}}));
    } else {
        QCOMPARE(p.messages, (QList<Message>{{Named, "/app/run.datを読み込めません。\r\n" + told}}));
        QCOMPARE(p.starts, QList<Start>{});
    }
}

QTEST_APPLESS_MAIN(TestStarts)
#include "tst_starts.moc"

#include "support/WindowDriver.h"

#include <QRegularExpression>

using namespace tolv;
using namespace tolv::test;

namespace {

const QString OldRecord = "/old/o.dat\r\n/old/o.ana\r\n/old/o.out\r\n/old/o.fem\r\n/old/o.ind.in\r\n";
const QString SolverNotNamed = "ソルバーを実行できません。\r\nプリ終了時の解析タイプの選択処理が正しく行なわれなかったと思われます。\r\nソルバー用データファイル名を指定してください";
const QString AnalysisTypeMissing = "解析タイプが不明です。\r\nプリ終了時に解析タイプの選択処理が行なわれていないと思われます。";

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

enum class BatFile { Present, Missing, ExistenceFails, Unreadable };

} // namespace

Q_DECLARE_METATYPE(BatFile)

class TestFilenameRun : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

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

private:
    // Names the file by browsing in the given mode and presses Run.
    void run(qint16 mode, const QString &name);
    void checkDialogUnchanged(const QString &name);

    std::unique_ptr<FakePlatform> m_p;
    TOLV_Com m_com;
};

void TestFilenameRun::init()
{
    m_p = std::make_unique<FakePlatform>();
    m_p->files["/app/run.dat"] = OldRecord;
    m_p->files["/app/TOLV_Post.exe"] = "";
    m_com = TOLV_Com();
    // What memory held before the click, different from run.dat.
    m_com.File_Dat = "/mem/m.dat";
    m_com.File_Ana = "/mem/m.ana";
    m_com.File_Out = "/mem/m.out";
    m_com.File_Fem = "/mem/m.fem";
    m_com.File_IndIn = "/mem/m.ind.in";
    m_com.File_Bat = "/mem/m.bat";
}

void TestFilenameRun::cleanup()
{
    discardDialog();
    m_p.reset();
}

void TestFilenameRun::run(qint16 mode, const QString &name)
{
    Filename *d = openDialog(m_com, *m_p, mode);
    if (!name.isEmpty())
        browse(*m_p, d, name);
    pressRun(d);
}

void TestFilenameRun::checkDialogUnchanged(const QString &name)
{
    Filename *d = shownDialog(heldDialog());
    QVERIFY(d);
    QVERIFY(d->isVisible());
    QCOMPARE(fileNameField(d), name);
}

void TestFilenameRun::emptyName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("nothing chosen") << "";
    QTest::newRow("blanks only") << "   ";
}

void TestFilenameRun::emptyName()
{
    QFETCH(QString, name);
    const QStringList before = fields(m_com);
    run(ModeSolver, name);
    QCOMPARE(m_p->messages, (QList<Message>{{"TOLVStrel", "入力データ名が指定されていません"}}));
    // run.dat was not even read.
    QCOMPARE(fields(m_com), before);
    QVERIFY(m_p->writes.isEmpty());
    QVERIFY(m_p->starts.isEmpty());
    checkDialogUnchanged(name);
}

void TestFilenameRun::solverRun_data()
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
}

void TestFilenameRun::solverRun()
{
    QFETCH(QString, name);
    QFETCH(QString, analysisType);
    QFETCH(QString, base);
    QFETCH(QString, solver);
    m_p->files[base + ".bat"] = analysisType;

    run(ModeSolver, name);

    QCOMPARE(m_p->messages, QList<Message>{});
    QCOMPARE(m_p->files.value("/app/solver.bat"), solver + "\r\nPAUSE\r\n");
    QString runDat = record(base);
    if (base.contains(u','))
        runDat.replace(QRegularExpression("([^\r\n]+)"), "\"\\1\"");
    QCOMPARE(m_p->files.value("/app/run.dat"), runDat);
    // The record is in place before solver.bat, and both before the start.
    QCOMPARE(m_p->writes, (QStringList{"/app/run.dat", "/app/solver.bat"}));
    QCOMPARE(m_p->starts, (QList<Start>{{"/app/solver.bat", "", "/app"}}));
    QCOMPARE(m_p->cwd, "/app");
    QCOMPARE(fields(m_com), fileSet(base, base + ".bat"));
    checkDialogUnchanged(name);
}

void TestFilenameRun::solverStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<BatFile>("bat");
    QTest::addColumn<QString>("analysisType");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("newFileSet");

    const QString app = "TOLVStrel";
    QTest::newRow("suffix in capitals")
            << "/data/BEAM.ANA" << BatFile::Present << "STATIC.exe" << app
            << "/data/BEAM.ANA はソルバー用データファイル名ではありません。\r\nソルバー用データファイル名を指定してください" << false;
    QTest::newRow("postprocessor file")
            << " /data/beam.ind.in " << BatFile::Present << "STATIC.exe" << app
            << "/data/beam.ind.in はソルバー用データファイル名ではありません。\r\nソルバー用データファイル名を指定してください" << false;
    QTest::newRow("analysis-type file missing")
            << "/data/beam.ana" << BatFile::Missing << "" << "TOLV_Strel" << AnalysisTypeMissing
            << true;
    QTest::newRow("existence test fails")
            << "/data/beam.ana" << BatFile::ExistenceFails << "STATIC.exe" << "TOLV_Strel"
            << AnalysisTypeMissing << true;
    QTest::newRow("unreadable analysis-type file")
            << "/data/beam.ana" << BatFile::Unreadable << "STATIC.exe" << "TOLV_Strel"
            << "/data/beam.batを読み込めません。\r\nPermission denied" << true;
    QTest::newRow("empty analysis-type file")
            << "/data/beam.ana" << BatFile::Present << "" << app << SolverNotNamed << true;
    QTest::newRow("no .exe") << "/data/beam.ana" << BatFile::Present << "STATIC\r\n" << app
                             << SolverNotNamed << true;
    QTest::newRow(".exe in capitals") << "/data/beam.ana" << BatFile::Present << "STATIC.EXE\r\n"
                                      << app << SolverNotNamed << true;
    QTest::newRow("comma before the program") << "/data/beam.ana" << BatFile::Present
                                              << "3,STATIC.exe\r\n" << app << SolverNotNamed << true;
    QTest::newRow(".exe before position 7") << "/data/beam.ana" << BatFile::Present
                                            << "STATC.exe\r\n" << app << SolverNotNamed << true;
    QTest::newRow("bare .exe") << "/data/beam.ana" << BatFile::Present << ".exe\r\n" << app
                               << SolverNotNamed << true;
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
    for (const auto &[row, item] : dangerous) {
        QTest::newRow(row) << "/data/beam.ana" << BatFile::Present << item + "\r\n" << app
                           << SolverNotNamed << true;
    }
}

void TestFilenameRun::solverStops()
{
    QFETCH(QString, name);
    QFETCH(BatFile, bat);
    QFETCH(QString, analysisType);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(bool, newFileSet);
    const QString batPath = "/data/beam.bat";
    if (bat != BatFile::Missing)
        m_p->files[batPath] = analysisType;
    if (bat == BatFile::ExistenceFails)
        m_p->existsFails << batPath;
    if (bat == BatFile::Unreadable)
        m_p->readFails[batPath] = "Permission denied";

    run(ModeSolver, name);

    QCOMPARE(m_p->messages, (QList<Message>{{title, message}}));
    QVERIFY(m_p->starts.isEmpty());
    QVERIFY(m_p->writes.isEmpty());
    QCOMPARE(m_p->files.value("/app/run.dat"), OldRecord);
    QCOMPARE(m_p->cwd, "/home/user");
    // The file set stands once it was derived; before that the fields hold what run.dat gave.
    if (newFileSet) {
        QCOMPARE(fields(m_com), fileSet("/data/beam", batPath));
    } else {
        QCOMPARE(fields(m_com), (QStringList{"/old/o.dat", "/old/o.ana", "/old/o.out", "/old/o.fem",
                                             "/old/o.ind.in", "/mem/m.bat"}));
    }
    checkDialogUnchanged(name);
}

void TestFilenameRun::solverFileStepFails_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("written");

    // Nothing is started; a record that was written stays.
    QTest::newRow("run.dat cannot be written")
            << "/app/run.dat" << "/app/run.datに書き込めません。\r\nPermission denied" << QStringList{};
    QTest::newRow("solver.bat cannot be written")
            << "/app/solver.bat" << "/app/solver.batに書き込めません。\r\nPermission denied"
            << QStringList{"/app/run.dat"};
    QTest::newRow("folder cannot be entered")
            << "/app" << "/appに移動できません。\r\nno such directory"
            << QStringList{"/app/run.dat", "/app/solver.bat"};
    // Told before anything is written: a network folder, a folder too long for the interpreter.
    QTest::newRow("no batch file runs in the folder")
            << "batch:/app" << "/appではソルバーを実行できません。\r\nnetwork folder" << QStringList{};
}

void TestFilenameRun::solverFileStepFails()
{
    QFETCH(QString, failing);
    QFETCH(QString, message);
    QFETCH(QStringList, written);
    m_p->files["/data/beam.bat"] = "STATIC.exe\r\n";
    if (failing == "/app")
        m_p->dirFails << failing;
    else if (failing == "batch:/app")
        m_p->batchFolderFails["/app"] = "network folder";
    else
        m_p->writeFails[failing] = "Permission denied";

    run(ModeSolver, "/data/beam.ana");

    QCOMPARE(m_p->messages, (QList<Message>{{"TOLV_Strel", message}}));
    QCOMPARE(m_p->starts, QList<Start>{});
    QCOMPARE(m_p->cwd, "/home/user");
    QCOMPARE(m_p->writes, written);
    QCOMPARE(m_p->files.value("/app/run.dat"), written.isEmpty() ? OldRecord : record("/data/beam"));
    QCOMPARE(fields(m_com), fileSet("/data/beam", "/data/beam.bat"));
    checkDialogUnchanged("/data/beam.ana");
}

void TestFilenameRun::postRun_data()
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
    QTest::newRow("viewer mode") << 390 << "/data/beam.ind.in" << "/data/beam"
                                 << "/data/beam.ind.in" << OldRecord;
    QTest::newRow("mode never set") << 0 << "/data/beam.ind.in" << "/data/beam"
                                    << "/data/beam.ind.in" << OldRecord;
}

void TestFilenameRun::postRun()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, indIn);
    QFETCH(QString, before);
    m_p->files["/app/run.dat"] = before;

    run(qint16(mode), name);

    QCOMPARE(m_p->messages, QList<Message>{});
    QCOMPARE(m_p->starts, (QList<Start>{{"/app/TOLV_Post.exe", indIn, "/home/user"}}));
    QCOMPARE(m_p->cwd, "/home/user");
    QCOMPARE(m_p->writes, QStringList{"/app/run.dat"});
    QCOMPARE(m_p->files.value("/app/run.dat"), record(base, indIn));
    QCOMPARE(fields(m_com), (QStringList{base + ".dat", base + ".ana", base + ".out", base + ".fem",
                                         indIn, "/mem/m.bat"}));
    checkDialogUnchanged(name);
}

void TestFilenameRun::postStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postPresent");
    QTest::addColumn<bool>("recordWritable");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("runDat");

    QTest::newRow("not a postprocessor file")
            << "/data/beam.ana" << true << true << "TOLVStrel"
            << "/data/beam.ana はポスト用データファイル名ではありません。\r\nポスト用データファイル名を指定してください" << OldRecord;
    QTest::newRow("suffix in capitals")
            << "/data/beam.IND.IN" << true << true << "TOLVStrel"
            << "/data/beam.IND.IN はポスト用データファイル名ではありません。\r\nポスト用データファイル名を指定してください" << OldRecord;
    // The record is written before the start is asked for, and stays whatever comes of it.
    QTest::newRow("postprocessor missing")
            << "/data/beam.ind.in" << false << true << "TOLV_Strel"
            << "ポストプロセッサ（/app/TOLV_Post.exe）が見つかりません。" << record("/data/beam");
    QTest::newRow("run.dat cannot be written")
            << "/data/beam.ind.in" << true << false << "TOLV_Strel"
            << "/app/run.datに書き込めません。\r\nNo space left on device" << OldRecord;
    QTest::newRow("record refused")
            << "\"/data/beam.ind.in" << true << true << "TOLV_Strel"
            << "/app/run.datに書き込めません。\r\nファイル名（\"/data/beam.dat）が二重引用符で始まっています。" << OldRecord;
}

void TestFilenameRun::postStops()
{
    QFETCH(QString, name);
    QFETCH(bool, postPresent);
    QFETCH(bool, recordWritable);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, runDat);
    if (!postPresent)
        m_p->files.remove("/app/TOLV_Post.exe");
    if (!recordWritable)
        m_p->writeFails["/app/run.dat"] = "No space left on device";

    run(ModePost, name);

    QCOMPARE(m_p->messages, (QList<Message>{{title, message}}));
    QCOMPARE(m_p->starts, QList<Start>{});
    QCOMPARE(m_p->files.value("/app/run.dat"), runDat);
    QCOMPARE(m_com.File_Bat, "/mem/m.bat");
    QCOMPARE(m_p->cwd, "/home/user");
    checkDialogUnchanged(name);
}

QTEST_MAIN(TestFilenameRun)
#include "tst_filename_run.moc"

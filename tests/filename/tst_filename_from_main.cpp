// The data-file dialog as the main window's popups open it, and the linked starts after its Run.
#include "DialogDriver.h"

#include "ui/main/Main.h"

using namespace tolv;
using namespace tolv::test;

class TestFilenameFromMain : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void modeChangesWhileOpen();
    void reopenedDialogTakesTheNewMode();
    void linkedStartsUseTheNewRecord();

private:
    bool choose(const char *button, const char *item)
    {
        return chooseFromPopup(m_main.get(), button, item);
    }
    QString runCaption() const
    {
        return control<QPushButton>(Filename::instance(), "cmd_Run")->text();
    }

    std::unique_ptr<FakePlatform> m_p;
    TOLV_Com m_com;
    std::unique_ptr<Main> m_main;
};

void TestFilenameFromMain::init()
{
    m_p = std::make_unique<FakePlatform>();
    m_p->files["/app/TOLV_Post.exe"] = "";
    m_com = TOLV_Com();
    m_main = std::make_unique<Main>(m_com, *m_p);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestFilenameFromMain::cleanup()
{
    discardDialog();
    m_main.reset();
    m_p.reset();
}

void TestFilenameFromMain::modeChangesWhileOpen()
{
    QVERIFY(choose("cmd_Solver", "mnu_filename"));
    Filename *d = Filename::instance();
    QVERIFY(d && d->isVisible());
    QCOMPARE(runCaption(), "ソルバーを実行");
    browse(*m_p, d, std::nullopt);
    QCOMPARE(m_p->dialogShowings.at(0).filter, "*.ana(ｿﾙﾊﾞｰ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ana");

    // The postprocessor's file-name item while the dialog is open: the same dialog comes to the
    // front with its caption, and browsing and Run follow the new mode.
    QVERIFY(choose("cmd_Post", "mnu_post_filename"));
    QCOMPARE(Filename::instance(), d);
    QCOMPARE(runCaption(), "ソルバーを実行");
    browse(*m_p, d, "/data/beam.ind.in");
    QCOMPARE(m_p->dialogShowings.at(1).filter, "*.ind.in(ﾎﾟｽﾄ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ind.in");
    pressRun(d);
    QVERIFY(m_p->messages.isEmpty());
    QCOMPARE(m_p->starts.size(), 1);
    QCOMPARE(m_p->starts.at(0).program, "/app/TOLV_Post.exe");
    QCOMPARE(m_p->starts.at(0).argText, "/data/beam.ind.in");
    QCOMPARE(m_p->dialogsCreated, 1);
    QVERIFY(m_main->isVisible());
}

void TestFilenameFromMain::reopenedDialogTakesTheNewMode()
{
    QVERIFY(choose("cmd_Solver", "mnu_filename"));
    browse(*m_p, Filename::instance(), "/data/beam.ana");
    QTest::mouseClick(control<QPushButton>(Filename::instance(), "cmd_OK"), Qt::LeftButton);
    QVERIFY(!Filename::instance());
    QVERIFY(m_main->isVisible());

    QVERIFY(choose("cmd_Post", "mnu_post_filename"));
    QVERIFY(Filename::instance());
    QCOMPARE(runCaption(), "ポストプロセッサを実行");
    QVERIFY(fileNameField(Filename::instance()).isEmpty());
}

void TestFilenameFromMain::linkedStartsUseTheNewRecord()
{
    m_p->files["/app/run.dat"] = "/old/o.dat\r\n/old/o.ana\r\n/old/o.out\r\n/old/o.fem\r\n/old/o.ind.in\r\n";
    m_p->files["/data/beam.bat"] = "STATIC.exe\r\nPAUSE\r\n";
    QVERIFY(choose("cmd_Solver", "mnu_filename"));
    browse(*m_p, Filename::instance(), "/data/beam.ana");
    pressRun(Filename::instance());
    QVERIFY(m_p->messages.isEmpty());

    QVERIFY(choose("cmd_Post", "mnu_run_post"));
    QVERIFY(choose("cmd_Solver", "mnu_exec_solver"));
    QVERIFY(m_p->messages.isEmpty());
    QCOMPARE(m_p->starts.size(), 3);
    QCOMPARE(m_p->starts.at(0).program, "/app/solver.bat");
    QCOMPARE(m_p->starts.at(1).program, "/app/TOLV_Post.exe");
    QCOMPARE(m_p->starts.at(1).argText, "/data/beam.ind.in");
    QCOMPARE(m_p->starts.at(2).program, "/data/beam.bat");
    QCOMPARE(m_p->starts.at(2).currentDir, "/app");
}

QTEST_MAIN(TestFilenameFromMain)
#include "tst_filename_from_main.moc"

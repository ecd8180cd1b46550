#include "support/WindowDriver.h"
#include "ui/Fonts.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QFontDatabase>
#include <QRawFont>
#include <QWindow>

using namespace tolv;
using namespace tolv::test;

class TestFilenameForm : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void geometry_data();
    void geometry();
    void texts_data();
    void texts();
    void fileNameFieldLook();
    void label();
    void colours();
    void focusAndTabOrder();

    void runCaptionByMode_data();
    void runCaptionByMode();
    void oneDialogWhileOpen();
    void closingDiscardsTheDialog_data();
    void closingDiscardsTheDialog();

    void browseSettings_data();
    void browseSettings();
    void browseFolder_data();
    void browseFolder();
    void cancelKeepsEarlierName();
    void filterStaysWithTheDialog();
    void unusableNameRefused_data();
    void unusableNameRefused();

private:
    Filename *open(qint16 mode) { return openDialog(m_com, *m_p, mode); }

    std::unique_ptr<FakePlatform> m_p;
    TOLV_Com m_com;
};

void TestFilenameForm::init()
{
    m_p = std::make_unique<FakePlatform>();
    m_com = TOLV_Com();
}

void TestFilenameForm::cleanup()
{
    discardDialog();
    QVERIFY(!shownDialog(heldDialog()));
    m_p.reset();
}

void TestFilenameForm::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    // Relative to the client area; the option buttons relative to their frame.
    QTest::newRow("frm_Solver") << "frm_Solver" << QRect(272, 64, 225, 41);
    QTest::newRow("opt_Solver_2") << "opt_Solver_2" << QRect(160, 16, 57, 17);
    QTest::newRow("opt_Solver_1") << "opt_Solver_1" << QRect(72, 16, 81, 17);
    QTest::newRow("opt_Solver_0") << "opt_Solver_0" << QRect(8, 16, 57, 17);
    QTest::newRow("cmd_Run") << "cmd_Run" << QRect(272, 16, 225, 41);
    QTest::newRow("txt_filename") << "txt_filename" << QRect(16, 112, 577, 18);
    QTest::newRow("cmd_OK") << "cmd_OK" << QRect(512, 16, 81, 41);
    QTest::newRow("cmd_Ref") << "cmd_Ref" << QRect(16, 16, 177, 41);
}

void TestFilenameForm::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    Filename *d = open(ModeSolver);
    QCOMPARE(d->size(), QSize(606, 155));
    QWidget *w = d->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), rect);
}

void TestFilenameForm::texts_data()
{
    QTest::addColumn<QString>("text"); // the caption, the frame's title, the window's title
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("Filename") << "TOLV/Strel - 入力データファイル名指定" << "";
    QTest::newRow("cmd_Ref") << "入力データフォルダの参照..." << "ファイルダイアログを開いて入力データ名を指定";
    QTest::newRow("cmd_OK") << "戻る" << "メイン画面に戻る";
    QTest::newRow("cmd_Run") << "ソルバーを実行" << "入力されたデータを使用してプログラムを実行";
    QTest::newRow("opt_Solver_0") << "静解析" << "";
    QTest::newRow("opt_Solver_1") << "固有値解析" << "";
    QTest::newRow("opt_Solver_2") << "動解析" << "";
    QTest::newRow("frm_Solver") << "ソルバータイプ" << "";
    QTest::newRow("Label1") << "入力データ名" << "";
}

void TestFilenameForm::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    Filename *d = open(ModeSolver);
    QWidget *w = d->objectName() == QTest::currentDataTag() ? d : control(d, QTest::currentDataTag());
    const char *property = qobject_cast<QGroupBox *>(w) ? "title" : w == d ? "windowTitle" : "text";
    QCOMPARE(w->property(property).toString(), text);
    QCOMPARE(w->toolTip(), toolTip);
}

// The stand-in for the stored face draws, and it has every character.
static void checkFont(const QWidget *w, qreal pointSize, const QString &sample)
{
    QCOMPARE(w->font().families(), QStringList{designedFace()});
    if (designedFace() != "ＭＳ Ｐゴシック")
        QCOMPARE(QRawFont::fromFont(w->font()).familyName(), designedFace());
    QCOMPARE(w->font().pointSizeF(), pointSize);
    const QFontMetrics metrics(w->font());
    for (const QChar c : sample)
        QVERIFY2(metrics.inFont(c), qPrintable(QStringLiteral("no glyph for ") + c));
}

void TestFilenameForm::fileNameFieldLook()
{
    Filename *d = open(ModeSolver);
    auto *field = control<QLineEdit>(d, "txt_filename");
    QVERIFY(!field->isEnabled());
    QVERIFY(field->text().isEmpty());
    checkFont(field, 9.75, "/データ/試験.ana");
    // The field cannot be typed into, but the chosen name must stay readable on its light yellow.
    const QPalette pal = field->palette();
    QCOMPARE(pal.color(QPalette::Disabled, QPalette::Base), QColor(255, 255, 192));
    QVERIFY(pal.color(QPalette::Disabled, QPalette::Text).lightness() < 100);
}

void TestFilenameForm::label()
{
    Filename *d = open(ModeSolver);
    auto *label = control<QLabel>(d, "Label1");
    checkFont(label, 11.25, label->text());
    // Sized to its text, standing on the designed bottom edge just above the field.
    const QFontMetrics metrics(label->font());
    QCOMPARE(label->x(), 16);
    QCOMPARE(label->geometry().bottom(), 96 + 15 - 1);
    QVERIFY(label->width() >= metrics.horizontalAdvance(label->text()));
    QVERIFY(label->height() >= metrics.height());
    QVERIFY(label->geometry().bottom() < control<QLineEdit>(d, "txt_filename")->y());
    // Its text is inked inside the designed rectangle (16, 96, 85 x 15), in the face made to the
    // designed one's widths.
    if (designedFace() == "ＭＳ Ｐゴシック" && !QFontDatabase::families().contains(designedFace()))
        return;
    const QImage shot = d->grab().toImage();
    QRect ink;
    for (int y = 80; y < 112; ++y)
        for (int x = 0; x < 130; ++x)
            if (shot.pixelColor(x, y).lightness() < 100)
                ink |= QRect(x, y, 1, 1);
    // A face whose line is taller than the designed 15 pixels (IPA P Gothic in the toolkit's own
    // FreeType engine on Windows: 16) raises the label's top, never its bottom edge.
    const int line = std::max(15, metrics.height());
    QVERIFY2(QRect(16, 111 - line, 85, line).contains(ink), qPrintable(QString("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.width() > 75);
    QVERIFY(!label->autoFillBackground());
    QCOMPARE(label->frameShape(), QFrame::NoFrame);
}

void TestFilenameForm::colours()
{
    Filename *d = open(ModeSolver);
    const QColor green(224, 255, 208);
    const QColor yellow(255, 255, 192);
    const QImage shot = d->grab().toImage();
    QCOMPARE(shot.pixelColor(3, 3), green);
    QCOMPARE(shot.pixelColor(600, 150), green);
    // Inside the empty file-name field.
    QCOMPARE(shot.pixelColor(300, 121), yellow);
    // The buttons keep the platform's button colour.
    auto *run = control<QPushButton>(d, "cmd_Run");
    QCOMPARE(run->palette().color(QPalette::Button), QApplication::palette(run).color(QPalette::Button));
    QVERIFY(shot.pixelColor(run->geometry().center()) != green);
    QCOMPARE(control<QGroupBox>(d, "frm_Solver")->palette().color(QPalette::Window), green);
}

void TestFilenameForm::focusAndTabOrder()
{
    Filename *d = open(ModeSolver);
    QCOMPARE(d->focusWidget(), control<QPushButton>(d, "cmd_Ref"));
    QStringList chain;
    QWidget *w = control<QPushButton>(d, "cmd_Ref");
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != control<QPushButton>(d, "cmd_Ref"));
    QCOMPARE(chain, (QStringList{"cmd_Ref", "cmd_OK", "txt_filename", "cmd_Run", "opt_Solver_0",
                                 "opt_Solver_1", "opt_Solver_2"}));
}

void TestFilenameForm::runCaptionByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::newRow("solver") << 190 << "ソルバーを実行";
    QTest::newRow("postprocessor") << 290 << "ポストプロセッサを実行";
    QTest::newRow("viewer") << 390 << "ビューワを実行";
    QTest::newRow("never set") << 0 << "を実行";
    QTest::newRow("other code") << 200 << "を実行";
}

void TestFilenameForm::runCaptionByMode()
{
    QFETCH(int, mode);
    QFETCH(QString, caption);
    Filename *d = open(qint16(mode));
    QCOMPARE(control<QPushButton>(d, "cmd_Run")->text(), caption);
    // The solver-type frame never shows and none of its options is chosen.
    QVERIFY(!control<QGroupBox>(d, "frm_Solver")->isVisible());
    auto *group = d->findChild<QButtonGroup *>("opt_Solver");
    QVERIFY(group);
    QVERIFY(!group->checkedButton());
    QCOMPARE(group->button(2), control<QRadioButton>(d, "opt_Solver_2"));
    QVERIFY(d->isVisible());
    QVERIFY(!d->parentWidget());
    QVERIFY(!d->isModal());
}

void TestFilenameForm::oneDialogWhileOpen()
{
    Filename *d = open(ModeSolver);
    browse(*m_p, d, "/data/beam.ana");
    // The main window's postprocessor item while the dialog is open: same window, no new load step.
    QCOMPARE(open(ModePost), d);
    QCOMPARE(shownDialog(heldDialog()), d);
    QCOMPARE(control<QPushButton>(d, "cmd_Run")->text(), "ソルバーを実行");
    QCOMPARE(fileNameField(d), "/data/beam.ana");
    QCOMPARE(d->findChildren<QPushButton *>().size(), 3);
}

void TestFilenameForm::closingDiscardsTheDialog_data()
{
    QTest::addColumn<bool>("byBackButton");
    QTest::newRow("back button") << true;
    QTest::newRow("window close button") << false;
}

void TestFilenameForm::closingDiscardsTheDialog()
{
    QFETCH(bool, byBackButton);
    QPointer<Filename> first = open(ModeSolver);
    browse(*m_p, first, "/data/beam.ana");
    if (byBackButton)
        QTest::mouseClick(control<QPushButton>(first, "cmd_OK"), Qt::LeftButton);
    else
        first->windowHandle()->close();
    QVERIFY(!shownDialog(heldDialog()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);

    // The next showing loads afresh with the mode then current; the browse result stays in the module.
    Filename *second = open(ModePost);
    QCOMPARE(control<QPushButton>(second, "cmd_Run")->text(), "ポストプロセッサを実行");
    QVERIFY(fileNameField(second).isEmpty());
    QCOMPARE(m_com.Ref_Filename, "/data/beam.ana");
}

void TestFilenameForm::browseSettings_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("filter");
    QTest::newRow("solver") << 190 << "*.ana(ｿﾙﾊﾞｰ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ana";
    QTest::newRow("postprocessor") << 290 << "*.ind.in(ﾎﾟｽﾄ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ind.in";
    QTest::newRow("viewer lists all files") << 390 << "";
    QTest::newRow("no mode") << 0 << "";
}

void TestFilenameForm::browseSettings()
{
    QFETCH(int, mode);
    QFETCH(QString, filter);
    Filename *d = open(qint16(mode));
    browse(*m_p, d, "/data/データ/beam 1.ana");
    QCOMPARE(m_p->dialogShowings.size(), 1);
    const DialogSettings shown = m_p->dialogShowings.at(0);
    QCOMPARE(shown.title, "TOLV/Strel-入力ﾃﾞｰﾀﾌｧｲﾙ名の指定");
    QCOMPARE(shown.filter, filter);
    QCOMPARE(m_com.Ref_Filename, "/data/データ/beam 1.ana");
    QCOMPARE(fileNameField(d), "/data/データ/beam 1.ana");
    QVERIFY(m_p->messages.isEmpty());
}

void TestFilenameForm::browseFolder_data()
{
    QTest::addColumn<QString>("record");    // the record in memory: File_Dat
    QTest::addColumn<QString>("runDat");    // run.dat in the application folder, or none
    QTest::addColumn<QStringList>("chosen"); // files chosen in earlier browses
    QTest::addColumn<QString>("folder");
    const QString saved = "/saved/model02.dat\r\n/saved/model02.ana\r\n/saved/model02.out\r\n"
                          "/saved/model02.fem\r\n/saved/model02.ind.in\r\n";
    QTest::newRow("nothing known: the platform's choice") << "" << "" << QStringList() << "";
    QTest::newRow("the record's data file") << "/work/my data/model01.dat" << saved << QStringList() << "/work/my data";
    QTest::newRow("run.dat when the record is not loaded") << "" << saved << QStringList() << "/saved";
    QTest::newRow("run.dat without a data file") << "" << "\r\n" << QStringList() << "";
    QTest::newRow("a file at the root") << "/model01.dat" << "" << QStringList() << "/";
    QTest::newRow("the last file chosen comes first")
            << "/work/model01.dat" << saved << QStringList{"/a/one.ana", "/b/c/two.ana"} << "/b/c";
}

// A new open-file dialog starts where the analyses are.
void TestFilenameForm::browseFolder()
{
    QFETCH(QString, record);
    QFETCH(QString, runDat);
    QFETCH(QStringList, chosen);
    QFETCH(QString, folder);
    m_com.File_Dat = record;
    if (!runDat.isEmpty())
        m_p->files[m_p->inApp("run.dat")] = runDat;
    for (const QString &file : chosen) {
        Filename *earlier = open(ModeSolver);
        browse(*m_p, earlier, file);
        discardDialog();
    }
    browse(*m_p, open(ModeSolver), std::nullopt);
    QCOMPARE(m_p->dialogShowings.constLast().folder, folder);
    QCOMPARE(m_com.File_Dat, record); // a look at run.dat leaves the record as it is
    QVERIFY(m_p->messages.isEmpty());
}

void TestFilenameForm::cancelKeepsEarlierName()
{
    Filename *d = open(ModeSolver);
    browse(*m_p, d, "/data/beam.ana");
    browse(*m_p, d, std::nullopt);
    QCOMPARE(m_p->dialogShowings.size(), 2);
    QCOMPARE(fileNameField(d), "/data/beam.ana");
    QCOMPARE(m_com.Ref_Filename, "/data/beam.ana");
    QVERIFY(m_p->messages.isEmpty());
}

void TestFilenameForm::filterStaysWithTheDialog()
{
    Filename *d = open(ModePost);
    browse(*m_p, d, std::nullopt);
    // Viewer mode on the same dialog keeps the filter set last; solver mode sets its own.
    open(ModeViewer);
    browse(*m_p, d, std::nullopt);
    open(ModeSolver);
    browse(*m_p, d, std::nullopt);
    QCOMPARE(m_p->dialogShowings.at(1).filter, "*.ind.in(ﾎﾟｽﾄ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ind.in");
    QCOMPARE(m_p->dialogShowings.at(2).filter, "*.ana(ｿﾙﾊﾞｰ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ana");

    // A new dialog starts without a filter.
    discardDialog();
    browse(*m_p, open(ModeViewer), std::nullopt);
    QCOMPARE(m_p->dialogShowings.at(3).filter, "");
}

// A name that the system's encoding cannot give back as the same bytes (a byte that did not
// decode, a character the narrow encoding lacks) would name another file: it is refused.
void TestFilenameForm::unusableNameRefused_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::newRow("undecodable byte") << QString("/data/\ufffd/beam.ana");
    QTest::newRow("not in the narrow encoding") << QString("/data/\u00a5/beam.ana");
}

void TestFilenameForm::unusableNameRefused()
{
    QFETCH(QString, chosen);
    m_p->notNarrow = "\u00a5";
    Filename *d = open(ModeSolver);
    browse(*m_p, d, "/data/beam.ana");
    browse(*m_p, d, chosen);
    QCOMPARE(m_p->messages.size(), 1);
    QCOMPARE(m_p->messages[0].title, "TOLV_Strel");
    QVERIFY2(m_p->messages[0].text.startsWith(chosen + "\r\nこのファイル名は使用できません。\r\n"),
             qPrintable(m_p->messages[0].text));
    QCOMPARE(fileNameField(d), "/data/beam.ana");
    QCOMPARE(m_com.Ref_Filename, "/data/beam.ana");
}

QTEST_MAIN(TestFilenameForm)
#include "tst_filename_form.moc"

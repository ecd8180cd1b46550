// The main window as a user meets it: layout and look, the buttons, the popups driven with mouse
// and keyboard, the shared choice code, and the data-file dialog opened from the popups.
#include "platform/QtPlatform.h"
#include "resources/Artwork.h"
#include "support/WindowDriver.h"
#include "core/Texts.h"
#include "ui/Fonts.h"
#include "ui/filename/Filename.h"
#include "ui/main/Main.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QRawFont>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QWindow>

#include <memory>

using tolv::designedFace;
using tolv::Filename;
using tolv::Main;
using tolv::TOLV_Com;
using namespace tolv::test;

namespace {

const QColor FormGreen(224, 255, 208);
const QColor TextGreen(0, 128, 0);
const QColor DarkGrey(64, 64, 64);

int px(int twips)
{
    return qRound(twips / 15.0);
}

// The pixels where the label's text is inked in green, as the window draws it on its own background
// and the white panel, the other controls hidden.
QList<QPoint> greenInk(QWidget *window, QWidget *label)
{
    QList<QWidget *> hidden;
    for (QWidget *other : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != label && other->objectName() != QLatin1String("Label2") && other->isVisible()) {
            other->hide();
            hidden << other;
        }
    }
    const QImage shot = window->grab().toImage();
    for (QWidget *other : hidden)
        other->show();
    QList<QPoint> ink;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.green() - c.red() > 60 && c.green() - c.blue() > 60 && c.green() < 200)
                ink << QPoint(x, y);
        }
    }
    return ink;
}

// The bounding box of the ink in the columns from `left` to `right`.
QRect box(const QList<QPoint> &ink, int left = 0, int right = INT_MAX)
{
    QRect r;
    for (const QPoint &p : ink)
        if (p.x() >= left && p.x() <= right)
            r |= QRect(p, QSize(1, 1));
    return r;
}

// Runs the real platform's message box and gives the lines that it shows, as its label lays them
// out, with the box (closed by then) described: "title|icon|buttons|parent|fits the screen|what
// Ctrl+C copies" (the message as plain text, or markup).
QStringList shownMessage(const QString &title, const QString &text, QString *box)
{
    QStringList lines;
    QTimer::singleShot(0, [&] {
        auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!shown) {
            *box = QStringLiteral("no message box");
            return;
        }
        auto *label = shown->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QTextDocument doc;
        doc.setDefaultFont(label->font());
        doc.setDocumentMargin(0);
        if (label->textFormat() == Qt::RichText)
            doc.setHtml(label->text());
        else
            doc.setPlainText(label->text());
        doc.setTextWidth(label->wordWrap() ? label->contentsRect().width() : -1);
        doc.size(); // lays the text out
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            for (int i = 0; i < b.layout()->lineCount(); ++i) {
                const QTextLine line = b.layout()->lineAt(i);
                lines << b.text().mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).remove(u'\r');
            }
        }
        // Lines kept whole must not be cut off at the label's edge either.
        const bool fits = shown->screen()->availableGeometry().contains(shown->frameGeometry())
                && (label->wordWrap() || label->width() >= qCeil(doc.idealWidth()));
        if (!fits)
            qWarning() << shown->frameGeometry() << shown->screen()->availableGeometry() << label->width() << doc.idealWidth();
        QTest::keyClick(shown, Qt::Key_C, Qt::ControlModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        const bool plain = copied.contains(QString(text).remove(u'\r')) && !copied.contains(u'<');
        *box = QStringList{shown->windowTitle(), QString::number(shown->icon()),
                           QString::number(shown->standardButtons()),
                           shown->parentWidget() ? shown->parentWidget()->objectName() : QString(),
                           fits ? QStringLiteral("fits") : QStringLiteral("too large"),
                           plain ? QStringLiteral("copies plain") : QStringLiteral("copies markup")}
                       .join(u'|');
        shown->accept();
    });
    tolv::QtPlatform().critical(title, text);
    return lines;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void artwork();
    void geometry_data();
    void geometry();
    void stacking();
    void texts_data();
    void texts();
    void makerLines();
    void colours_data();
    void colours();
    void fonts_data();
    void fonts();
    void inkedLines();
    void menus_data();
    void menus();
    void accessibility();
    void tabOrder();
    void minimumSize_data();
    void minimumSize();
    void fitsTheScreen();

    void preButton_data();
    void preButton();
    void popups_data();
    void popups();
    void popupsByKeyboard();
    void dialogFromPopups();
    void dialogKeys();
    void focusShownFromStart();
    void messageBoxes_data();
    void messageBoxes();
    void messageOverItsWindow();
    void toolkitTexts();
    void viewerButton();
    void endButton();

private:
    template<class T = QWidget>
    T *get(const char *name) const
    {
        return control<T>(m_main.get(), QString::fromLatin1(name));
    }
    // Does what a user does in a popup: "button:item" clicks the button and chooses the item,
    // "button:item:right" with the right mouse button, "button:" dismisses the popup with Escape.
    // The viewer popup, which no visible control opens, is opened as "viewer". Gives the popup's name.
    QString choose(const QString &step);
    // Focuses the button, opens its popup with the key `open` and types `keys` there.
    QString typeInPopup(const char *button, Qt::Key open, const QList<Qt::Key> &keys);
    void activate();

    // A usable run record for /d/model01 with its batch file and the suite's programs present.
    void prepareRecord();
    QString runDat(const QString &dat, const QString &indIn) const;

    FakePlatform p;
    TOLV_Com com;
    std::unique_ptr<Main> m_main;
};

void TestMainWindow::initTestCase()
{
    // The headless platform says so each time a popup opens; nothing to learn from it.
    static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                if (message.startsWith(QLatin1String("This plugin does not support")))
                    return;
                previous(type, context, message);
            });
}

void TestMainWindow::init()
{
    p = FakePlatform();
    com = TOLV_Com();
    m_main = std::make_unique<Main>(com, p);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestMainWindow::cleanup()
{
    delete m_main->filenameDialog();
    m_main.reset();
}

QString TestMainWindow::choose(const QString &step)
{
    const QString button = step.section(u':', 0, 0);
    const PopupAction action{step.section(u':', 1, 1),
                             step.section(u':', 2) == "right" ? Qt::RightButton : Qt::LeftButton, {}};
    const QString seen = button == "viewer"
            ? inPopup([&] { get<QMenu>("mnu_Viewer")->exec(QCursor::pos()); }, action)
            : clickAndPopup(m_main.get(), button, action);
    return QApplication::activePopupWidget() ? seen + " stays open" : seen;
}

QString TestMainWindow::typeInPopup(const char *button, Qt::Key open, const QList<Qt::Key> &keys)
{
    get<QPushButton>(button)->setFocus();
    return inPopup([&] { QTest::keyClick(get<QPushButton>(button), open); }, {{}, Qt::LeftButton, keys});
}

void TestMainWindow::activate()
{
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

QString TestMainWindow::runDat(const QString &dat, const QString &indIn) const
{
    return dat + QStringLiteral("\r\n/d/model01.ana\r\n/d/model01.out\r\n/d/model01.fem\r\n") + indIn
            + QStringLiteral("\r\n");
}

void TestMainWindow::prepareRecord()
{
    p.files[p.inApp("run.dat")] = runDat(QStringLiteral("/d/model01.dat"), QStringLiteral("/d/model01.ind.in"));
    p.files[QStringLiteral("/d/model01.bat")] = QStringLiteral("solver01.exe\r\n");
    p.files[p.inApp("TOLV_Pre.exe")] = QString();
    p.files[p.inApp("TOLV_Post.exe")] = QString();
}

// ---- layout and look ----

void TestMainWindow::window()
{
    QCOMPARE(m_main->windowTitle(), QStringLiteral("TOLV/Strel -Main"));
    QCOMPARE(m_main->size(), QSize(px(7755), px(7275)));
    QVERIFY(m_main->findChildren<QMenuBar *>().isEmpty());
    QCOMPARE(m_main->menuChoice(), qint16(0));
    QCOMPARE(com.Exec_Mode, qint16(0));

    const QIcon icon = m_main->windowIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
}

void TestMainWindow::artwork()
{
    QImageReader icon(tolv::artwork::IconPath);
    QCOMPARE(icon.imageCount(), 1);
    const QImage image = icon.read();
    QCOMPARE(image.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));

    const struct
    {
        const QString &path;
        QSize size;
    } pictures[] = {{tolv::artwork::MakerPath, {352, 22}},
                    {tolv::artwork::EmblemPath, {51, 47}},
                    {tolv::artwork::ProductPath, {128, 69}}};
    for (const auto &picture : pictures) {
        QImageReader reader(picture.path);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), picture.size);
    }
}

void TestMainWindow::geometry_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");  // twips; 0: sized to its text
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("visible");

    QTest::newRow("Picture3") << 2400 << 1800 << 5280 << 330 << true;
    QTest::newRow("Text1") << 360 << 360 << 5775 << 375 << true;
    QTest::newRow("Picture2") << 1560 << 1750 << 765 << 705 << true;
    QTest::newRow("cmd_Viewer") << 120 << 6360 << 1095 << 495 << false;
    QTest::newRow("cmd_End") << 4920 << 6360 << 1575 << 495 << true;
    QTest::newRow("cmd_Post") << 1200 << 5160 << 5295 << 735 << true;
    QTest::newRow("cmd_Solver") << 1200 << 3960 << 5295 << 735 << true;
    QTest::newRow("cmd_Pre") << 1200 << 2760 << 5295 << 735 << true;
    QTest::newRow("Picture1") << 5400 << 480 << 1920 << 1035 << true;
    QTest::newRow("lbl_Version") << 4200 << 1320 << 0 << 0 << true;
    QTest::newRow("Label8") << 120 << 6840 << 0 << 0 << false;
    QTest::newRow("Label6") << 3720 << 4680 << 0 << 0 << true;
    QTest::newRow("Label5") << 3720 << 3480 << 0 << 0 << true;
    QTest::newRow("Label4") << 3800 << 2400 << 0 << 0 << true;
    QTest::newRow("Label3") << 4150 << 2160 << 0 << 0 << true;
    QTest::newRow("Label1") << 1200 << 720 << 0 << 0 << true;
    QTest::newRow("Label2") << 120 << 120 << 7455 << 1575 << true;
}

void TestMainWindow::geometry()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, visible);
    QWidget *w = get(QTest::currentDataTag());
    QCOMPARE(w->pos(), QPoint(px(left), px(top)));
    if (width)
        QCOMPARE(w->size(), QSize(px(width), px(height)));
    else
        QCOMPARE(w->size(), w->sizeHint());
    QCOMPARE(w->isVisible(), visible);
    if (visible)
        QVERIFY(m_main->rect().contains(w->geometry()));

    // A picture box is exactly its picture.
    if (auto *label = qobject_cast<QLabel *>(w); label && !label->pixmap().isNull())
        QCOMPARE(label->pixmap().size(), w->size());
}

void TestMainWindow::stacking()
{
    // Stacking follows the order of the children: the later, the higher.
    const QObjectList order = m_main->children();
    auto level = [&](const char *name) { return order.indexOf(get(name)); };
    for (const char *above : {"Text1", "Picture1", "Label1", "lbl_Version"})
        QVERIFY2(level("Label2") < level(above), above);
    QVERIFY(level("Text1") < level("Picture1"));

    // What shows at a point shared by the title panel and the title is the title.
    QCOMPARE(m_main->childAt(get("Label1")->geometry().center()), get("Label1"));
}

void TestMainWindow::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("cmd_Pre") << "プリプロセッサ" << "データ入力・確認";
    QTest::newRow("cmd_Solver") << "ソルバー" << "解析の実行";
    QTest::newRow("cmd_Post") << "ポストプロセッサ" << "解析結果の処理";
    QTest::newRow("cmd_End") << "終了" << "プログラムを終了します";
    QTest::newRow("cmd_Viewer") << "ビューワ" << "入力データや結果を画像で確認";
    QTest::newRow("lbl_Version") << "Ver. 1.2.1" << "";
    QTest::newRow("Label5") << "▼" << "";
    QTest::newRow("Label6") << "▼" << "";
    QTest::newRow("Label1") << "TOLV/Strel" << "*";
    QTest::newRow("Label2") << "" << "";
}

void TestMainWindow::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QWidget *w = get(QTest::currentDataTag());
    QCOMPARE(w->property("text").toString(), text);
    if (toolTip == QLatin1String("*"))
        QVERIFY(!w->toolTip().isEmpty() && !w->toolTip().contains(u'\n'));
    else
        QCOMPARE(w->toolTip(), toolTip);
}

void TestMainWindow::makerLines()
{
    // One maker throughout: its Japanese name on Label8 and in the picture, its English name in
    // the company line and the rights notice.
    const QString english = get<QLabel>("Label3")->text();
    QVERIFY(english.startsWith(QLatin1String("Kumoribashi ")));
    QVERIFY(get<QLabel>("Label4")->text().contains(english.section(u' ', 0, 1)));
    QCOMPARE(get<QLabel>("Label8")->text(), get("Picture3")->accessibleName());
    QVERIFY(get<QLabel>("Label8")->text().contains(QStringLiteral("曇橋")));
    QVERIFY(!get<QLineEdit>("Text1")->text().isEmpty());
    QVERIFY(!get<QLineEdit>("Text1")->isReadOnly());
}

// In the style in use, and in the styles that Qt picks on Windows 10 and Windows 11 where they are
// there (Qt's Windows style plugin).
void TestMainWindow::colours_data()
{
    QTest::addColumn<QString>("style");
    QTest::newRow("style in use") << QString();
    QTest::newRow("windowsvista") << "windowsvista";
    QTest::newRow("windows11") << "windows11";
}

void TestMainWindow::colours()
{
    QFETCH(QString, style);
    const QString before = QApplication::style()->name();
    const auto restore = qScopeGuard([&] { QApplication::setStyle(before); });
    if (!style.isEmpty()) {
        if (!QStyleFactory::keys().contains(style, Qt::CaseInsensitive))
            QSKIP("no such style here");
        QApplication::setStyle(style);
    }
    for (const char *name : {"Label1", "Label5", "Label6", "lbl_Version"})
        QCOMPARE(get(name)->palette().color(QPalette::WindowText), TextGreen);
    for (const char *name : {"Label3", "Label4", "Label8"})
        QCOMPARE(get(name)->palette().color(QPalette::WindowText), DarkGrey);
    QCOMPARE(get("Text1")->palette().color(QPalette::Text), TextGreen);

    // What the window paints with the style in use.
    const QImage shot = m_main->grab().toImage();
    QCOMPARE(shot.pixelColor(4, 300), FormGreen);
    QCOMPARE(shot.pixelColor(12, 100), QColor(Qt::white)); // the title panel
    QCOMPARE(shot.pixelColor(8, 60), QColor(Qt::black));   // its border
    for (const char *label : {"Label1", "lbl_Version"}) {
        // Transparent: the labels on the title panel show its white between their letters.
        const QRect r = get(label)->geometry();
        int white = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                white += shot.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY2(white > r.width() * r.height() / 2, label);
    }

    // White buttons, visibly lighter than a button in the style's own colour. (The style tints
    // the focused one.)
    get("Text1")->setFocus();
    QPushButton plain;
    plain.resize(get<QPushButton>("cmd_Post")->size());
    const QImage plainShot = plain.grab().toImage();
    for (const char *name : {"cmd_Pre", "cmd_Solver", "cmd_Post", "cmd_End"}) {
        QPushButton *b = get<QPushButton>(name);
        QCOMPARE(b->palette().color(QPalette::Button), QColor(Qt::white));
        const QPoint inside(8, b->height() / 2);
        const QColor c = b->grab().toImage().pixelColor(inside);
        QVERIFY2(qMin(c.red(), qMin(c.green(), c.blue())) >= 250, name);
        // (Wine's theme paints the vista style's own button white already.)
        const QColor own = plainShot.pixelColor(inside);
        QVERIFY2(own == QColor(Qt::white) || c.lightness() > own.lightness(), name);
    }
}

void TestMainWindow::fonts_data()
{
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("cmd_Pre") << 15.75 << false;
    QTest::newRow("cmd_Solver") << 15.75 << false;
    QTest::newRow("cmd_Post") << 15.75 << false;
    QTest::newRow("cmd_End") << 11.25 << false;
    QTest::newRow("cmd_Viewer") << 12.0 << false;
    QTest::newRow("Text1") << 11.25 << true;
    QTest::newRow("Label5") << 20.25 << false;
    QTest::newRow("Label6") << 20.25 << false;
    QTest::newRow("Label1") << 30.0 << true;
}

void TestMainWindow::fonts()
{
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QWidget *w = get(QTest::currentDataTag());
    const QFont font = w->font();
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), false);
    // The stand-in for the designed face draws, found by its own name, and it has every character.
    QCOMPARE(font.families(), QStringList{designedFace()});
    if (designedFace() != tolv::text::FontFace)
        QCOMPARE(QRawFont::fromFont(font).familyName(), designedFace());
    QString text = w->property("text").toString();
    const QFontMetrics metrics(font);
    for (const QChar c : text)
        QVERIFY2(metrics.inFont(c), qPrintable(text));
}

// Drawn in the face made to the designed one, the title clears the version below it, and each
// arrow sits in the gap between the two buttons it joins, clear of both: as designed, a few pixels
// nearer the upper one (3 and 8 pixels at 96 dpi), where a face with a taller line would push it
// onto the lower one.
void TestMainWindow::inkedLines()
{
    if (designedFace() == tolv::text::FontFace && !QFontDatabase::families().contains(designedFace()))
        QSKIP("neither the designed face nor a stand-in made to its metrics is installed");
    const QList<QPoint> titleInk = greenInk(m_main.get(), get("Label1"));
    const QRect version = box(greenInk(m_main.get(), get("lbl_Version")));
    // Above the version and a little to each side of it, the title leaves a blank row at least.
    const QRect titleOver = box(titleInk, version.left() - 2, version.right() + 2);
    QVERIFY2(titleOver.isValid() && titleOver.bottom() + 2 <= version.top(),
             qPrintable(QString("title ink ends at %1 over the version, whose ink starts at %2")
                                .arg(titleOver.bottom()).arg(version.top())));

    const struct
    {
        const char *arrow, *above, *below;
    } joins[] = {{"Label5", "cmd_Pre", "cmd_Solver"}, {"Label6", "cmd_Solver", "cmd_Post"}};
    for (const auto &join : joins) {
        const QRect ink = box(greenInk(m_main.get(), get(join.arrow)));
        const int gapAbove = ink.top() - (get(join.above)->geometry().bottom() + 1);
        const int gapBelow = get(join.below)->y() - (ink.bottom() + 1);
        const QString seen = QString("%1: %2 px above, %3 px below").arg(join.arrow).arg(gapAbove).arg(gapBelow);
        QVERIFY2(gapAbove >= 2 && gapBelow >= 2 && gapBelow - gapAbove <= 6, qPrintable(seen));
    }
}

void TestMainWindow::menus_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items"); // name=caption, separators name=-
    QTest::newRow("mnu_solver") << "ソルバーメニュー"
                                << QStringList{"mnu_exec_solver=ソルバー実行", "mnu_dummy1=-",
                                               "mnu_filename=ファイル名指定（連動の場合不要）", "dummy2=-",
                                               "mnu_Cancel=キャンセル"};
    QTest::newRow("mnu_post") << "ポストメニュー"
                              << QStringList{"mnu_run_post=ポストプロセッサ実行", "mnu_dummy3=-",
                                             "mnu_post_filename=ファイル名指定（連動の場合不要）", "mnu_dummy4=-",
                                             "mnu_cancel2=キャンセル"};
    QTest::newRow("mnu_Viewer") << "ビューワメニュー"
                                << QStringList{"mnu_Run_Viewer=ビューワ実行", "mnu_dummy5=-",
                                               "mnu_Viewer_Filename=ファイル名指定（連動の場合不要）",
                                               "mnu_dummy6=-", "mnu_Cancel3=キャンセル"};
}

void TestMainWindow::menus()
{
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    auto *menu = get<QMenu>(QTest::currentDataTag());
    QCOMPARE(menu->title(), title);
    QVERIFY(!menu->isVisible());
    QVERIFY(!menu->defaultAction());
    QStringList got;
    for (QAction *a : menu->actions()) {
        got << a->objectName() + u'=' + (a->isSeparator() ? QStringLiteral("-") : a->text());
        if (!a->isSeparator()) {
            QVERIFY(a->isEnabled() && a->isVisible());
            QVERIFY(!a->isCheckable());
            QVERIFY(a->shortcut().isEmpty());
        }
    }
    QCOMPARE(got, items);
}

void TestMainWindow::accessibility()
{
    const QList<QWidget *> controls = m_main->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 17 + 3);
    for (QWidget *w : controls) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a);
        QVERIFY2(!a->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(w->objectName()));
        QCOMPARE(w->accessibleDescription(), w->toolTip());
    }
    for (const char *name : {"cmd_Pre", "cmd_Solver", "cmd_Post", "cmd_End", "cmd_Viewer"}) {
        QPushButton *b = get<QPushButton>(name);
        QCOMPARE(b->accessibleName(), b->text());
        QCOMPARE(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Description), b->toolTip());
    }
}

void TestMainWindow::tabOrder()
{
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QTRY_COMPARE(QApplication::focusWidget(), get<QPushButton>("cmd_Pre"));
    // The hidden viewer button is passed over.
    const QStringList expected{"cmd_Solver", "cmd_Post", "cmd_End", "Text1", "cmd_Pre"};
    QStringList got;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        got << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(got, expected);
}

void TestMainWindow::minimumSize_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("too narrow: only the width") << QSize(300, 600) << QSize(517, 600);
    QTest::newRow("too low: only the height") << QSize(600, 300) << QSize(600, 485);
    QTest::newRow("both") << QSize(100, 100) << QSize(517, 485);
    QTest::newRow("exactly the design") << QSize(517, 485) << QSize(517, 485);
    QTest::newRow("larger") << QSize(900, 800) << QSize(900, 800);
}

void TestMainWindow::minimumSize()
{
    QFETCH(QSize, asked);
    QFETCH(QSize, expected);
    QList<QRect> before;
    const QList<QWidget *> controls = m_main->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *w : controls)
        before << w->geometry();

    m_main->resize(asked);
    QTRY_COMPARE(m_main->size(), expected);

    // A window manager that ignores the minimum size: the window corrects itself.
    m_main->resize(517, 485);
    QTRY_COMPARE(m_main->size(), QSize(517, 485));
    m_main->windowHandle()->resize(asked);
    QTRY_COMPARE(m_main->size(), expected);

    for (int i = 0; i < controls.size(); ++i)
        QCOMPARE(controls[i]->geometry(), before[i]);
}

// The window and its minimum size fit the screen's free area, frame included; the designed
// minimum holds where that area allows it. (CTest runs this at scale 2 on an 800 x 600 screen too.)
void TestMainWindow::fitsTheScreen()
{
    const QRect free = m_main->screen()->availableGeometry();
    QTRY_VERIFY(free.contains(QRect(free.topLeft(), m_main->frameGeometry().size())));
    const QSize room = free.size() - (m_main->frameGeometry().size() - m_main->size());
    QCOMPARE(m_main->minimumSize(), QSize(517, 485).boundedTo(room));
    m_main->resize(100, 100);
    QTRY_COMPARE(m_main->size(), m_main->minimumSize());
}

// ---- behaviour ----

void TestMainWindow::preButton_data()
{
    QTest::addColumn<int>("how"); // 0 mouse, 1 Space, 2 Return, 3 Enter
    QTest::addColumn<bool>("present");
    QTest::newRow("mouse") << 0 << true;
    QTest::newRow("space") << 1 << true;
    QTest::newRow("return") << 2 << true;
    QTest::newRow("enter") << 3 << true;
    QTest::newRow("missing program") << 0 << false;
}

void TestMainWindow::preButton()
{
    QFETCH(int, how);
    QFETCH(bool, present);
    if (present)
        p.files[p.inApp("TOLV_Pre.exe")] = QString();
    auto *pre = get<QPushButton>("cmd_Pre");
    const Qt::Key keys[] = {Qt::Key_unknown, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter};
    if (how == 0) {
        QTest::mouseClick(pre, Qt::LeftButton);
    } else {
        activate();
        pre->setFocus();
        QTest::keyClick(pre, keys[how]);
    }

    if (present) {
        QCOMPARE(p.starts, (QList<Start>{{"/app/TOLV_Pre.exe", "", p.cwd}}));
        QCOMPARE(p.messages, QList<Message>{});
    } else {
        QCOMPARE(p.starts, QList<Start>{});
        QCOMPARE(p.messages, (QList<Message>{{"TOLV_Strel", "プリプロセッサ（/app/TOLV_Pre.exe）が見つかりません。"}}));
    }
}

void TestMainWindow::popups_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("choice");     // Menu_Choice at the end
    QTest::addColumn<int>("mode");       // Exec_Mode at the end
    QTest::addColumn<QStringList>("starts"); // program|argument text
    QTest::addColumn<bool>("dialog");

    const QString S = "cmd_Solver:";
    const QString P = "cmd_Post:";
    const QString V = "viewer:";
    const QString bat = "/d/model01.bat|";
    const QString post = "/app/TOLV_Post.exe|/d/model01.ind.in";
    const QStringList none;
    for (const QString side : {"", ":right"}) {
        const QByteArray tag = side.isEmpty() ? "" : ", right button";
        QTest::addRow("run solver%s", tag.data()) << QStringList{S + "mnu_exec_solver" + side} << 100 << 0
                                                  << QStringList{bat} << false;
        QTest::addRow("solver file name%s", tag.data()) << QStringList{S + "mnu_filename" + side} << 190 << 190
                                                        << none << true;
        QTest::addRow("solver cancel%s", tag.data()) << QStringList{S + "mnu_exec_solver", S + "mnu_Cancel" + side}
                                                     << 0 << 0 << QStringList{bat} << false;
        QTest::addRow("run post%s", tag.data()) << QStringList{P + "mnu_run_post" + side} << 200 << 0
                                                << QStringList{post} << false;
        QTest::addRow("post file name%s", tag.data()) << QStringList{P + "mnu_post_filename" + side} << 290 << 290
                                                      << none << true;
        QTest::addRow("post cancel%s", tag.data()) << QStringList{P + "mnu_run_post", P + "mnu_cancel2" + side}
                                                   << 0 << 0 << QStringList{post} << false;
    }
    QTest::newRow("run viewer") << QStringList{V + "mnu_Run_Viewer"} << 300 << 0 << none << false;
    QTest::newRow("viewer file name") << QStringList{V + "mnu_Viewer_Filename"} << 390 << 390 << none << true;
    QTest::newRow("viewer cancel") << QStringList{V + "mnu_Run_Viewer", V + "mnu_Cancel3"} << 0 << 0 << none
                                   << false;

    // A popup closed without a choice starts nothing, whatever was chosen before; a chosen item
    // acts each time it is chosen.
    QTest::newRow("dismissed at start, solver") << QStringList{S} << 0 << 0 << none << false;
    QTest::newRow("dismissed at start, post") << QStringList{P} << 0 << 0 << none << false;
    QTest::newRow("after run solver, solver dismissed")
            << QStringList{S + "mnu_exec_solver", S} << 0 << 0 << QStringList{bat} << false;
    QTest::newRow("after run solver, post dismissed")
            << QStringList{S + "mnu_exec_solver", P} << 0 << 0 << QStringList{bat} << false;
    QTest::newRow("after run post, post dismissed")
            << QStringList{P + "mnu_run_post", P} << 0 << 0 << QStringList{post} << false;
    QTest::newRow("after run post, solver dismissed")
            << QStringList{P + "mnu_run_post", S} << 0 << 0 << QStringList{post} << false;
    QTest::newRow("run solver, dismissed, run solver again")
            << QStringList{S + "mnu_exec_solver", S, S + "mnu_exec_solver"} << 100 << 0
            << QStringList{bat, bat} << false;
    QTest::newRow("after solver file name, post dismissed")
            << QStringList{S + "mnu_filename", P} << 0 << 190 << none << true;
    QTest::newRow("after viewer file name, solver dismissed")
            << QStringList{V + "mnu_Viewer_Filename", S} << 0 << 390 << none << true;
}

void TestMainWindow::popups()
{
    QFETCH(QStringList, steps);
    QFETCH(int, choice);
    QFETCH(int, mode);
    QFETCH(QStringList, starts);
    QFETCH(bool, dialog);
    prepareRecord();

    const QMap<QString, QString> popupOf{
            {"cmd_Solver", "mnu_solver"}, {"cmd_Post", "mnu_post"}, {"viewer", "mnu_Viewer"}};
    for (const QString &step : steps)
        QCOMPARE(choose(step), popupOf.value(step.section(u':', 0, 0)));

    QCOMPARE(m_main->menuChoice(), qint16(choice));
    QCOMPARE(com.Exec_Mode, qint16(mode));
    QStringList started;
    for (const Start &s : p.starts)
        started << s.program + u'|' + s.argText;
    QCOMPARE(started, starts);
    QCOMPARE(p.messages, QList<Message>{});
    QCOMPARE(shownDialog(m_main->filenameDialog()) && shownDialog(m_main->filenameDialog())->isVisible(), dialog);
}

void TestMainWindow::popupsByKeyboard()
{
    prepareRecord();
    activate();

    // Space opens the solver popup; Down and Return choose its first item.
    QCOMPARE(typeInPopup("cmd_Solver", Qt::Key_Space, {Qt::Key_Down, Qt::Key_Return}), "mnu_solver");
    QCOMPARE(m_main->menuChoice(), qint16(100));
    QCOMPARE(p.starts.size(), 1);

    // Return opens the postprocessor popup; the separator is passed over.
    QCOMPARE(typeInPopup("cmd_Post", Qt::Key_Return, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}), "mnu_post");
    QCOMPARE(m_main->menuChoice(), qint16(290));
    QCOMPARE(com.Exec_Mode, qint16(290));
    QVERIFY(shownDialog(m_main->filenameDialog()));

    // Escape chooses nothing.
    QCOMPARE(typeInPopup("cmd_Solver", Qt::Key_Space, {Qt::Key_Escape}), "mnu_solver");
    QCOMPARE(m_main->menuChoice(), qint16(0));
    QCOMPARE(p.starts.size(), 1);
}

// The file-name items share the one data-file dialog while it is open: it keeps its caption, and
// browsing and Run follow the newest mode. Closed, the next item makes a new one in its mode.
void TestMainWindow::dialogFromPopups()
{
    p.files[p.inApp("TOLV_Post.exe")] = QString();
    QCOMPARE(choose("cmd_Solver:mnu_filename"), "mnu_solver");
    Filename *d = shownDialog(m_main->filenameDialog());
    QVERIFY(d && d->isVisible());
    QCOMPARE(control<QPushButton>(d, "cmd_Run")->text(), "ソルバーを実行");
    browse(p, d, std::nullopt);

    QCOMPARE(choose("cmd_Post:mnu_post_filename"), "mnu_post");
    QCOMPARE(shownDialog(m_main->filenameDialog()), d);
    QCOMPARE(control<QPushButton>(d, "cmd_Run")->text(), "ソルバーを実行");
    browse(p, d, "/data/beam.ind.in");
    QCOMPARE(p.dialogShowings.at(0).filter, "*.ana(ｿﾙﾊﾞｰ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ana");
    QCOMPARE(p.dialogShowings.at(1).filter, "*.ind.in(ﾎﾟｽﾄ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ind.in");
    pressRun(d);
    QCOMPARE(p.messages, QList<Message>{});
    QCOMPARE(p.starts, (QList<Start>{{"/app/TOLV_Post.exe", "/data/beam.ind.in", p.cwd}}));
    // The dialog stays as it was; its Run button keeps the time of its last start, so the second
    // press of a double click starts nothing and a press a second later starts again.
    QVERIFY(d->isVisible());
    QCOMPARE(fileNameField(d), "/data/beam.ind.in");
    p.now += 200;
    pressRun(d);
    QCOMPARE(p.starts.size(), 1);
    p.now += 1000;
    pressRun(d);
    QCOMPARE(p.starts.size(), 2);

    QTest::mouseClick(control<QPushButton>(d, "cmd_OK"), Qt::LeftButton);
    QVERIFY(!shownDialog(m_main->filenameDialog()));
    QVERIFY(m_main->isVisible());
    QCOMPARE(choose("viewer:mnu_Viewer_Filename"), "mnu_Viewer");
    QVERIFY(shownDialog(m_main->filenameDialog()) && shownDialog(m_main->filenameDialog())->isVisible());
    QCOMPARE(control<QPushButton>(shownDialog(m_main->filenameDialog()), "cmd_Run")->text(), "ビューワを実行");
    QVERIFY(fileNameField(shownDialog(m_main->filenameDialog())).isEmpty());
}

// Enter and the keypad's Enter press the focused button of the data-file dialog, as in the main window.
void TestMainWindow::dialogKeys()
{
    QCOMPARE(choose("cmd_Solver:mnu_filename"), "mnu_solver");
    Filename *d = shownDialog(m_main->filenameDialog());
    QVERIFY(d);
    QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>(d, "cmd_Ref"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(p.dialogShowings.size(), 1); // browsed (and cancelled)
    control<QWidget>(d, "cmd_OK")->setFocus();
    QTest::keyClick(control<QWidget>(d, "cmd_OK"), Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_VERIFY(!m_main->filenameDialog());
}

// The button that has the focus when a window opens looks focused before any key is pressed.
void TestMainWindow::focusShownFromStart()
{
    QCOMPARE(choose("cmd_Solver:mnu_filename"), "mnu_solver");
    Filename *d = shownDialog(m_main->filenameDialog());
    QVERIFY(d);
    for (QWidget *window : {static_cast<QWidget *>(m_main.get()), static_cast<QWidget *>(d)}) {
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused && focused->window() == window);
        const QImage before = focused->grab().toImage();
        QTest::keyClick(focused, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), focused);
        QVERIFY2(focused->grab().toImage() == before, qPrintable(focused->objectName()));
    }
}

void TestMainWindow::messageBoxes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("whole"); // each line shown as one line
    // Folders named in full-width characters, as Japanese users name theirs.
    const QString folder = "/home/user/" + tolv::text::ToolSolver + "/" + tolv::text::ToolPost + "/";
    const QString longPath = folder + QString(10, u'x') + ".dat";
    QTest::newRow("long name: three lines") << tolv::text::longName("model012345.ana") << true;
    QTest::newRow("solver name rejected")
            << tolv::text::solverNameRejected(folder + "model01.dat") << true;
    QTest::newRow("postprocessor name rejected") << tolv::text::postNameRejected(longPath) << true;
    QTest::newRow("wider than the screen: wrapped to fit")
            << tolv::text::postNameRejected(longPath + QString(120, u'y')) << false;
}

// A message box shows each designed line as one line while the screen is wide enough for it, with
// the critical-stop icon and one OK button; it never grows larger than the screen.
void TestMainWindow::messageBoxes()
{
    QFETCH(QString, text);
    QFETCH(bool, whole);
    QString box;
    const QStringList lines = shownMessage("TOLV_Strel", text, &box);
    const QStringList designed = text.split("\r\n");
    if (whole)
        QCOMPARE(lines, designed);
    else
        QVERIFY2(lines.size() > designed.size(), qPrintable(lines.join('\n')));
    QCOMPARE(box.section('|', 0, 2), QString("TOLV_Strel|%1|%2").arg(QMessageBox::Critical).arg(QMessageBox::Ok));
    QCOMPARE(box.section('|', 4, 4), "fits");
    QCOMPARE(box.section('|', 5), "copies plain");
}

// A message opens over the window whose command raised it.
void TestMainWindow::messageOverItsWindow()
{
    QCOMPARE(choose("cmd_Solver:mnu_filename"), "mnu_solver");
    Filename *d = shownDialog(m_main->filenameDialog());
    QVERIFY(d);
    for (QWidget *window : {static_cast<QWidget *>(d), static_cast<QWidget *>(m_main.get())}) {
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QString box;
        shownMessage("TOLVStrel", tolv::text::EmptyName, &box);
        QCOMPARE(box.section('|', 3, 3), window->objectName());
    }
}

// The toolkit's own texts come in the user's language where its translations are installed.
void TestMainWindow::toolkitTexts()
{
    tolv::installToolkitTranslations();
    if (QLocale::system().language() == QLocale::Japanese
        && !QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm"))
        QSKIP("the toolkit's Japanese translations are not installed");
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    if (QLocale::system().language() == QLocale::Japanese)
        QVERIFY2(lookIn != "Look in:", "no Japanese translation of the open-file dialog");
    else
        QCOMPARE(lookIn, "Look in:");
    QCOMPARE(get<QPushButton>("cmd_Pre")->text(), tolv::text::ToolPre);
}

void TestMainWindow::viewerButton()
{
    prepareRecord();
    auto *viewer = get<QPushButton>("cmd_Viewer");
    QVERIFY(!viewer->isVisible());
    viewer->click();
    QVERIFY(!QApplication::activePopupWidget());
    QVERIFY(p.starts.isEmpty());
    QCOMPARE(m_main->menuChoice(), qint16(0));
}

void TestMainWindow::endButton()
{
    QCOMPARE(choose("cmd_Solver:mnu_filename"), "mnu_solver");
    QVERIFY(shownDialog(m_main->filenameDialog()));
    QTest::mouseClick(get<QPushButton>("cmd_End"), Qt::LeftButton);
    QCOMPARE(p.ended, 1);
    QVERIFY(p.starts.isEmpty());
    QVERIFY(p.messages.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

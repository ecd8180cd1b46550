// The main window as a user meets it: layout and look, the buttons, the popups driven with mouse
// and keyboard, the shared choice code, and the data-file dialog opened from the popups.
#include "resources/Artwork.h"
#include "support/FakePlatform.h"
#include "ui/filename/Filename.h"
#include "ui/main/Main.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

using tolv::Filename;
using tolv::Main;
using tolv::TOLV_Com;
using tolv::test::FakePlatform;

namespace {

const QColor FormGreen(224, 255, 208);
const QColor TextGreen(0, 128, 0);
const QColor DarkGrey(64, 64, 64);
const QString Face = QStringLiteral("ＭＳ Ｐゴシック");
const QStringList JapaneseFaces{Face, QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP")};

int px(int twips)
{
    return qRound(twips / 15.0);
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
    void colours();
    void fonts_data();
    void fonts();
    void menus_data();
    void menus();
    void accessibility();
    void tabOrder();
    void minimumSize_data();
    void minimumSize();

    void preButton_data();
    void preButton();
    void solverItems_data();
    void solverItems();
    void postItems_data();
    void postItems();
    void viewerItems_data();
    void viewerItems();
    void dismissed_data();
    void dismissed();
    void popupsByKeyboard();
    void linkedStartMessages_data();
    void linkedStartMessages();
    void dialogIsReused();
    void viewerButton();
    void endButton();

private:
    template<typename T>
    T *find(const QString &name) const
    {
        T *w = m_main->findChild<T *>(name);
        if (!w)
            qWarning() << "no" << name;
        return w;
    }
    QPushButton *button(const QString &name) const { return find<QPushButton>(name); }

    // Arms a watcher for the next popup: chooses `item` with the mouse `button`, or presses
    // Escape when `item` is empty. It closes whatever it finds, so exec() always returns.
    void onPopup(const QString &item, Qt::MouseButton mouse = Qt::LeftButton);
    // Arms a watcher that types `keys` into the next popup, then closes it if still open.
    void onPopupKeys(const QList<Qt::Key> &keys);
    // Clicks `buttonName` and handles its popup as onPopup does.
    void press(const QString &buttonName, const QString &item, Qt::MouseButton mouse = Qt::LeftButton);
    // Opens the viewer popup, which no visible control opens, and chooses `item`.
    void chooseViewer(const QString &item);

    // A usable run record for /d/model01 with its batch file and the suite's programs present.
    void prepareRecord();
    QString runDat(const QString &dat, const QString &indIn) const;

    FakePlatform p;
    TOLV_Com com;
    std::unique_ptr<Main> m_main;
    QString m_popupSeen; // name of the last popup the watcher met
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
    m_popupSeen.clear();
    m_main = std::make_unique<Main>(com, p);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestMainWindow::cleanup()
{
    delete Filename::instance();
    m_main.reset();
}

void TestMainWindow::onPopup(const QString &item, Qt::MouseButton mouse)
{
    auto *timer = new QTimer(this);
    auto tries = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [=] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu) {
            if (++*tries > 400)
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        m_popupSeen = menu->objectName();
        QAction *action = nullptr;
        for (QAction *a : menu->actions())
            if (a->objectName() == item)
                action = a;
        if (item.isEmpty())
            QTest::keyClick(menu, Qt::Key_Escape);
        else if (action)
            QTest::mouseClick(menu, mouse, {}, menu->actionGeometry(action).center());
        if (menu->isVisible())
            menu->close();
    });
    timer->start(5);
}

void TestMainWindow::onPopupKeys(const QList<Qt::Key> &keys)
{
    auto *timer = new QTimer(this);
    auto tries = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [=] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu) {
            if (++*tries > 400)
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        m_popupSeen = menu->objectName();
        for (Qt::Key key : keys)
            QTest::keyClick(menu, key);
        if (menu->isVisible())
            menu->close();
    });
    timer->start(5);
}

void TestMainWindow::press(const QString &buttonName, const QString &item, Qt::MouseButton mouse)
{
    m_popupSeen.clear();
    onPopup(item, mouse);
    QTest::mouseClick(button(buttonName), Qt::LeftButton);
    QTRY_VERIFY(!m_popupSeen.isEmpty());
    QVERIFY(!QApplication::activePopupWidget());
}

void TestMainWindow::chooseViewer(const QString &item)
{
    m_popupSeen.clear();
    onPopup(item);
    find<QMenu>(QStringLiteral("mnu_Viewer"))->exec(QCursor::pos());
    QTRY_COMPARE(m_popupSeen, QStringLiteral("mnu_Viewer"));
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
    for (const char *name : {"mnu_solver", "mnu_post", "mnu_Viewer"})
        QVERIFY(!find<QMenu>(QString::fromLatin1(name))->isVisible());

    const QIcon icon = m_main->windowIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});

    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QCOMPARE(QApplication::focusWidget(), button("cmd_Pre"));
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
    QWidget *w = find<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w);
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
    auto level = [&](const char *name) { return order.indexOf(find<QWidget>(QString::fromLatin1(name))); };
    for (const char *above : {"Text1", "Picture1", "Label1", "lbl_Version"})
        QVERIFY2(level("Label2") < level(above), above);
    QVERIFY(level("Text1") < level("Picture1"));

    // What shows at a point shared by the title panel and the title is the title.
    QCOMPARE(m_main->childAt(find<QWidget>("Label1")->geometry().center()), find<QWidget>("Label1"));
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
    QWidget *w = find<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w);
    if (auto *b = qobject_cast<QPushButton *>(w))
        QCOMPARE(b->text(), text);
    else
        QCOMPARE(qobject_cast<QLabel *>(w)->text(), text);
    if (toolTip == QLatin1String("*"))
        QVERIFY(!w->toolTip().isEmpty() && !w->toolTip().contains(u'\n'));
    else
        QCOMPARE(w->toolTip(), toolTip);
}

void TestMainWindow::makerLines()
{
    // One maker throughout: its Japanese name on Label8 and in the picture, its English name in
    // the company line and the rights notice.
    const QString english = find<QLabel>("Label3")->text();
    QVERIFY(english.startsWith(QLatin1String("Kumoribashi ")));
    QVERIFY(find<QLabel>("Label4")->text().contains(english.section(u' ', 0, 1)));
    QCOMPARE(find<QLabel>("Label8")->text(), find<QWidget>("Picture3")->accessibleName());
    QVERIFY(find<QLabel>("Label8")->text().contains(QStringLiteral("曇橋")));
    QVERIFY(!find<QLineEdit>("Text1")->text().isEmpty());
    QVERIFY(!find<QLineEdit>("Text1")->isReadOnly());
}

void TestMainWindow::colours()
{
    for (const char *name : {"Label1", "Label5", "Label6", "lbl_Version"})
        QCOMPARE(find<QWidget>(QString::fromLatin1(name))->palette().color(QPalette::WindowText), TextGreen);
    for (const char *name : {"Label3", "Label4", "Label8"})
        QCOMPARE(find<QWidget>(QString::fromLatin1(name))->palette().color(QPalette::WindowText), DarkGrey);
    QCOMPARE(find<QWidget>("Text1")->palette().color(QPalette::Text), TextGreen);

    // What the window paints with the style in use.
    const QImage shot = m_main->grab().toImage();
    QCOMPARE(shot.pixelColor(4, 300), FormGreen);
    QCOMPARE(shot.pixelColor(12, 100), QColor(Qt::white)); // the title panel
    QCOMPARE(shot.pixelColor(8, 60), QColor(Qt::black));   // its border
    for (const char *label : {"Label1", "lbl_Version"}) {
        // Transparent: the labels on the title panel show its white between their letters.
        const QRect r = find<QWidget>(QString::fromLatin1(label))->geometry();
        int white = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                white += shot.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY2(white > r.width() * r.height() / 2, label);
    }

    // White buttons, visibly lighter than a button in the style's own colour. (The style tints
    // the focused one.)
    find<QWidget>("Text1")->setFocus();
    QPushButton plain;
    plain.resize(button("cmd_Post")->size());
    const QImage plainShot = plain.grab().toImage();
    for (const char *name : {"cmd_Pre", "cmd_Solver", "cmd_Post", "cmd_End"}) {
        QPushButton *b = button(QString::fromLatin1(name));
        QCOMPARE(b->palette().color(QPalette::Button), QColor(Qt::white));
        const QPoint inside(8, b->height() / 2);
        const QColor c = b->grab().toImage().pixelColor(inside);
        QVERIFY2(qMin(c.red(), qMin(c.green(), c.blue())) >= 250, name);
        QVERIFY2(c.lightness() > plainShot.pixelColor(inside).lightness(), name);
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
    QWidget *w = find<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w);
    const QFont font = w->font();
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), false);
    QCOMPARE(font.families().value(0), Face);

    // The face that really draws is a Japanese one, and it has every character of the text.
    const QFontInfo info(font);
    QVERIFY2(JapaneseFaces.contains(info.family()), qPrintable(info.family()));
    QString text = w->property("text").toString();
    const QFontMetrics metrics(font);
    for (const QChar c : text)
        QVERIFY2(metrics.inFont(c), qPrintable(text));
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
    auto *menu = find<QMenu>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(menu);
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
        QPushButton *b = button(QString::fromLatin1(name));
        QCOMPARE(b->accessibleName(), b->text());
        QCOMPARE(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Description), b->toolTip());
    }
}

void TestMainWindow::tabOrder()
{
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QTRY_COMPARE(QApplication::focusWidget(), button("cmd_Pre"));
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
    QPushButton *pre = button("cmd_Pre");
    const Qt::Key keys[] = {Qt::Key_unknown, Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter};
    if (how == 0) {
        QTest::mouseClick(pre, Qt::LeftButton);
    } else {
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        pre->setFocus();
        QTest::keyClick(pre, keys[how]);
    }

    if (present) {
        QCOMPARE(p.starts.size(), 1);
        QCOMPARE(p.starts[0].program, QStringLiteral("/app/TOLV_Pre.exe"));
        QCOMPARE(p.starts[0].argText, QString());
        QVERIFY(p.messages.isEmpty());
    } else {
        QVERIFY(p.starts.isEmpty());
        QCOMPARE(p.messages.size(), 1);
        QCOMPARE(p.messages[0].title, QStringLiteral("TOLV_Strel"));
        QCOMPARE(p.messages[0].text, QStringLiteral("プリプロセッサ（/app/TOLV_Pre.exe）が見つかりません。"));
    }
}

void TestMainWindow::solverItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("started");
    QTest::addColumn<bool>("dialog");
    for (Qt::MouseButton mouse : {Qt::LeftButton, Qt::RightButton}) {
        const char *side = mouse == Qt::LeftButton ? "left" : "right";
        QTest::addRow("run solver, %s", side) << "mnu_exec_solver" << mouse << 100 << 0 << "/d/model01.bat" << false;
        QTest::addRow("file name, %s", side) << "mnu_filename" << mouse << 190 << 190 << "" << true;
        QTest::addRow("cancel, %s", side) << "mnu_Cancel" << mouse << 0 << 0 << "" << false;
    }
}

void TestMainWindow::solverItems()
{
    QFETCH(QString, item);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(int, choice);
    QFETCH(int, mode);
    QFETCH(QString, started);
    QFETCH(bool, dialog);
    prepareRecord();

    press(QStringLiteral("cmd_Solver"), item, mouse);

    QCOMPARE(m_popupSeen, QStringLiteral("mnu_solver"));
    QCOMPARE(m_main->menuChoice(), qint16(choice));
    QCOMPARE(com.Exec_Mode, qint16(mode));
    QCOMPARE(p.starts.size(), started.isEmpty() ? 0 : 1);
    if (!started.isEmpty()) {
        QCOMPARE(p.starts[0].program, started);
        QCOMPARE(com.File_Bat, started);
    }
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(Filename::instance() != nullptr, dialog);
    if (dialog)
        QVERIFY(Filename::instance()->isVisible());
}

void TestMainWindow::postItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<QString>("record"); // run.dat: "good", "none", "blank first", "blank fifth"
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("argText");
    QTest::addColumn<bool>("dialog");
    QTest::newRow("run post") << "mnu_run_post" << Qt::LeftButton << "good" << 200 << 0 << true << "/d/model01.ind.in" << false;
    QTest::newRow("run post, right button") << "mnu_run_post" << Qt::RightButton << "good" << 200 << 0 << true << "/d/model01.ind.in" << false;
    QTest::newRow("run post, no run.dat") << "mnu_run_post" << Qt::LeftButton << "none" << 200 << 0 << true << "" << false;
    QTest::newRow("run post, first path blank") << "mnu_run_post" << Qt::LeftButton << "blank first" << 200 << 0 << true << "" << false;
    QTest::newRow("run post, fifth path blank") << "mnu_run_post" << Qt::LeftButton << "blank fifth" << 200 << 0 << true << "" << false;
    QTest::newRow("file name") << "mnu_post_filename" << Qt::LeftButton << "good" << 290 << 290 << false << "" << true;
    QTest::newRow("file name, right button") << "mnu_post_filename" << Qt::RightButton << "good" << 290 << 290 << false << "" << true;
    QTest::newRow("cancel") << "mnu_cancel2" << Qt::LeftButton << "good" << 0 << 0 << false << "" << false;
    QTest::newRow("cancel, right button") << "mnu_cancel2" << Qt::RightButton << "good" << 0 << 0 << false << "" << false;
}

void TestMainWindow::postItems()
{
    QFETCH(QString, item);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(QString, record);
    QFETCH(int, choice);
    QFETCH(int, mode);
    QFETCH(bool, starts);
    QFETCH(QString, argText);
    QFETCH(bool, dialog);
    prepareRecord();
    const QString runDatPath = p.inApp("run.dat");
    if (record == QLatin1String("none"))
        p.files.remove(runDatPath);
    else if (record == QLatin1String("blank first"))
        p.files[runDatPath] = runDat(QStringLiteral("   "), QStringLiteral("/d/model01.ind.in"));
    else if (record == QLatin1String("blank fifth"))
        p.files[runDatPath] = runDat(QStringLiteral("/d/model01.dat"), QStringLiteral("  "));

    press(QStringLiteral("cmd_Post"), item, mouse);

    QCOMPARE(m_popupSeen, QStringLiteral("mnu_post"));
    QCOMPARE(m_main->menuChoice(), qint16(choice));
    QCOMPARE(com.Exec_Mode, qint16(mode));
    QCOMPARE(p.starts.size(), starts ? 1 : 0);
    if (starts) {
        QCOMPARE(p.starts[0].program, QStringLiteral("/app/TOLV_Post.exe"));
        QCOMPARE(p.starts[0].argText, argText);
    }
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(Filename::instance() != nullptr, dialog);
}

void TestMainWindow::viewerItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("mode");
    QTest::newRow("run viewer") << "mnu_Run_Viewer" << 300 << 0;
    QTest::newRow("file name") << "mnu_Viewer_Filename" << 390 << 390;
    QTest::newRow("cancel") << "mnu_Cancel3" << 0 << 0;
}

void TestMainWindow::viewerItems()
{
    QFETCH(QString, item);
    QFETCH(int, choice);
    QFETCH(int, mode);
    prepareRecord();
    chooseViewer(QStringLiteral("mnu_Run_Viewer"));
    chooseViewer(item);
    QCOMPARE(m_main->menuChoice(), qint16(choice));
    QCOMPARE(com.Exec_Mode, qint16(mode));
    QCOMPARE(Filename::instance() != nullptr, mode != 0);
    QVERIFY(p.starts.isEmpty());
}

void TestMainWindow::dismissed_data()
{
    QTest::addColumn<QString>("earlier");   // "button:item" chosen before, or empty
    QTest::addColumn<QString>("dismissed"); // the button whose popup is dismissed
    QTest::addColumn<QString>("started");   // what the dismissal starts, or empty

    const QString solver = QStringLiteral("cmd_Solver");
    const QString post = QStringLiteral("cmd_Post");
    const QString bat = QStringLiteral("/d/model01.bat");
    const QString postExe = QStringLiteral("/app/TOLV_Post.exe");
    QTest::newRow("at start, solver") << "" << solver << "";
    QTest::newRow("at start, post") << "" << post << "";
    QTest::newRow("after run solver, solver runs again") << "cmd_Solver:mnu_exec_solver" << solver << bat;
    QTest::newRow("after run solver, post does nothing") << "cmd_Solver:mnu_exec_solver" << post << "";
    QTest::newRow("after run post, post runs again") << "cmd_Post:mnu_run_post" << post << postExe;
    QTest::newRow("after run post, solver does nothing") << "cmd_Post:mnu_run_post" << solver << "";
    QTest::newRow("after cancel, solver") << "cmd_Solver:mnu_Cancel" << solver << "";
    QTest::newRow("after cancel2, post") << "cmd_Post:mnu_cancel2" << post << "";
    QTest::newRow("after solver file name, solver") << "cmd_Solver:mnu_filename" << solver << "";
    QTest::newRow("after solver file name, post") << "cmd_Solver:mnu_filename" << post << "";
    QTest::newRow("after post file name, post") << "cmd_Post:mnu_post_filename" << post << "";
    QTest::newRow("after post file name, solver") << "cmd_Post:mnu_post_filename" << solver << "";
    QTest::newRow("after run viewer, solver") << "viewer:mnu_Run_Viewer" << solver << "";
    QTest::newRow("after run viewer, post") << "viewer:mnu_Run_Viewer" << post << "";
    QTest::newRow("after viewer file name, solver") << "viewer:mnu_Viewer_Filename" << solver << "";
}

void TestMainWindow::dismissed()
{
    QFETCH(QString, earlier);
    QFETCH(QString, dismissed);
    QFETCH(QString, started);
    prepareRecord();
    if (!earlier.isEmpty()) {
        const QString buttonName = earlier.section(u':', 0, 0);
        const QString item = earlier.section(u':', 1);
        if (buttonName == QLatin1String("viewer"))
            chooseViewer(item);
        else
            press(buttonName, item);
    }
    const qint16 choice = m_main->menuChoice();
    const qsizetype before = p.starts.size();

    press(dismissed, QString());

    QCOMPARE(m_main->menuChoice(), choice);
    QCOMPARE(p.starts.size(), before + (started.isEmpty() ? 0 : 1));
    if (!started.isEmpty())
        QCOMPARE(p.starts.last().program, started);
    QVERIFY(p.messages.isEmpty());
}

void TestMainWindow::popupsByKeyboard()
{
    prepareRecord();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));

    // Space opens the solver popup; Down and Return choose its first item.
    button("cmd_Solver")->setFocus();
    onPopupKeys({Qt::Key_Down, Qt::Key_Return});
    QTest::keyClick(button("cmd_Solver"), Qt::Key_Space);
    QTRY_COMPARE(m_popupSeen, QStringLiteral("mnu_solver"));
    QCOMPARE(m_main->menuChoice(), qint16(100));
    QCOMPARE(p.starts.size(), 1);

    // Return opens the postprocessor popup; the separator is passed over.
    m_popupSeen.clear();
    button("cmd_Post")->setFocus();
    onPopupKeys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    QTest::keyClick(button("cmd_Post"), Qt::Key_Return);
    QTRY_COMPARE(m_popupSeen, QStringLiteral("mnu_post"));
    QCOMPARE(m_main->menuChoice(), qint16(290));
    QCOMPARE(com.Exec_Mode, qint16(290));
    QVERIFY(Filename::instance());

    // Escape leaves the choice as it was.
    m_popupSeen.clear();
    onPopupKeys({Qt::Key_Escape});
    button("cmd_Solver")->setFocus();
    QTest::keyClick(button("cmd_Solver"), Qt::Key_Space);
    QTRY_COMPARE(m_popupSeen, QStringLiteral("mnu_solver"));
    QCOMPARE(m_main->menuChoice(), qint16(290));
    QCOMPARE(p.starts.size(), 1);
}

void TestMainWindow::linkedStartMessages_data()
{
    QTest::addColumn<QString>("ana");
    QTest::addColumn<QString>("message");
    QTest::newRow("long name") << "/d/model0123.ana"
                               << "ﾌｧｲﾙ名（model0123.ana）が拡張子を含み12文字を越えていますので、連動処理は行なえません。\r\n入力ﾃﾞｰﾀ保存時にﾌｧｲﾙ名を8文字で作成しなおすか、直接ﾌｧｲﾙ名を指定してソルバーを起動するか\r\nどちらかの方法で対処してください。";
    QTest::newRow("no .ana") << "/d/model01.txt" << "ソルバー用データファイルがありません。";
}

void TestMainWindow::linkedStartMessages()
{
    QFETCH(QString, ana);
    QFETCH(QString, message);
    p.files[p.inApp("run.dat")] = QStringLiteral("/d/m.dat\r\n") + ana + QStringLiteral("\r\nx\r\nx\r\nx\r\n");

    press(QStringLiteral("cmd_Solver"), QStringLiteral("mnu_exec_solver"));

    QVERIFY(p.starts.isEmpty());
    QCOMPARE(p.messages.size(), 1);
    QCOMPARE(p.messages[0].title, QStringLiteral("TOLVStrel"));
    QCOMPARE(p.messages[0].text, message);
}

void TestMainWindow::dialogIsReused()
{
    press(QStringLiteral("cmd_Solver"), QStringLiteral("mnu_filename"));
    Filename *dialog = Filename::instance();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(com.Exec_Mode, qint16(190));

    press(QStringLiteral("cmd_Post"), QStringLiteral("mnu_post_filename"));
    QCOMPARE(Filename::instance(), dialog);
    QCOMPARE(com.Exec_Mode, qint16(290));
    QCOMPARE(m_main->menuChoice(), qint16(290));

    // Closed, the next file-name item makes a new one.
    dialog->close();
    QTRY_VERIFY(!Filename::instance());
    chooseViewer(QStringLiteral("mnu_Viewer_Filename"));
    QVERIFY(Filename::instance() && Filename::instance()->isVisible());
    QCOMPARE(com.Exec_Mode, qint16(390));
}

void TestMainWindow::viewerButton()
{
    prepareRecord();
    QPushButton *viewer = button("cmd_Viewer");
    QVERIFY(!viewer->isVisible());
    viewer->click();
    QVERIFY(!QApplication::activePopupWidget());
    QVERIFY(p.starts.isEmpty());
    QCOMPARE(m_main->menuChoice(), qint16(0));
}

void TestMainWindow::endButton()
{
    press(QStringLiteral("cmd_Solver"), QStringLiteral("mnu_filename"));
    QVERIFY(Filename::instance());
    QTest::mouseClick(button("cmd_End"), Qt::LeftButton);
    QCOMPARE(p.ended, 1);
    QVERIFY(p.starts.isEmpty());
    QVERIFY(p.messages.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

// Drives the launcher's windows as a user does: controls by their designed names, the popup menus,
// the data-file dialog.
#pragma once

#include "support/FakePlatform.h"
#include "ui/filename/Filename.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tolv::test {

// A control by its designed name; the test program stops at once when it is missing.
template<class T = QWidget>
T *control(const QWidget *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// What to do in the next popup menu: type `keys`; or choose the item named `item` with the mouse
// button `mouse`; or, with neither, press Escape.
struct PopupAction
{
    QString item;
    Qt::MouseButton mouse = Qt::LeftButton;
    QList<Qt::Key> keys;
};

// Runs `open`, which opens a popup menu and waits in it, and does `action` in that popup. The popup
// is closed whatever happens, so `open` always returns. Gives the popup's name, or why it failed.
inline QString inPopup(const std::function<void()> &open, const PopupAction &action)
{
    QString seen = QStringLiteral("<no popup>");
    int tries = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu) {
            if (++tries > 400)
                timer.stop();
            return;
        }
        timer.stop();
        seen = menu->objectName();
        QAction *chosen = nullptr;
        for (QAction *a : menu->actions())
            if (!action.item.isEmpty() && a->objectName() == action.item)
                chosen = a;
        if (!action.keys.isEmpty()) {
            for (Qt::Key key : action.keys)
                QTest::keyClick(menu, key);
        } else if (action.item.isEmpty()) {
            QTest::keyClick(menu, Qt::Key_Escape);
        } else if (chosen) {
            // As a hand does, the pointer moves onto the item first: from Qt 6.6 on, a menu takes
            // a click on which the pointer has not moved since it opened for the click that
            // opened it, and closes without choosing.
            const QPoint at = menu->actionGeometry(chosen).center();
            for (int step = 0; step < 8; ++step)
                QTest::mouseMove(menu, at + QPoint(step % 2, 0));
            QTest::mouseClick(menu, action.mouse, {}, at);
        } else {
            seen += QStringLiteral(" has no ") + action.item;
        }
        if (menu->isVisible())
            menu->close();
    });
    timer.start(5);
    open();
    return seen;
}

// Clicks a button of `window` and does `action` in the popup that it opens.
inline QString clickAndPopup(QWidget *window, const QString &button, const PopupAction &action)
{
    return inPopup([&] { QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton); },
                   action);
}

// The data-file dialog that tests open without a main window, as the main window holds its own.
inline QPointer<Filename> &heldDialog()
{
    static QPointer<Filename> dialog;
    return dialog;
}

// The dialog when it is open (shown), else null: a closed one is done with before it is deleted.
inline Filename *shownDialog(Filename *dialog)
{
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// What a file-name item of the main window does: set the mode, then show the one dialog, made anew
// once the earlier one was closed.
inline Filename *openDialog(TOLV_Com &com, Platform &p, qint16 mode)
{
    com.Exec_Mode = mode;
    if (!shownDialog(heldDialog()))
        heldDialog() = new Filename(com, p);
    heldDialog()->showAndRaise();
    return heldDialog();
}

// Presses the browse button; the scripted open-file dialog answers with `answer` (nothing = cancel).
inline void browse(DialogScript &script, Filename *dialog, const std::optional<QString> &answer)
{
    script.dialogAnswers.push_back(answer);
    QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmd_Ref")), Qt::LeftButton);
}

inline void pressRun(Filename *dialog)
{
    QTest::mouseClick(control<QPushButton>(dialog, QStringLiteral("cmd_Run")), Qt::LeftButton);
}

inline QString fileNameField(Filename *dialog)
{
    return control<QLineEdit>(dialog, QStringLiteral("txt_filename"))->text();
}

// Closes the dialog when it is open and lets Qt delete it, so that the next test starts afresh.
inline void discardDialog()
{
    if (Filename *d = heldDialog())
        d->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tolv::test

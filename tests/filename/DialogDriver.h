// Drives the data-file dialog as a user does: open it in a mode, browse, press its buttons.
#pragma once

#include "support/FakePlatform.h"
#include "ui/filename/Filename.h"

#include <QCoreApplication>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tolv::test {

// A control of the dialog by its designed name; the test fails at once when it is missing.
template<class T>
T *control(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// What a file-name item of the main window does: set the mode, then show the dialog.
inline Filename *openDialog(TOLV_Com &com, Platform &p, qint16 mode)
{
    com.Exec_Mode = mode;
    return Filename::showInstance(com, p);
}

// Presses the browse button; the fake open-file dialog answers with `answer` (nothing = cancel).
inline void browse(FakePlatform &p, Filename *dialog, const std::optional<QString> &answer)
{
    p.dialogAnswers.push_back(answer);
    QTest::mouseClick(control<QPushButton>(dialog, "cmd_Ref"), Qt::LeftButton);
}

inline void pressRun(Filename *dialog)
{
    QTest::mouseClick(control<QPushButton>(dialog, "cmd_Run"), Qt::LeftButton);
}

inline QString fileNameField(Filename *dialog)
{
    return control<QLineEdit>(dialog, "txt_filename")->text();
}

// Presses a button of the main window and chooses `item` in the popup that it opens, with the mouse.
// Whatever happens, the popup is closed, so the button's handler always returns. False when no
// popup opened or it had no such item.
inline bool chooseFromPopup(QWidget *mainWindow, const char *buttonName, const char *item)
{
    bool chosen = false;
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
        for (QAction *action : menu->actions()) {
            if (action->objectName() == QLatin1String(item)) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                chosen = true;
                break;
            }
        }
        if (menu->isVisible())
            menu->close();
    });
    timer.start(5);
    QTest::mouseClick(control<QPushButton>(mainWindow, buttonName), Qt::LeftButton);
    return chosen;
}

// Closes the dialog when it is open and lets Qt delete it, so that the next test starts afresh.
inline void discardDialog()
{
    if (Filename *d = Filename::instance())
        d->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tolv::test

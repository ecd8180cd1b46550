// The launcher's message box: the critical-stop icon, one OK button, the message's own lines kept
// as they are written wherever the screen is wide enough, and Ctrl+C copying the message as plain
// text, as users of the system's message boxes expect.
#pragma once

#include <QMessageBox>

class QScreen;

namespace tolv {

class MessageBox : public QMessageBox
{
public:
    // Shows the message modally over the window the user is working in, and returns once the
    // user has closed it. Lines of `text` are separated by CR LF.
    static void critical(const QString &title, const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    MessageBox(const QString &title, const QString &text, QWidget *parent);
    // Shows the designed lines, each as one line where the screen is wide enough for it.
    void setDesignedLines(const QString &text, const QScreen *screen);

    QString m_plain;
};

} // namespace tolv

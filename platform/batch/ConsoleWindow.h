// tolvbat's own console: where no terminal emulator is installed, a batch file runs in this small
// window. It shows the commands' output as it comes, says how a command that failed ended, waits
// at PAUSE for a key or its button, and closes when the batch ends.
#pragma once

#include "Batch.h"

#include <QStringDecoder>
#include <QWidget>

#include <memory>

class QPlainTextEdit;
class QPushButton;
class QSocketNotifier;
class QTimer;

namespace tolv::batch {

class ConsoleWindow : public QWidget
{
    Q_OBJECT
public:
    ConsoleWindow(const QString &title, std::vector<Step> steps);
    ~ConsoleWindow() override;

    // Runs the steps; the window closes after the last one. 1 when a command could not be
    // started, 0 otherwise.
    void run();
    // Shows why nothing can be run, and waits until it has been read.
    void fail(const std::string &line);
    int result() const { return m_result; }

    // What the window shows.
    QString text() const;
    // Whether it waits at a PAUSE (or at the end, after a command that could not be started).
    bool waiting() const { return m_waiting; }

    // The line shown at a PAUSE.
    static QString pauseLine();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void next();
    void goOn();
    void say(const std::string &line);
    void append(const QString &text);
    void readOutput();
    void checkEnded();
    void pause(bool thenEnd);

    std::vector<Step> m_steps;
    size_t m_next = 0;
    QPlainTextEdit *m_view;
    QPushButton *m_continue;
    QTimer *m_poll;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QStringDecoder m_decoder{QStringConverter::System};
    int m_read = -1;
    pid_t m_pid = -1;
    std::string m_program;
    bool m_waiting = false;
    bool m_endAfterPause = false;
    int m_result = 0;
};

} // namespace tolv::batch

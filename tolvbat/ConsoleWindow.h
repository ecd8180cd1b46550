// tolvbat's own console: where no terminal emulator is installed, a batch file runs in this small
// window. It shows the commands' output as it comes, says how a command that failed ended, waits
// at PAUSE for a key or its button, and closes when the batch ends. Closing it ends the command
// that runs and whatever the batch run's commands left running, as closing a console does.
#pragma once

#include "Batch.h"
#include "Groups.h"

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
    // The lines the window keeps, as a console's buffer does: older ones scroll out, so that a
    // command that prints without end takes no more memory than these.
    static constexpr int ScrollbackLines = 10000;
    // Where a longer line goes on in the next one, as a console wraps it: output without line
    // ends stays within the bound too.
    static constexpr int LineWidth = 512;

    ConsoleWindow(const QString &title, std::vector<Step> steps);
    ~ConsoleWindow() override;

    // Runs the steps; the window closes after the last one. 1 when a command could not be
    // started, 0 otherwise.
    void run();
    // Shows why nothing can be run, and waits until it has been read.
    void fail(const QString &line);
    int result() const { return m_result; }
    // Ends what the batch run has left running (see Groups); also when the window goes.
    void endCommands();

    // What the window shows.
    QString text() const;
    // Whether it waits at a PAUSE (or at the end, after a command that could not be started).
    bool waiting() const { return m_waiting; }

    // The line shown at a PAUSE.
    static QString pauseLine();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void next();
    void goOn();
    void say(const QString &line);
    void take(QStringView text);
    void cutPending();
    void flush();
    void readOutput();
    void checkEnded();
    void closeOutput();
    void pause(bool thenEnd);

    std::vector<Step> m_steps;
    size_t m_next = 0;
    QPlainTextEdit *m_view;
    QPushButton *m_continue;
    QTimer *m_poll;
    QTimer *m_flush;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QStringDecoder m_decoder{QStringConverter::System};
    // Output that has not been shown yet, cut into lines of at most LineWidth characters: its
    // line ends and the column at which its last line ends. `m_replace` when it holds more lines
    // than are kept, so that nothing shown before stays.
    QString m_pending;
    qsizetype m_pendingBreaks = 0;
    qsizetype m_column = 0;
    bool m_replace = false;
    int m_read = -1;
    pid_t m_pid = -1;
    Groups m_groups;
    std::string m_program;
    bool m_waiting = false;
    bool m_endAfterPause = false;
    int m_result = 0;
};

} // namespace tolv::batch

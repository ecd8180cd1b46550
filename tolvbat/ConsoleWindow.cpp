#include "ConsoleWindow.h"
#include "Texts.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolv::batch {

namespace {

// The most bytes taken from a command per notification: the event loop comes round between two
// of them, so keys, the close button and drawing are answered at any rate of output.
constexpr size_t ReadBatch = 64 * 1024;
// How often what has come is shown: drawing it is what takes the time, not reading it.
constexpr int FlushMs = 50;
// The wait status of a command that has ended, as waitpid() would give it.
int waitStatus(const siginfo_t &info)
{
    if (info.si_code == CLD_EXITED)
        return (info.si_status & 0xff) << 8;
    return info.si_status | (info.si_code == CLD_DUMPED ? 0x80 : 0);
}

} // namespace

ConsoleWindow::ConsoleWindow(const QString &title, std::vector<Step> steps)
    : m_steps(std::move(steps)),
      m_view(new QPlainTextEdit(this)),
      m_continue(new QPushButton(batch::text(Text::Continue), this)),
      m_poll(new QTimer(this)),
      m_flush(new QTimer(this))
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("console"));
    m_view->setObjectName(QStringLiteral("output"));
    m_view->setReadOnly(true);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setMaximumBlockCount(ScrollbackLines);
    // Nobody undoes output, and the undo history would keep every line that scrolled out.
    m_view->document()->setUndoRedoEnabled(false);
    m_view->installEventFilter(this);
    m_continue->setObjectName(QStringLiteral("continue"));
    m_continue->setEnabled(false);
    connect(m_continue, &QPushButton::clicked, this, &ConsoleWindow::goOn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(m_continue, 0, Qt::AlignRight);
    const QFontMetrics metrics(m_view->font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 82 + 24, metrics.lineSpacing() * 26 + 60);
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &ConsoleWindow::checkEnded);
    m_flush->setSingleShot(true);
    m_flush->setInterval(FlushMs);
    connect(m_flush, &QTimer::timeout, this, &ConsoleWindow::flush);
}

ConsoleWindow::~ConsoleWindow()
{
    closeOutput();
    endCommands();
}

void ConsoleWindow::endCommands()
{
    m_groups.end();
}

QString ConsoleWindow::pauseLine()
{
    return batch::text(Text::Pause);
}

void ConsoleWindow::run()
{
    QTimer::singleShot(0, this, &ConsoleWindow::next);
}

void ConsoleWindow::fail(const QString &line)
{
    say(line);
    m_result = 1;
    pause(true);
}

QString ConsoleWindow::text() const
{
    return m_view->toPlainText();
}

void ConsoleWindow::next()
{
    if (m_next >= m_steps.size()) {
        close();
        return;
    }
    const Step &step = m_steps[m_next++];
    if (step.pause) {
        pause(false);
        return;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        fail(QStringLiteral("tolvbat: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    const Result<pid_t> started = start(step, pipeFds[1]);
    ::close(pipeFds[1]);
    if (!started.ok()) {
        ::close(pipeFds[0]);
        // The batch stops here; the reason stays on screen until the user has read it.
        fail(started.reason());
        return;
    }
    m_pid = started.value();
    m_groups.add(m_pid);
    m_program = locate(step.words.front());
    m_read = pipeFds[0];
    ::fcntl(m_read, F_SETFL, ::fcntl(m_read, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_read, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ConsoleWindow::readOutput);
    m_poll->start();
}

void ConsoleWindow::readOutput()
{
    char buffer[ReadBatch];
    const ssize_t n = ::read(m_read, buffer, sizeof buffer);
    if (n > 0)
        take(QString(m_decoder.decode(QByteArrayView(buffer, n))));
    else if (n == 0 && m_notifier) // every writer has closed it
        m_notifier->setEnabled(false);
}

void ConsoleWindow::checkEnded()
{
    // Not waited for yet: the command's group may hold what it left running (see Groups).
    siginfo_t info {};
    if (::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        if (errno == EINTR)
            return;
        info.si_code = CLD_EXITED; // not ours to wait for: nothing is known of how it ended
    } else if (info.si_pid == 0) {
        return;
    }
    const int status = waitStatus(info);
    m_groups.ended(m_pid);
    m_poll->stop();
    m_pid = -1;
    // What it wrote just before it ended, and no more: a program it left running could write
    // for ever.
    int left = 0;
    if (::ioctl(m_read, FIONREAD, &left) != 0)
        left = 0;
    char buffer[ReadBatch];
    while (left > 0) {
        const ssize_t n = ::read(m_read, buffer, std::min(sizeof buffer, size_t(left)));
        if (n <= 0)
            break;
        take(QString(m_decoder.decode(QByteArrayView(buffer, n))));
        left -= int(n);
    }
    closeOutput();
    const std::string line = ending(m_program, status);
    if (!line.empty())
        say(QString::fromLocal8Bit(line));
    next();
}

void ConsoleWindow::closeOutput()
{
    m_notifier.reset();
    if (m_read >= 0)
        ::close(m_read);
    m_read = -1;
}

void ConsoleWindow::pause(bool thenEnd)
{
    m_endAfterPause = thenEnd;
    m_waiting = true;
    take(pauseLine());
    flush();
    m_continue->setEnabled(true);
    m_continue->setFocus();
}

void ConsoleWindow::goOn()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_continue->setEnabled(false);
    take(u"\n");
    if (m_endAfterPause)
        close();
    else
        next();
}

void ConsoleWindow::say(const QString &line)
{
    if (m_column > 0)
        take(u"\n");
    take(line);
    take(u"\n");
}

void ConsoleWindow::take(QStringView text)
{
    while (!text.isEmpty()) {
        const qsizetype room = LineWidth - m_column;
        // Only as far as the line can reach: a long text without line ends is not searched again
        // for each line cut from it.
        const qsizetype end = text.left(room + 2).indexOf(u'\n');
        qsizetype cut;
        // A CR before the line end takes no room: the view takes CR LF as one line end.
        if (end >= 0 && (end <= room || (end == room + 1 && text.at(room) == u'\r'))) {
            cut = end + 1;
            m_pending += text.left(cut);
        } else if (end < 0 && text.size() <= room) {
            m_pending += text;
            m_column += text.size();
            break;
        } else {
            // Never between the halves of a surrogate pair.
            cut = room > 0 && text.at(room - 1).isHighSurrogate() ? room - 1 : room;
            m_pending += text.left(cut);
            m_pending += u'\n';
        }
        text = text.mid(cut);
        m_column = 0;
        ++m_pendingBreaks;
    }
    // Lines that would scroll out at once are dropped before they are ever drawn.
    if (m_pendingBreaks >= ScrollbackLines + ScrollbackLines / 2)
        cutPending();
    if (!m_flush->isActive())
        m_flush->start();
}

void ConsoleWindow::cutPending()
{
    if (m_pendingBreaks < ScrollbackLines)
        return;
    // The lines after the last ScrollbackLines - 1 line ends, the last one open.
    qsizetype from = m_pending.size();
    for (int breaks = 0; breaks < ScrollbackLines; ++breaks)
        from = m_pending.lastIndexOf(u'\n', from - 1);
    m_pending.remove(0, from + 1);
    m_pendingBreaks = ScrollbackLines - 1;
    m_replace = true;
}

void ConsoleWindow::flush()
{
    m_flush->stop();
    if (m_pending.isEmpty())
        return;
    cutPending();
    if (m_replace)
        m_view->clear();
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pending);
    m_pending.clear();
    m_pendingBreaks = 0;
    m_replace = false;
    m_view->moveCursor(QTextCursor::End);
}

void ConsoleWindow::closeEvent(QCloseEvent *event)
{
    // Closing a console ends what runs in it: the groups of the batch run's commands, the one
    // that runs and what earlier ones left running, get the hangup that a closed terminal sends
    // (whatever is left is killed when the window goes). Nothing after it runs.
    if (m_pid > 0) {
        m_poll->stop();
        closeOutput();
    }
    m_groups.hangUp();
    m_next = m_steps.size();
    flush();
    QWidget::closeEvent(event);
}

void ConsoleWindow::keyPressEvent(QKeyEvent *event)
{
    if (m_waiting && !event->text().isEmpty())
        goOn();
    else
        QWidget::keyPressEvent(event);
}

bool ConsoleWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress && m_waiting) {
        if (!static_cast<QKeyEvent *>(event)->text().isEmpty()) {
            goOn();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tolv::batch

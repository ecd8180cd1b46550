#include "ConsoleWindow.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolv::batch {

ConsoleWindow::ConsoleWindow(const QString &title, std::vector<Step> steps)
    : m_steps(std::move(steps)),
      m_view(new QPlainTextEdit(this)),
      m_continue(new QPushButton(QStringLiteral("Continue"), this)),
      m_poll(new QTimer(this))
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("console"));
    m_view->setObjectName(QStringLiteral("output"));
    m_view->setReadOnly(true);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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
}

ConsoleWindow::~ConsoleWindow()
{
    if (m_read >= 0)
        ::close(m_read);
}

QString ConsoleWindow::pauseLine()
{
    return QStringLiteral("Press a key to continue . . .");
}

void ConsoleWindow::run()
{
    QTimer::singleShot(0, this, &ConsoleWindow::next);
}

void ConsoleWindow::fail(const std::string &line)
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
        say(notStarted(std::strerror(errno), 126));
        m_result = 1;
        pause(true);
        return;
    }
    std::string why;
    int status = 0;
    m_pid = start(step.words, pipeFds[1], why, status);
    ::close(pipeFds[1]);
    if (m_pid < 0) {
        ::close(pipeFds[0]);
        say(notStarted(why, status));
        m_result = 1;
        // The batch stops here; the reason stays on screen until the user has read it.
        pause(true);
        return;
    }
    m_program = locate(step.words.front());
    m_read = pipeFds[0];
    ::fcntl(m_read, F_SETFL, ::fcntl(m_read, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_read, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ConsoleWindow::readOutput);
    m_poll->start();
}

void ConsoleWindow::readOutput()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_read, buffer, sizeof buffer);
        if (n > 0) {
            append(m_decoder.decode(QByteArrayView(buffer, n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 && m_notifier) // every writer has closed it
            m_notifier->setEnabled(false);
        return;
    }
}

void ConsoleWindow::checkEnded()
{
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
        return;
    m_poll->stop();
    readOutput(); // what it wrote just before it ended
    m_notifier.reset();
    ::close(m_read);
    m_read = -1;
    m_pid = -1;
    const std::string line = ending(m_program, status);
    if (!line.empty())
        say(line);
    next();
}

void ConsoleWindow::pause(bool thenEnd)
{
    m_endAfterPause = thenEnd;
    m_waiting = true;
    append(pauseLine());
    m_continue->setEnabled(true);
    m_continue->setFocus();
}

void ConsoleWindow::goOn()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_continue->setEnabled(false);
    append(QStringLiteral("\n"));
    if (m_endAfterPause)
        close();
    else
        next();
}

void ConsoleWindow::say(const std::string &line)
{
    QString text = m_view->toPlainText();
    append((text.isEmpty() || text.endsWith(u'\n') ? QString() : QStringLiteral("\n"))
           + QString::fromLocal8Bit(line.c_str()) + u'\n');
}

void ConsoleWindow::append(const QString &text)
{
    m_view->moveCursor(QTextCursor::End);
    m_view->insertPlainText(text);
    m_view->moveCursor(QTextCursor::End);
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

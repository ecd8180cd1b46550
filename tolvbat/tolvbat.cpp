// tolvbat: runs a batch file of the analysis suite where the platform has no interpreter for them.
//
//   tolvbat BATCHFILE            in the terminal it was started in (the launcher starts it in a
//                                terminal emulator)
//   tolvbat --window BATCHFILE   in a console window of its own, where there is no terminal
//
// Each line is one command (see Batch.h); no line is ever handed to a shell. PAUSE shows its prompt
// and waits for a key in a terminal or in the window, and goes on at once without either. A command that ends
// with a status other than 0 is told in one line, with the status, and the batch goes on, as the
// system's command interpreter does; one that cannot be started stops the batch with one line and
// the status a shell would give, after which tolvbat waits as at PAUSE so that it can be read; so
// does a line that holds a NUL byte.
//
// A hangup ends the whole batch run, as closing a console window does: in a terminal, the process
// group that tolvbat and its commands share gets it and is killed two seconds later, whatever is
// left of it; the console window ends its commands' groups when it closes or loses its display.

#include "Batch.h"
#include "ConsoleWindow.h"
#include "Texts.h"

#include "platform/QtPlatform.h"

#include <QApplication>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

using tolv::Result;
using namespace tolv::batch;

namespace {

volatile std::sig_atomic_t hungUp = 0;
pid_t foregroundBefore = -1;

// The terminal hung up: the batch run's group gets the hangup too (the command may not take it
// from the terminal), and whatever is left of the group two seconds later is killed, tolvbat with
// it. Only what is safe in a signal handler.
void onHangup(int)
{
    hungUp = 1;
    std::signal(SIGHUP, SIG_IGN); // the group's hangup reaches tolvbat too
    ::kill(0, SIGHUP);
    ::kill(0, SIGCONT); // a stopped command takes it only once it goes on
    ::alarm((HangupGraceMs + 999) / 1000);
}

void onGraceOver(int)
{
    ::kill(0, SIGKILL);
}

// Makes `group` the terminal's foreground group, as a shell does for a job.
void setForeground(pid_t group)
{
    sigset_t ttou;
    sigset_t before;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, &before);
    ::tcsetpgrp(STDIN_FILENO, group);
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

void giveTerminalBack()
{
    setForeground(foregroundBefore);
}

// The commands run in tolvbat's process group, which must then be a group of its own and not
// its caller's, which a hangup of the batch run must not reach. In the terminal's foreground when
// the caller was, so that PAUSE and the commands can read it, and back to the caller at the end.
void ownGroupAndHangup()
{
    const pid_t group = ::getpgrp();
    if (group != ::getpid()) {
        const bool foreground = ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) == group;
        if (::setpgid(0, 0) != 0)
            return; // still the caller's group: the hangup is left to the system
        if (foreground) {
            foregroundBefore = group;
            setForeground(::getpid());
            std::atexit(giveTerminalBack);
        }
    }
    struct sigaction action {};
    action.sa_handler = onHangup;
    sigaction(SIGHUP, &action, nullptr);
    action.sa_handler = onGraceOver;
    sigaction(SIGALRM, &action, nullptr);
}

// After a hangup nothing more runs: tolvbat waits for the kill.
void stopIfHungUp()
{
    while (hungUp)
        ::pause();
}

// PAUSE in a terminal: the prompt, then one key, as the system's interpreter waits; without a
// terminal to read a key from, it goes on at once, as that interpreter does without input.
void pauseInTerminal()
{
    std::cout << text(Text::Pause).toStdString() << std::flush;
    termios before {};
    if (::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &before) == 0) {
        termios oneKey = before;
        oneKey.c_lflag &= ~tcflag_t(ICANON | ECHO);
        oneKey.c_cc[VMIN] = 1;
        oneKey.c_cc[VTIME] = 0;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &oneKey);
        char key = 0;
        while (::read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR && !hungUp) {
        }
        // The rest of a key that sends several bytes is no command's input.
        ::tcflush(STDIN_FILENO, TCIFLUSH);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &before);
    }
    std::cout << std::endl;
    stopIfHungUp();
}

int runInTerminal(const std::vector<Step> &steps)
{
    for (const Step &step : steps) {
        stopIfHungUp();
        if (step.pause) {
            pauseInTerminal();
            continue;
        }
        const Result<pid_t> started = start(step, -1);
        if (!started.ok()) {
            std::cerr << started.reason().toLocal8Bit().constData() << std::endl;
            // In a terminal window that closes with us, the reason must stay readable.
            pauseInTerminal();
            return 1;
        }
        const pid_t pid = started.value();
        const int status = wait(pid);
        stopIfHungUp();
        const std::string line = ending(locate(step.words.front()), status);
        if (!line.empty())
            std::cerr << line << std::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool window = argc == 3 && std::strcmp(argv[1], "--window") == 0;
    if (argc != 2 && !window) {
        std::cerr << text(Text::Usage).toStdString() << '\n';
        return 2;
    }
    const char *path = argv[argc - 1];
    const Result<std::string> text = readBatch(path);
    if (!window) {
        if (!text.ok()) {
            std::cerr << "tolvbat: " << text.reason().toLocal8Bit().constData() << '\n';
            return 1;
        }
        ownGroupAndHangup();
        return runInTerminal(parse(text.value()));
    }

    // Without a display: one line on standard error and status 1, in tolvbat's name.
    QApplication::setApplicationName(QStringLiteral("tolvbat"));
    const std::unique_ptr<QApplication> app = tolv::createApplication(argc, argv);
    ConsoleWindow console(QString::fromLocal8Bit(path), text.ok() ? parse(text.value()) : std::vector<Step>{});
    // A lost display ends tolvbat at once from inside the toolkit, past this function's end: what
    // the batch run started ends with it then too.
    static ConsoleWindow *shown = nullptr;
    shown = &console;
    std::atexit([] {
        if (shown)
            shown->endCommands();
    });
    console.show();
    if (text.ok())
        console.run();
    else
        console.fail(QStringLiteral("tolvbat: ") + text.reason());
    app->exec();
    shown = nullptr; // the window ends them itself
    return console.result();
}

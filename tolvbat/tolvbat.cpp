// tolvbat: runs a batch file of the analysis suite where the platform has no interpreter for them.
//
//   tolvbat BATCHFILE            in the terminal it was started in (the launcher starts it in a
//                                terminal emulator)
//   tolvbat --window BATCHFILE   in a console window of its own, where there is no terminal
//
// Each line is one command (see Batch.h); no line is ever handed to a shell. PAUSE waits for Enter
// in a terminal, for a key in the window, and goes on at once without either. A command that ends
// with a status other than 0 is told in one line, with the status, and the batch goes on, as the
// system's command interpreter does; one that cannot be started stops the batch with one line and
// the status a shell would give, after which tolvbat waits as at PAUSE so that it can be read; so
// does a line that holds a NUL byte.

#include "Batch.h"
#include "ConsoleWindow.h"

#include "platform/QtPlatform.h"

#include <QApplication>

#include <cstring>
#include <iostream>
#include <string>

#include <unistd.h>

using tolv::Result;
using namespace tolv::batch;

namespace {

void waitForEnter()
{
    if (!isatty(STDIN_FILENO))
        return;
    std::cout << "Press Enter to continue . . ." << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
}

int runInTerminal(const std::vector<Step> &steps)
{
    for (const Step &step : steps) {
        if (step.pause) {
            waitForEnter();
            continue;
        }
        const Result<pid_t> started = start(step, -1);
        if (!started.ok()) {
            std::cerr << started.reason().toLocal8Bit().constData() << std::endl;
            // In a terminal window that closes with us, the reason must stay readable.
            waitForEnter();
            return 1;
        }
        const pid_t pid = started.value();
        const std::string line = ending(locate(step.words.front()), wait(pid));
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
        std::cerr << "usage: tolvbat [--window] BATCHFILE\n";
        return 2;
    }
    const char *path = argv[argc - 1];
    const Result<std::string> text = readBatch(path);
    if (!window) {
        if (!text.ok()) {
            std::cerr << "tolvbat: " << text.reason().toLocal8Bit().constData() << '\n';
            return 1;
        }
        return runInTerminal(parse(text.value()));
    }

    // Without a display: one line on standard error and status 1, in tolvbat's name.
    QApplication::setApplicationName(QStringLiteral("tolvbat"));
    const std::unique_ptr<QApplication> app = tolv::createApplication(argc, argv);
    ConsoleWindow console(QString::fromLocal8Bit(path), text.ok() ? parse(text.value()) : std::vector<Step>{});
    console.show();
    if (text.ok())
        console.run();
    else
        console.fail(QStringLiteral("tolvbat: ") + text.reason());
    app->exec();
    return console.result();
}

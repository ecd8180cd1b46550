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
// the status a shell would give, after which tolvbat waits as at PAUSE so that it can be read.

#include "Batch.h"
#include "ConsoleWindow.h"

#include <QApplication>

#include <cstring>
#include <iostream>
#include <string>

#include <unistd.h>

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
        std::string why;
        int status = 0;
        const pid_t pid = start(step.words, -1, why, status);
        if (pid < 0) {
            std::cerr << notStarted(why, status) << std::endl;
            // In a terminal window that closes with us, the reason must stay readable.
            waitForEnter();
            return 1;
        }
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
    std::string text;
    std::string why;
    const bool read = readBatch(path, text, why);
    if (!window) {
        if (!read) {
            std::cerr << "tolvbat: " << why << '\n';
            return 1;
        }
        return runInTerminal(parse(text));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tolvbat"));
    std::vector<Step> steps;
    if (read)
        steps = parse(text);
    ConsoleWindow console(QString::fromLocal8Bit(path), steps);
    console.show();
    if (read)
        console.run();
    else
        console.fail("tolvbat: " + why);
    app.exec();
    return console.result();
}

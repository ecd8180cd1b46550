// The batch files of the analysis suite, as tolvbat runs them where the system has no interpreter
// for them: the lines, the lookup of a program and its start, and what a user is told of a command.
#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

#include <sys/types.h>

namespace tolv::batch {

// One line of a batch file that does something: a program and its arguments, or PAUSE.
struct Step
{
    bool pause = false;
    std::vector<std::string> words;
    // Why the line cannot be run, when it cannot: it holds a NUL byte, where every argument
    // handed to a program would end, so the program would get other words than the file has.
    std::string fault;
};

// The most bytes of a batch file that are read: the suite's have two lines.
inline constexpr qint64 ReadLimit = 1024 * 1024;

// The whole batch file, read at once and closed again, so that no command inherits it. Only a
// regular file, opened without blocking (a FIFO put in its place would wait for a writer for
// ever); a reason for anything else, or for a file larger than ReadLimit.
Result<std::string> readBatch(const char *path);

// The steps of the batch text. Blank lines, REM lines and "@echo off" are skipped, and so is a
// leading "@". Any other line is a program and its arguments, split at blanks, double quotes
// grouping. CR LF and LF both end a line.
std::vector<Step> parse(const std::string &text);

// A bare program name is looked up in the current directory first, as the suite's batch files
// expect, then in PATH; a name with a slash is taken as it is. Empty when there is none.
std::string locate(const std::string &name);

// Starts the located program of the step with its words as the arguments (the first is its name).
// With `output` >= 0 it is a console window's command: standard output and error go there,
// standard input is the null device, and it runs in a session of its own, so that the window can
// end it with everything it started. The process id, which the caller waits for; otherwise the
// line that tells why it could not be started, with the exit status that a shell would give
// (127 not found, 126 not executable).
Result<pid_t> start(const Step &step, int output);

// Waits for the process; its wait status.
int wait(pid_t pid);

// The line that tells how a command ended, or nothing when it ended with status 0.
std::string ending(const std::string &program, int waitStatus);

} // namespace tolv::batch

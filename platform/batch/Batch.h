// The batch files of the analysis suite, as tolvbat runs them where the system has no interpreter
// for them: the lines, the lookup of a program and its start, and what a user is told of a command.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace tolv::batch {

// One line of a batch file that does something: a program and its arguments, or PAUSE.
struct Step
{
    bool pause = false;
    std::vector<std::string> words;
};

// The most bytes of a batch file that are read: the suite's have two lines.
inline constexpr size_t ReadLimit = 1024 * 1024;

// The whole batch file, read at once and closed again, so that no command inherits it; false with
// the reason when it cannot be read (or is larger than ReadLimit).
bool readBatch(const char *path, std::string &text, std::string &why);

// The steps of the batch text. Blank lines, REM lines and "@echo off" are skipped, and so is a
// leading "@". Any other line is a program and its arguments, split at blanks, double quotes
// grouping. CR LF and LF both end a line.
std::vector<Step> parse(const std::string &text);

// A bare program name is looked up in the current directory first, as the suite's batch files
// expect, then in PATH; a name with a slash is taken as it is. Empty when there is none.
std::string locate(const std::string &name);

// Starts the located program with the words as its arguments (the first is its name), with no
// descriptor of ours but standard input, output and error; with `output` >= 0 both standard output
// and error go there and standard input is the null device. The process id, or -1 with the reason
// and the exit status that a shell would give (127 not found, 126 not executable).
pid_t start(const std::vector<std::string> &words, int output, std::string &why, int &status);

// Waits for the process; its wait status.
int wait(pid_t pid);

// The line that tells how a command ended, or nothing when it ended with status 0.
std::string ending(const std::string &program, int waitStatus);
// The line that tells why a command could not be started, with its exit status.
std::string notStarted(const std::string &why, int status);

} // namespace tolv::batch

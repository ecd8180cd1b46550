// tolvbat: runs a batch file of the analysis suite where the platform has no interpreter for them.
//
// Each line is one command. Blank lines, REM lines and "@echo off" are skipped, and so is a leading
// "@". PAUSE waits for Enter when there is a terminal and goes on at once otherwise. Any other line
// is a program and its arguments, split at blanks, double quotes grouping; a bare program name is
// looked up in the current directory first, then in PATH. No line is ever handed to a shell.
// A command that cannot be started stops the batch with a one-line reason on standard error (and,
// on a terminal, waits for Enter so that the reason can be read).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string trim(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::vector<std::string> split(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

bool isExecutableFile(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The current directory first, as the suite's batch files expect, then PATH.
std::string locate(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    if (isExecutableFile("./" + name))
        return "./" + name;
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

void waitForEnter()
{
    if (!isatty(STDIN_FILENO))
        return;
    std::cout << "Press Enter to continue . . ." << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
}

// Runs one command and waits for it; false when it could not be started.
bool run(const std::vector<std::string> &words, std::string &why)
{
    const std::string program = locate(words.front());
    if (program.empty()) {
        why = words.front() + ": command not found";
        return false;
    }
    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        why = std::strerror(errno);
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        why = std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        close(errPipe[0]);
        std::vector<char *> argv;
        for (const std::string &w : words)
            argv.push_back(const_cast<char *>(w.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        const int err = errno;
        (void)!write(errPipe[1], &err, sizeof err);
        _exit(127);
    }
    close(errPipe[1]);
    int err = 0;
    const ssize_t got = read(errPipe[0], &err, sizeof err);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got == sizeof err) {
        why = program + ": " + std::strerror(err);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: tolvbat BATCHFILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "tolvbat: cannot open " << argv[1] << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string line = trim(raw);
        if (!line.empty() && line.front() == '@')
            line = trim(line.substr(1));
        const std::string low = lower(line);
        const bool remark = low.rfind("rem", 0) == 0 && (low.size() == 3 || low[3] == ' ' || low[3] == '\t');
        if (line.empty() || low == "echo off" || remark)
            continue;
        if (low == "pause") {
            waitForEnter();
            continue;
        }
        const std::vector<std::string> words = split(line);
        if (words.empty())
            continue;
        std::string why;
        if (!run(words, why)) {
            std::cerr << "tolvbat: " << why << '\n';
            // In a terminal window that closes with us, the reason must stay readable.
            waitForEnter();
            return 1;
        }
    }
    return 0;
}

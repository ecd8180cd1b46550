#include "Batch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace tolv::batch {

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

} // namespace

bool readBatch(const char *path, std::string &text, std::string &why)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = std::string("cannot open ") + path + ": " + std::strerror(errno);
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::string("cannot read ") + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
        if (text.size() > ReadLimit) {
            why = std::string(path) + ": larger than a batch file can be";
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return true;
}

std::vector<Step> parse(const std::string &text)
{
    std::vector<Step> steps;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = text.substr(start, end - start);
        start = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string line = trim(raw);
        if (!line.empty() && line.front() == '@')
            line = trim(line.substr(1));
        const std::string low = lower(line);
        const bool remark = low.rfind("rem", 0) == 0 && (low.size() == 3 || low[3] == ' ' || low[3] == '\t');
        if (line.empty() || low == "echo off" || remark)
            continue;
        Step step;
        if (low == "pause")
            step.pause = true;
        else
            step.words = split(line);
        if (step.pause || !step.words.empty())
            steps.push_back(step);
    }
    return steps;
}

std::string locate(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    if (isExecutableFile("./" + name))
        return "./" + name;
    const char *path = std::getenv("PATH");
    const std::string dirs = path ? path : "";
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

pid_t start(const std::vector<std::string> &words, int output, std::string &why, int &status)
{
    const std::string program = locate(words.front());
    if (program.empty()) {
        why = words.front() + ": command not found";
        status = 127;
        return -1;
    }
    std::vector<char *> argv;
    for (const std::string &w : words)
        argv.push_back(const_cast<char *>(w.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output >= 0) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    }
    // Nothing of ours beyond the standard three, whatever a library opened without O_CLOEXEC.
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        why = program + ": " + std::strerror(error);
        status = error == ENOENT ? 127 : 126;
        return -1;
    }
    return pid;
}

int wait(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string ending(const std::string &program, int waitStatus)
{
    if (WIFEXITED(waitStatus)) {
        if (WEXITSTATUS(waitStatus) == 0)
            return {};
        return "tolvbat: " + program + " ended with exit status " + std::to_string(WEXITSTATUS(waitStatus));
    }
    if (WIFSIGNALED(waitStatus)) {
        return "tolvbat: " + program + " was ended by signal " + std::to_string(WTERMSIG(waitStatus)) + " ("
                + strsignal(WTERMSIG(waitStatus)) + ")";
    }
    return {};
}

std::string notStarted(const std::string &why, int status)
{
    return "tolvbat: " + why + " (exit status " + std::to_string(status) + ")";
}

} // namespace tolv::batch

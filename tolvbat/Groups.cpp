#include "Groups.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolv::batch {

namespace {

void reap(pid_t pid)
{
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// The state and the process group of a process, from /proc/PID/stat; false when it is gone.
bool stateAndGroup(const char *pid, char *state, pid_t *group)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return false;
    buffer[n] = '\0';
    // The command name may hold blanks and parentheses: the fields follow the last ')'.
    const char *fields = std::strrchr(buffer, ')');
    int parent = 0;
    int pgrp = 0;
    if (!fields || std::sscanf(fields + 1, " %c %d %d", state, &parent, &pgrp) != 3)
        return false;
    *group = pgrp;
    return true;
}

} // namespace

bool groupRuns(pid_t group)
{
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return true; // nothing can be told: let the kill decide
    bool runs = false;
    while (const dirent *entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        char state = 0;
        pid_t pgrp = 0;
        if (stateAndGroup(entry->d_name, &state, &pgrp) && pgrp == group && state != 'Z' && state != 'X') {
            runs = true;
            break;
        }
    }
    ::closedir(proc);
    return runs;
}

void Groups::add(pid_t leader)
{
    m_leaders.push_back(leader);
}

void Groups::ended(pid_t leader)
{
    if (groupRuns(leader))
        return;
    m_leaders.erase(std::remove(m_leaders.begin(), m_leaders.end(), leader), m_leaders.end());
    reap(leader);
}

void Groups::hangUp()
{
    m_hungUp = true;
    for (const pid_t leader : m_leaders) {
        ::kill(-leader, SIGHUP);
        // A stopped process takes its hangup only once it goes on.
        ::kill(-leader, SIGCONT);
    }
}

bool Groups::anyRuns() const
{
    return std::any_of(m_leaders.begin(), m_leaders.end(), groupRuns);
}

void Groups::end(int graceMs)
{
    if (m_leaders.empty())
        return;
    if (!m_hungUp)
        hangUp();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (anyRuns() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (const pid_t leader : m_leaders)
        ::kill(-leader, SIGKILL);
    for (const pid_t leader : m_leaders)
        reap(leader);
    m_leaders.clear();
    m_hungUp = false;
}

} // namespace tolv::batch

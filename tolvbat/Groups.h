// What a batch run leaves running. Each command of a console window runs in a session and process
// group of its own, and a program it starts in the background stays in that group after the
// command has ended; closing the console ends every such group, as closing a console window
// ends what runs in it. A program that starts a session of its own has left the group and is out
// of reach.
#pragma once

#include <vector>

#include <sys/types.h>

namespace tolv::batch {

// How long the groups may take to end on their hangup before whatever is left is killed.
inline constexpr int HangupGraceMs = 2000;

// Whether a process of the group has not ended yet (a zombie has), as /proc tells.
bool groupRuns(pid_t group);

class Groups
{
public:
    // A command started in a group of its own; its process id names the group. The command is
    // not waited for (reaped) until its group is let go, so that the id cannot name another
    // group meanwhile.
    void add(pid_t leader);
    // The command has ended: its group is let go (and the command reaped) when nothing of it
    // runs any more, and kept otherwise.
    void ended(pid_t leader);
    // A hangup to every group kept.
    void hangUp();
    // A hangup to every group kept, a kill for whatever is left after `graceMs` (at once when
    // nothing is left), and every command waited for.
    void end(int graceMs = HangupGraceMs);
    bool empty() const { return m_leaders.empty(); }

private:
    bool anyRuns() const;

    std::vector<pid_t> m_leaders;
    bool m_hungUp = false;
};

} // namespace tolv::batch

// What the Qt platform needs of the operating system itself: the narrow encoding, bounded reads,
// safe replacement of a file and the start of a program. One implementation per system
// (Native_posix.cpp, Native_win.cpp); nothing outside platform/ includes this.
#pragma once

#include "Platform.h"

#include <QByteArray>
#include <QList>

#ifndef Q_OS_WIN
#include <sys/types.h>
#endif

namespace tolv::native {

// The most bytes of a file that the launcher reads: five paths of the longest kind that the
// systems allow (32,767 characters, two bytes each in a multi-byte code page) fit in it.
inline constexpr qint64 ReadLimit = 1024 * 1024;

// Prepares the process before anything else runs: standard descriptors that are closed are opened
// on the null device, so that no file the launcher opens later becomes a started program's output.
void prepareProcess();

// The folder of the running executable in native form, or a reason when its name cannot be
// represented exactly (a byte that does not decode).
Result<QString> executableFolder();

// The system's narrow, byte-based encoding (the ANSI code page on Windows, the locale's elsewhere).
// Decoding keeps every byte visible: one that does not decode becomes U+FFFD, never nothing.
QString decodeNarrow(const QByteArray &bytes);
// A failure of kind NotEncodable when a character cannot be encoded exactly (no look-alike, no lone
// surrogate, no NUL).
Result<QByteArray> encodeNarrow(const QString &text);

// At most `limit` bytes of a regular file, opened without blocking and checked after the open;
// a reason for anything else (a folder, a FIFO, a device, a larger or growing file).
Result<QByteArray> readFile(const QString &path, qint64 limit);

// Replaces the entry at `path` with a regular file holding `bytes`: written to a temporary file in
// the same folder, then renamed onto the entry, so a symbolic link there is replaced and its target
// never touched. New files get the user's default permissions. Stale temporary files of earlier,
// interrupted writes are removed.
Outcome replaceFile(const QString &path, const QByteArray &bytes);

// Starts the program at `path` (absolute) in the current directory without waiting, with the
// trimmed argument text; a batch file runs in the system's command interpreter (or the launcher's
// own, which lies in `appFolder`).
Outcome start(const QString &path, const QString &argText, const QString &appFolder);

// Can the system's command interpreter run a batch file of the folder with the folder as its
// current one? (cmd.exe takes no network folder and no path past its limit; tolvbat takes any.)
Outcome batchFolderUsable(const QString &folder);

#ifndef Q_OS_WIN
// How spawn() sets up the program it starts. It never inherits a descriptor of ours but standard
// input, output and error, whatever a library opened without close-on-exec.
struct SpawnOptions
{
    // In a session (and process group) of its own, with default handling of every signal and none
    // blocked: no terminal's or window's end reaches it by accident, and the group can be ended whole.
    bool newSession = false;
    // Standard input from the null device, so that it never reads what was meant for us.
    bool nullInput = false;
    // Standard output and error to this descriptor; -1 leaves them as they are.
    int output = -1;
};

// Starts `program` (a path, used as it is) with `argv` (the first is the name it is called by) in
// the current directory, without waiting. The process id, which the caller must wait for; the
// system's reason when it cannot be executed, of kind Missing when the program (or its
// interpreter) is not there, so that a caller can tell the kinds apart as a shell does.
Result<pid_t> spawn(const QByteArray &program, const QList<QByteArray> &argv, const SpawnOptions &options);
#endif

} // namespace tolv::native

// The one interface through which the launcher reaches the machine: its folder, files, message
// boxes, the open-file dialog and program starts. QtPlatform implements it; tests use a fake.
#pragma once

#include "Result.h"

#include <QString>

#include <optional>

namespace tolv {

// What stands at a path: nothing, a regular file, or something else (a folder, a FIFO, a device).
enum class Entry { None, File, Other };

// The start of a text file: all of it, or, for a larger file, the whole lines that fit in the
// platform's bound on what it reads.
struct TextStart
{
    QString text;
    bool whole = true;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // Folder of the running executable, in the platform's native form.
    virtual QString appFolder() const = 0;
    // The folder separator that composed paths use ("\" on Windows, "/" elsewhere).
    virtual QChar separator() const = 0;
    // The application title, shown on message boxes that are given no title.
    virtual QString appTitle() const = 0;

    // Is there an ordinary file at the path, or something else, or nothing? A failure when the
    // test itself fails (a name the system cannot take).
    virtual Result<Entry> fileExists(const QString &path) = 0;
    // The text of a regular file in the narrow encoding, read from a bounded prefix without
    // blocking; a reason when it is not a regular file, has no line end within the bound or
    // cannot be read.
    virtual Result<TextStart> readText(const QString &path) = 0;
    // Can the text be written in the narrow encoding and read back whole and unchanged? A reason
    // otherwise (a character the encoding lacks, a NUL, a byte that did not decode, too long).
    virtual Outcome encodable(const QString &text) const = 0;
    // Replaces the file whole with the text in the narrow encoding: either the new file is complete
    // or the old one stays as it was. A symbolic link at the path is replaced, never followed; a
    // read-only file (no write permission for anyone) is kept.
    virtual Outcome replaceFile(const QString &path, const QString &text) = 0;
    virtual Outcome setCurrentDir(const QString &path) = 0;

    // Can the system's command interpreter run a batch file that lies in the folder, with the folder
    // as its current one? A reason otherwise (a network folder, a path too long for it).
    virtual Outcome batchFolderUsable(const QString &folder) const = 0;

    // Modal box with the critical-stop icon and a single OK button.
    virtual void critical(const QString &title, const QString &text) = 0;
    // Starts the program (or batch file) at `program` in the current directory, without waiting.
    // `argText` is already trimmed; empty means no argument.
    virtual Outcome start(const QString &program, const QString &argText) = 0;
    // Asks the user for an existing file to open; `filter` is "description|pattern" or empty for
    // all files, `folder` the folder to start in or empty. Nothing on cancel or failure.
    virtual std::optional<QString> chooseOpenFile(const QString &title, const QString &filter,
                                                  const QString &folder) = 0;
    // Ends the program at once: no close events, nothing saved.
    virtual void endProgram() = 0;

    // A steady clock in milliseconds, and the system's double-click interval in milliseconds: a
    // second press that comes within it belongs to the same double click.
    virtual qint64 clockMs() const = 0;
    virtual int doubleClickMs() const = 0;

    // The application folder, the separator and a file name.
    QString appPath(const QString &fileName) const { return appFolder() + separator() + fileName; }
};

} // namespace tolv

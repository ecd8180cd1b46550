// The small interfaces through which the launcher reaches the machine.
// QtPlatform implements them for the real program; tests use a fake.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tolv {

// Where the program lives and what it is called.
class AppEnv
{
public:
    virtual ~AppEnv() = default;
    // Folder of the running executable, in the platform's native form.
    virtual QString appFolder() const = 0;
    // The folder separator that composed paths use ("\" on Windows, "/" elsewhere).
    virtual QChar separator() const = 0;
    // The application title, shown on message boxes that are given no title.
    virtual QString appTitle() const = 0;
};

enum class Existence { Absent, Present, Error };

// Successive comma- or line-delimited fields of one text file.
class FieldSource
{
public:
    virtual ~FieldSource() = default;
    // The next field, or nothing when reading past the end fails.
    virtual std::optional<QString> next() = 0;
};

struct Outcome
{
    bool ok = true;
    QString reason; // the platform's reason when !ok
    static Outcome success() { return {}; }
    static Outcome failure(const QString &why) { return {false, why}; }
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;
    // Is there an ordinary file (not a folder) at the path?
    virtual Existence fileExists(const QString &path) = 0;
    // Opens a text file in the narrow encoding for field reading; null when it cannot be opened.
    virtual std::unique_ptr<FieldSource> openFields(const QString &path) = 0;
    // Replaces the file whole with these lines, each ended by CR LF, in the narrow encoding.
    // Either the new file is complete or the old one stays as it was.
    virtual Outcome writeLines(const QString &path, const QStringList &lines) = 0;
    virtual Outcome setCurrentDir(const QString &path) = 0;
    virtual QString currentDir() const = 0;
};

class Messages
{
public:
    virtual ~Messages() = default;
    // Modal box with the critical-stop icon and a single OK button.
    virtual void critical(const QString &title, const QString &text) = 0;
};

class Processes
{
public:
    virtual ~Processes() = default;
    // Starts the program (or batch file) at `program` in the current directory, without waiting.
    // `argText` is already trimmed; empty means no argument.
    virtual Outcome startProgram(const QString &program, const QString &argText) = 0;
};

// One open-file dialog instance; it keeps its settings between showings.
class OpenFileDialog
{
public:
    virtual ~OpenFileDialog() = default;
    virtual void setCancelError(bool on) = 0;
    virtual void setTitle(const QString &title) = 0;
    // Filter in the form "description|pattern".
    virtual void setFilter(const QString &filter) = 0;
    virtual void setFlags(int flags) = 0;
    // Shows the dialog for opening a file; the chosen path, or nothing on cancel or failure.
    virtual std::optional<QString> showOpen() = 0;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    virtual std::unique_ptr<OpenFileDialog> newOpenFileDialog() = 0;
};

class AppControl
{
public:
    virtual ~AppControl() = default;
    // Ends the program at once: no close events, nothing saved.
    virtual void endProgram() = 0;
};

class Platform : public AppEnv,
                 public FileSystem,
                 public Messages,
                 public Processes,
                 public Dialogs,
                 public AppControl
{
public:
    // The application folder, the separator and a file name.
    QString appPath(const QString &fileName) const { return appFolder() + separator() + fileName; }
};

} // namespace tolv

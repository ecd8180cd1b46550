// A platform for tests: an in-memory file system, recorded messages, starts and open-file
// dialogs, one ordered log of what happened, a clock the test sets, and switches that make any
// operation fail.
#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTest>

#include <deque>

namespace tolv::test {

struct Message
{
    QString title;
    QString text;
    friend bool operator==(const Message &a, const Message &b)
    {
        return a.title == b.title && a.text == b.text;
    }
    // How QCOMPARE shows it.
    friend char *toString(const Message &m)
    {
        return QTest::toString(m.title + QStringLiteral(" | ") + m.text);
    }
};

struct Start
{
    QString program;
    QString argText;
    QString currentDir;
    friend bool operator==(const Start &a, const Start &b)
    {
        return a.program == b.program && a.argText == b.argText && a.currentDir == b.currentDir;
    }
    friend char *toString(const Start &s)
    {
        return QTest::toString(s.program + QStringLiteral(" [") + s.argText + QStringLiteral("] in ")
                               + s.currentDir);
    }
};

// What an open-file dialog was asked to show.
struct DialogSettings
{
    QString title;
    QString filter;
    QString folder;
};

// Open-file dialogs that answer from a script and record what each was asked to show.
class DialogScript
{
public:
    // Answers of the open-file dialogs, in order of showing; nothing = cancel.
    std::deque<std::optional<QString>> dialogAnswers;
    QList<DialogSettings> dialogShowings;

    std::optional<QString> answerDialog(const QString &title, const QString &filter,
                                        const QString &folder)
    {
        dialogShowings << DialogSettings{title, filter, folder};
        if (dialogAnswers.empty())
            return std::nullopt;
        std::optional<QString> answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
};

class FakePlatform : public Platform, public DialogScript
{
public:
    QString folder = QStringLiteral("/app");
    QChar sep = u'/';
    QString title = QStringLiteral("TOLVStrel");

    QMap<QString, QString> files;      // path -> text as decoded
    QSet<QString> existsFails;         // the existence test raises an error
    QSet<QString> notFiles;            // a folder, FIFO or device stands there
    QMap<QString, QString> readFails;  // path -> why the file that is there cannot be read
    QString notNarrow;                 // characters that the narrow encoding cannot hold
    QMap<QString, QString> writeFails; // path -> the platform's reason
    QSet<QString> dirFails;            // changing to this directory fails
    QMap<QString, QString> batchFolderFails; // folder -> why no batch file runs there
    QMap<QString, QString> startFails; // program -> the platform's reason
    QString cwd = QStringLiteral("/home/user");

    // What happened, in order: "write <path>", "cd <folder>", "start <program>", "message <title>".
    QStringList log;
    // The same events of one kind each, with what a row compares.
    QList<Message> messages;
    QList<Start> starts;
    QStringList writes;                // paths written, in order
    int ended = 0;

    qint64 now = 0;                    // the clock, in milliseconds
    int doubleClick = 400;             // the double-click interval, in milliseconds

    QString appFolder() const override { return folder; }
    QChar separator() const override { return sep; }
    QString appTitle() const override { return title; }

    Result<Entry> fileExists(const QString &path) override
    {
        if (existsFails.contains(path))
            return failure(FailureKind::NameNotExact, QStringLiteral("bad name"));
        if (notFiles.contains(path))
            return success(Entry::Other);
        return success(files.contains(path) ? Entry::File : Entry::None);
    }

    Result<TextStart> readText(const QString &path) override
    {
        if (readFails.contains(path))
            return failure(FailureKind::System, readFails.value(path));
        if (notFiles.contains(path))
            return failure(FailureKind::NotRegularFile, QStringLiteral("not a regular file"));
        if (!files.contains(path))
            return failure(FailureKind::Missing, QStringLiteral("No such file"));
        return success(TextStart{files.value(path), true});
    }

    Outcome encodable(const QString &text) const override
    {
        for (const QChar c : text) {
            if (c == QChar(0) || c == QChar::ReplacementCharacter || notNarrow.contains(c))
                return failure(FailureKind::NotEncodable, QStringLiteral("not in the narrow encoding"));
        }
        return success();
    }

    Outcome replaceFile(const QString &path, const QString &text) override
    {
        if (writeFails.contains(path))
            return failure(FailureKind::System, writeFails.value(path));
        const Outcome narrow = encodable(text);
        if (!narrow.ok())
            return narrow;
        files[path] = text;
        writes << path;
        log << QStringLiteral("write ") + path;
        return success();
    }

    Outcome setCurrentDir(const QString &path) override
    {
        if (dirFails.contains(path))
            return failure(FailureKind::Missing, QStringLiteral("no such directory"));
        cwd = path;
        log << QStringLiteral("cd ") + path;
        return success();
    }

    Outcome batchFolderUsable(const QString &folder) const override
    {
        if (batchFolderFails.contains(folder))
            return failure(FailureKind::FolderUnusable, batchFolderFails.value(folder));
        return success();
    }

    void critical(const QString &t, const QString &text) override
    {
        messages << Message{t, text};
        log << QStringLiteral("message ") + t;
    }

    Outcome start(const QString &program, const QString &argText) override
    {
        if (startFails.contains(program))
            return failure(FailureKind::System, startFails.value(program));
        starts << Start{program, argText, cwd};
        log << QStringLiteral("start ") + program;
        return success();
    }

    std::optional<QString> chooseOpenFile(const QString &t, const QString &filter,
                                          const QString &dir) override
    {
        return answerDialog(t, filter, dir);
    }

    void endProgram() override { ++ended; }
    qint64 clockMs() const override { return now; }
    int doubleClickMs() const override { return doubleClick; }

    // The path that the launcher composes for a file in its folder.
    QString inApp(const QString &name) const { return folder + sep + name; }
    // A Windows-like machine: the application folder C:\TOLV, backslashes between folders.
    void useBackslashes()
    {
        folder = QStringLiteral("C:\\TOLV");
        sep = u'\\';
    }
};

} // namespace tolv::test

// A platform for tests: an in-memory file system, recorded messages, starts and dialogs, and
// switches that make any operation fail.
#pragma once

#include "core/Fields.h"
#include "platform/Platform.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTest>

#include <deque>
#include <memory>

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

struct DialogSettings
{
    bool cancelError = false;
    QString title;
    QString filter;
    int flags = 0;
    int shown = 0;
};

// Open-file dialogs that answer from a script and record their settings at each showing.
class DialogScript
{
public:
    // Answers of the open-file dialogs, in order of showing; nothing = cancel.
    std::deque<std::optional<QString>> dialogAnswers;
    // Settings of each open-file dialog instance at each showing.
    QList<DialogSettings> dialogShowings;
    int dialogsCreated = 0;

    std::unique_ptr<OpenFileDialog> newScriptedDialog()
    {
        ++dialogsCreated;
        return std::make_unique<Dialog>(*this);
    }

private:
    class Dialog : public OpenFileDialog
    {
    public:
        explicit Dialog(DialogScript &script) : m_script(script) {}
        void setCancelError(bool on) override { m_settings.cancelError = on; }
        void setTitle(const QString &t) override { m_settings.title = t; }
        void setFilter(const QString &f) override { m_settings.filter = f; }
        void setFlags(int flags) override { m_settings.flags = flags; }
        std::optional<QString> showOpen() override
        {
            ++m_settings.shown;
            m_script.dialogShowings << m_settings;
            if (m_script.dialogAnswers.empty())
                return std::nullopt;
            std::optional<QString> answer = m_script.dialogAnswers.front();
            m_script.dialogAnswers.pop_front();
            return answer;
        }

    private:
        DialogScript &m_script;
        DialogSettings m_settings;
    };
};

class FakePlatform : public Platform, public DialogScript
{
public:
    QString folder = QStringLiteral("/app");
    QChar sep = u'/';
    QString title = QStringLiteral("TOLVStrel");

    QMap<QString, QString> files;  // path -> text as decoded
    QSet<QString> existsFails;     // the existence test raises an error
    QSet<QString> openFails;       // the file exists but cannot be opened
    QMap<QString, QString> writeFails; // path -> the platform's reason
    QSet<QString> dirFails;        // changing to this directory fails
    QMap<QString, QString> startFails; // program -> the platform's reason
    QString cwd = QStringLiteral("/home/user");

    QList<Message> messages;
    QList<Start> starts;
    QStringList writes;            // paths written, in order
    int ended = 0;

    QString appFolder() const override { return folder; }
    QChar separator() const override { return sep; }
    QString appTitle() const override { return title; }

    Existence fileExists(const QString &path) override
    {
        if (existsFails.contains(path))
            return Existence::Error;
        return files.contains(path) ? Existence::Present : Existence::Absent;
    }

    std::unique_ptr<FieldSource> openFields(const QString &path) override
    {
        if (!files.contains(path) || openFails.contains(path))
            return nullptr;
        return std::make_unique<Fields>(files.value(path));
    }

    Outcome writeLines(const QString &path, const QStringList &lines) override
    {
        if (writeFails.contains(path))
            return Outcome::failure(writeFails.value(path));
        QString text;
        for (const QString &line : lines)
            text += line + QStringLiteral("\r\n");
        files[path] = text;
        writes << path;
        return Outcome::success();
    }

    Outcome setCurrentDir(const QString &path) override
    {
        if (dirFails.contains(path))
            return Outcome::failure(QStringLiteral("no such directory"));
        cwd = path;
        return Outcome::success();
    }
    QString currentDir() const override { return cwd; }

    void critical(const QString &t, const QString &text) override { messages << Message{t, text}; }

    Outcome startProgram(const QString &program, const QString &argText) override
    {
        if (startFails.contains(program))
            return Outcome::failure(startFails.value(program));
        starts << Start{program, argText, cwd};
        return Outcome::success();
    }

    std::unique_ptr<OpenFileDialog> newOpenFileDialog() override { return newScriptedDialog(); }

    void endProgram() override { ++ended; }

    // The path that the launcher composes for a file in its folder.
    QString inApp(const QString &name) const { return folder + sep + name; }
    // A Windows-like machine: the application folder C:\TOLV, backslashes between folders.
    void useBackslashes()
    {
        folder = QStringLiteral("C:\\TOLV");
        sep = u'\\';
    }

private:
    class Fields : public FieldSource
    {
    public:
        explicit Fields(const QString &text) : m_reader(text) {}
        std::optional<QString> next() override { return m_reader.next(); }

    private:
        FieldReader m_reader;
    };
};

} // namespace tolv::test

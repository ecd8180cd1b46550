// The real platform on a folder of the test's choosing: the real file system and processes, with
// messages recorded instead of shown, the open-file dialog scripted and, on request, starts
// recorded instead of made. Snapshots of a folder prove that a failed step changed nothing.
#pragma once

#include "FakePlatform.h"
#include "platform/QtPlatform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace tolv::test {

class FolderPlatform : public QtPlatform, public DialogScript
{
public:
    FolderPlatform() = default;
    explicit FolderPlatform(const QString &dir) : folder(QDir::toNativeSeparators(dir)) {}

    QString folder;
    QList<Message> messages;
    // Starts are recorded in `starts` instead of being made.
    bool recordStarts = false;
    QList<Start> starts;

    QString appFolder() const override { return folder; }
    QString appTitle() const override { return QStringLiteral("TOLVStrel"); }
    void critical(const QString &t, const QString &text) override { messages << Message{t, text}; }
    Outcome start(const QString &program, const QString &argText) override
    {
        if (!recordStarts)
            return QtPlatform::start(program, argText);
        starts << Start{program, argText, QDir::toNativeSeparators(QDir::currentPath())};
        return success();
    }
    std::optional<QString> chooseOpenFile(const QString &t, const QString &filter,
                                          const QString &dir) override
    {
        return answerDialog(t, filter, dir);
    }
};

// Every entry under the folder: files with their bytes, folders and other entries by name.
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            entries[path] = "-> " + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            entries[path] = "<dir>";
        else if (info.isFile()) {
            QFile f(path);
            entries[path] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
        } else
            entries[path] = "<other>";
    }
    return entries;
}

} // namespace tolv::test

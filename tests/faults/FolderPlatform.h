// The real platform on a folder of the test's choosing, with messages recorded instead of shown,
// and snapshots of a folder's files to prove that a failed step changed nothing.
#pragma once

#include "platform/QtPlatform.h"
#include "tests/support/FakePlatform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace tolv::test {

class FolderPlatform : public QtPlatform
{
public:
    explicit FolderPlatform(const QString &folder) : m_folder(QDir::toNativeSeparators(folder)) {}

    QString appFolder() const override { return m_folder; }
    void critical(const QString &t, const QString &text) override { messages << Message{t, text}; }

    QList<Message> messages;

private:
    QString m_folder;
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

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace tolv::test

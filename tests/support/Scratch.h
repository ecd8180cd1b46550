// For tests that touch the real file system and start real programs: a throw-away folder, scripts
// that record how they were started, and the real platform with its application folder moved there.
#pragma once

#include "FolderPlatform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace tolv::test {

// Where the build puts the launcher's helper programs (the batch interpreter).
inline QString binDir()
{
    return qEnvironmentVariable("TOLV_BIN_DIR", QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool writeFile(const QString &path, const QByteArray &bytes, bool executable = false)
{
    QFile f(path);
    QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        perms |= QFile::ExeOwner;
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size()
        && f.setPermissions(perms);
}

// One line of the start log: how the program was called ($0), its working folder, each argument in [].
inline QString startLine(const QString &called, const QString &folder, const QStringList &args = {})
{
    QString line = called + u'|' + folder;
    for (const QString &a : args)
        line += QStringLiteral("|[") + a + u']';
    return line;
}

// A throw-away folder, named by its canonical path so that it compares with what programs report.
class Scratch
{
public:
    Scratch() : m_root(QDir(m_tmp.path()).canonicalPath()) {}
    bool isValid() const { return m_tmp.isValid(); }
    QString root() const { return m_root; }
    QString path(const QString &name) const { return m_root + u'/' + name; }
    QString log() const { return path(QStringLiteral("starts.log")); }

    // An executable script that appends its start line to the start log, then runs `then` (shell).
    // Shell built-ins only, so that it runs with an empty PATH.
    bool addRecorder(const QString &file, const QByteArray &then = {}) const
    {
        return writeFile(file,
                         "#!/bin/sh\nline=\"$0|$(pwd -P)\"\nfor a in \"$@\"; do line=\"$line|[$a]\"; done\n"
                         "printf '%s\\n' \"$line\" >> '" + QFile::encodeName(log()) + "'\n" + then,
                         true);
    }
    QStringList starts() const
    {
        return QString::fromUtf8(QFile::exists(log()) ? readBytes(log()) : QByteArray())
                .split(u'\n', Qt::SkipEmptyParts);
    }
    // The start log once it holds `n` lines, waiting (bounded) for them; with a short wait, also
    // that no further line comes.
    QStringList waitForStarts(int n, int settleMs = 0) const
    {
        const QDeadlineTimer deadline(10000);
        while (starts().size() < n && !deadline.hasExpired())
            QTest::qWait(20);
        if (settleMs > 0)
            QTest::qWait(settleMs);
        return starts();
    }

private:
    QTemporaryDir m_tmp;
    QString m_root;
};

} // namespace tolv::test

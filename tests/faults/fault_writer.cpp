// Writes the run record into an application folder that the file system refuses to change, in a
// private mount namespace so that nothing outside this process sees the mounts:
//   fault_writer readonly FOLDER   FOLDER is bind-mounted read-only over itself
//   fault_writer full FOLDER       FOLDER is a tiny tmpfs that holds an earlier run.dat and is full
//   fault_writer nearly-full FOLDER   the same with two pages free: the new record fits only in part
// Prints one JSON object: "skip" with the reason when the namespace cannot be had, otherwise the
// messages that the user got, run.dat before and after (base64) and the folder's entries after.
#include "FolderPlatform.h"

#include "core/TOLV_Com.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

using namespace tolv;

namespace {

int print(const QJsonObject &o)
{
    std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputs("\n", stdout);
    return 0;
}

int skip(const char *step)
{
    return print({{"skip", QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)))}});
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    const QByteArray folder = argv[2];

    // Before any thread exists: a multi-threaded process cannot leave its mount namespace.
    if (unshare(CLONE_NEWNS) != 0)
        return skip("unshare");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return skip("mount private");

    QCoreApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(folder);
    test::FolderPlatform p(dir);
    const QString runDat = p.appPath(RunDatName);

    if (mode == "readonly") {
        if (mount(folder.constData(), folder.constData(), nullptr, MS_BIND, nullptr) != 0)
            return skip("bind mount");
        if (mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return skip("read-only remount");
    } else if (mode == "full" || mode == "nearly-full") {
        if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") != 0)
            return skip("tmpfs mount");
        TOLV_Com earlier;
        earlier.setFileSet(QStringLiteral("/earlier/beam"));
        if (!earlier.Write_RunDat(p).ok)
            return 3;
        QFile filler(dir + QLatin1String("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return 3;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) { }
        if (mode == "nearly-full" && !filler.resize(filler.size() - 2 * block.size()))
            return 3;
    } else {
        return 2;
    }

    const QByteArray before = readAll(runDat);
    TOLV_Com com;
    com.setFileSet(QStringLiteral("/next/") + QString(3000, u'n'));
    const Outcome written = com.Write_RunDat(p);
    if (!written.ok)
        reportWriteFailure(p, runDat, written.reason);

    QJsonArray messages;
    for (const test::Message &m : p.messages)
        messages << QJsonArray{m.title, m.text};
    QJsonArray entries;
    for (const QString &name : QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        entries << name;
    return print({{"written", written.ok},
                  {"path", runDat},
                  {"reason", written.reason},
                  {"messages", messages},
                  {"before", QString::fromLatin1(before.toBase64())},
                  {"after", QString::fromLatin1(readAll(runDat).toBase64())},
                  {"entries", entries}});
}

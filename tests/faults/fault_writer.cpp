// Runs the data-file dialog's Run command in an application folder that the file system refuses
// to change, inside a private mount namespace so that nothing outside this process sees the mounts:
//   fault_writer MODE TOOL FOLDER NAME
//   MODE readonly: FOLDER is bind-mounted read-only over itself
//        full: FOLDER is a small tmpfs holding an earlier run.dat and TOLV_Post.exe, and full
//        nearly-full: the same with two pages free, so the new record fits only in part
//   TOOL solver or post: the dialog's mode; NAME: the text of its file-name field
// Prints one JSON object: "skip" with the reason when no namespace can be had, otherwise the
// messages that the user got, the folder's run.dat before and after (base64) and its entries after.
#include "support/Scratch.h"

#include "core/Starts.h"
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
    if (argc != 5)
        return 2;
    const QByteArray mode = argv[1];
    const QByteArray tool = argv[2];
    const QByteArray folder = argv[3];

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
        if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=256k") != 0)
            return skip("tmpfs mount");
        TOLV_Com earlier;
        earlier.setFileSet(QStringLiteral("/earlier/beam"));
        if (!earlier.Write_RunDat(p).ok() || !QFile::copy(QStringLiteral("/bin/true"), p.appPath(PostProgram)))
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
    com.Exec_Mode = tool == "solver" ? ModeSolver : ModePost;
    Starts(com, p).run(QString::fromLocal8Bit(argv[4]));

    QJsonArray messages;
    for (const test::Message &m : p.messages)
        messages << QJsonArray{m.title, m.text};
    QJsonArray entries;
    for (const QString &name : QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        entries << name;
    return print({{"messages", messages},
                  {"before", QString::fromLatin1(before.toBase64())},
                  {"after", QString::fromLatin1(readAll(runDat).toBase64())},
                  {"entries", entries}});
}

// Runs one platform operation in a process of its own, for the tests that need another user, a
// folder of their own for the program, or standard descriptors closed:
//   platform_probe appfolder          prints the application folder, or "refused: <reason>"
//   platform_probe fds OUT            makes the application, opens a file and writes its descriptor
//                                     number to OUT
//   platform_probe replace PATH TEXT  replaces PATH with TEXT; prints "ok" or the reason
//   platform_probe hold PATH          replaces PATH over and over until it is killed
//   platform_probe read PATH          reads PATH as run.dat is read; prints "whole", "partial" or
//                                     the reason, and the microseconds the read took
#include "platform/QtPlatform.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    const QByteArray mode = argv[1];
    if (mode == "fds" && argc == 3) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const auto app = tolv::createApplication(argc, argv);
        const int fd = ::open("/dev/null", O_RDONLY);
        QFile out(QString::fromLocal8Bit(argv[2]));
        return out.open(QIODevice::WriteOnly) && out.write(QByteArray::number(fd)) > 0 ? 0 : 3;
    }
    tolv::QtPlatform p;
    if (mode == "appfolder") {
        const auto &folder = p.appFolderResult();
        std::printf("%s\n", qPrintable(folder.ok() ? folder.value() : "refused: " + folder.reason()));
        return 0;
    }
    if (mode == "replace" && argc == 4) {
        const tolv::Outcome out = p.replaceFile(QFile::decodeName(argv[2]), QString::fromUtf8(argv[3]));
        std::printf("%s\n", qPrintable(out.ok() ? QStringLiteral("ok") : out.reason()));
        return 0;
    }
    if (mode == "read" && argc == 3) {
        QElapsedTimer timer;
        timer.start();
        const tolv::Result<tolv::TextStart> read = p.readText(QFile::decodeName(argv[2]));
        const qint64 us = timer.nsecsElapsed() / 1000;
        const QString what = read.ok() ? (read.value().whole ? "whole" : "partial") : read.reason();
        std::printf("%s %lld\n", qPrintable(what), static_cast<long long>(us));
        return 0;
    }
    if (mode == "hold" && argc == 3) {
        std::printf("holding\n");
        std::fflush(stdout);
        const QString text = QString(60000, u'x') + QStringLiteral("\r\n");
        for (;;)
            (void)p.replaceFile(QFile::decodeName(argv[2]), text);
    }
    return 2;
}

// How long Exec_Program takes to return for a program that it starts: a copy of /bin/true as
// TOLV_Pre.exe in a temporary application folder, started RUNS times (first argument, default 50),
// alternately without and with an argument text, from a process that shows the main window as the
// launcher does (a start forks the whole process). Prints the median and the slowest call.
#include "core/TOLV_Com.h"
#include "core/Texts.h"
#include "platform/QtPlatform.h"

#include "ui/main/Main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

class FolderPlatform : public tolv::QtPlatform
{
public:
    explicit FolderPlatform(const QString &folder) : m_folder(folder) {}
    QString appFolder() const override { return m_folder; }
    void critical(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        ++failures;
    }
    int failures = 0;

private:
    QString m_folder;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 50;
    QTemporaryDir dir;
    const QString program = dir.filePath(tolv::PreProgram);
    if (!QFile::copy(QStringLiteral("/bin/true"), program))
        return 1;
    FolderPlatform p(QDir::toNativeSeparators(dir.path()));
    tolv::Main window(tolv::TOLV_Com::shared(), p);
    window.show();
    QCoreApplication::processEvents();

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const QString arg = i % 2 ? QStringLiteral("/data/beam.ind.in") : QString();
        const auto start = std::chrono::steady_clock::now();
        tolv::TOLV_Com::Exec_Program(p, 1, tolv::PreProgram, tolv::text::ToolPre, arg);
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        QThread::msleep(5); // let the started program end, as a user's clicks would
        QCoreApplication::processEvents();
    }
    if (p.failures)
        return 1;
    std::sort(ms.begin(), ms.end());
    std::printf("exec_median_ms=%.3f exec_max_ms=%.3f runs=%d\n", ms[ms.size() / 2], ms.back(), runs);
    return 0;
}

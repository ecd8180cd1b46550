// What the demo stand-ins of the suite's programs share: their banner, the analysis files they
// exchange, and an optional record of every start for the end-to-end test.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace suite {

// Every stand-in says so in its window or output.
inline const QString DemoNote = QStringLiteral(
        "Demo stand-in: this program only imitates the suite's real program so that the launcher "
        "can be tried out. Its numbers are an illustration, not an analysis.");

// The solver stand-in's file name: six characters and ".exe", as the launcher expects.
inline const QString SolverProgram = QStringLiteral("STATIC.exe");

// Appends one JSON line to the file named by TOLV_SUITE_LOG, when that variable is set.
// `what` says what happened ("start", "saved", "done", ...); program, pid and time are added.
void record(const QString &program, const QString &what, QJsonObject details = {});
// Records a start: the arguments and the current directory.
void recordStart(const QString &program, const QStringList &args);

// The files of one analysis: the base followed by these suffixes.
struct FileSet
{
    QString base;
    QString dat() const { return base + QStringLiteral(".dat"); }
    QString ana() const { return base + QStringLiteral(".ana"); }
    QString out() const { return base + QStringLiteral(".out"); }
    QString fem() const { return base + QStringLiteral(".fem"); }
    QString indIn() const { return base + QStringLiteral(".ind.in"); }
    QString bat() const { return base + QStringLiteral(".bat"); }
};

// Writes the lines, each ended by CR LF, in the system's narrow encoding. The reason on failure.
std::optional<QString> writeLines(const QString &path, const QStringList &lines);
// Reads a text file in the narrow encoding; nothing when it cannot be read.
std::optional<QString> readText(const QString &path);

// The comma- or line-delimited fields of a text, a leading double quote grouping up to the next one.
QStringList fields(const QString &text);

// The example model: a cantilever with an end load, raised in equal steps.
struct Model
{
    QString title = QStringLiteral("Demo cantilever with end load");
    double lengthMm = 2000;
    double youngNPerMm2 = 205000;
    double inertiaMm4 = 8.0e6;
    double plasticMomentNmm = 6.0e7;
    double loadN = 40000;
    int steps = 10;

    QStringList lines() const;
    // Reads the KEY,value lines written by lines(); nothing when a value is missing or bad.
    static std::optional<Model> parse(const QString &text, QString *why);
};

} // namespace suite

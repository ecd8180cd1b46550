// STATIC.exe, demo stand-in of the suite's static-analysis solver (a console program).
//
// With an argument, that is the analysis data file <base>.ana; the analysis-type file <base>.bat
// written by the preprocessor starts the solver so.
//
// Without arguments (started through the launcher's solver.bat), the analysis is the current one
// of the run record, run.dat, beside this program. The launcher writes run.dat before it writes
// solver.bat and starts it, so the record there is the one the solver was started for: it is read
// at once.
//
// It reads <base>.ana, raises the end load of the example cantilever in steps, prints one line per
// step, and writes <base>.out (the report), <base>.fem (the model's nodes and element) and
// <base>.ind.in (the postprocessor's input). Exit code 0 when done, 1 on any failure.

#include "common/SuiteCommon.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QThread>

#include <cstdio>

namespace {

const QString Program = suite::SolverProgram;

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

int fail(const QString &why)
{
    std::fputs(qPrintable(Program + QStringLiteral(": ") + why + u'\n'), stderr);
    suite::record(Program, QStringLiteral("failed"), {{QStringLiteral("why"), why}});
    return 1;
}

// The analysis data file of the current run record.
std::optional<QString> anaFromRunRecord(QString *why)
{
    const QString recordPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("run.dat"));
    if (!QFileInfo::exists(recordPath)) {
        *why = QStringLiteral("no run record (%1) and no data file given").arg(recordPath);
        return std::nullopt;
    }
    const std::optional<QString> text = suite::readText(recordPath);
    const QStringList record = text ? suite::fields(*text) : QStringList{};
    if (record.size() < 2 || record.at(1).trimmed().isEmpty()) {
        *why = QStringLiteral("the run record %1 names no analysis data file").arg(recordPath);
        return std::nullopt;
    }
    return record.at(1);
}

QString number(double v)
{
    return QString::number(v, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    suite::recordStart(Program, args);
    say(QStringLiteral("%1 - static analysis solver (demo stand-in)").arg(Program));
    say(suite::DemoNote);

    QString ana;
    if (!args.isEmpty()) {
        // A path with blanks may arrive split into several arguments.
        ana = args.join(u' ');
    } else {
        QString why;
        const std::optional<QString> fromRecord = anaFromRunRecord(&why);
        if (!fromRecord)
            return fail(why);
        ana = *fromRecord;
    }
    if (!ana.endsWith(QLatin1String(".ana")))
        return fail(QStringLiteral("not an analysis data file (.ana): ") + ana);
    const suite::FileSet files{ana.chopped(4)};
    say(QStringLiteral("Analysis data: ") + files.ana());

    const std::optional<QString> text = suite::readText(files.ana());
    if (!text)
        return fail(QStringLiteral("cannot read ") + files.ana());
    QString why;
    const std::optional<suite::Model> parsed = suite::Model::parse(*text, &why);
    if (!parsed)
        return fail(files.ana() + QStringLiteral(": ") + why);
    const suite::Model &m = *parsed;

    // Cantilever with an end load P: tip deflection P L^3 / (3 E I) while the support moment P L
    // stays below the plastic moment; a plastic hinge forms at the support when it reaches it.
    const double stiffness = 3 * m.youngNPerMm2 * m.inertiaMm4 / (m.lengthMm * m.lengthMm * m.lengthMm);
    const double collapseLoad = m.plasticMomentNmm / m.lengthMm;
    QStringList out{QStringLiteral("* %1 demo stand-in: results").arg(Program),
                    QStringLiteral("TITLE,") + m.title,
                    QStringLiteral("STEP,LOAD_N,MOMENT_NMM,DEFLECTION_MM,STATE")};
    QString state = QStringLiteral("ELASTIC");
    int lastStep = 0;
    double lastDeflection = 0;
    for (int step = 1; step <= m.steps; ++step) {
        double load = m.loadN * step / m.steps;
        if (load >= collapseLoad) {
            load = collapseLoad;
            state = QStringLiteral("PLASTIC_HINGE");
        }
        const double deflection = load / stiffness;
        say(QStringLiteral("step %1/%2  load %3 N  tip deflection %4 mm  %5")
                    .arg(step).arg(m.steps).arg(number(load), number(deflection), state.toLower()));
        out << QStringLiteral("%1,%2,%3,%4,%5")
                        .arg(step).arg(number(load), number(load * m.lengthMm), number(deflection), state);
        lastStep = step;
        lastDeflection = deflection;
        QThread::msleep(100);
        if (state != QLatin1String("ELASTIC")) {
            say(QStringLiteral("Plastic hinge at the support: collapse load %1 N.").arg(number(collapseLoad)));
            break;
        }
    }
    const QStringList fem{QStringLiteral("* %1 demo stand-in: model").arg(Program),
                          QStringLiteral("NODE,1,0,0"),
                          QStringLiteral("NODE,2,%1,0").arg(number(m.lengthMm)),
                          QStringLiteral("BEAM,1,1,2"),
                          QStringLiteral("SUPPORT,1,FIXED"),
                          QStringLiteral("LOAD,2,%1").arg(number(m.loadN))};
    const QStringList indIn{QStringLiteral("* %1 demo stand-in: input of the postprocessor").arg(Program),
                            QStringLiteral("TITLE,") + m.title,
                            QStringLiteral("MODEL,\"%1\"").arg(files.fem()),
                            QStringLiteral("RESULTS,\"%1\"").arg(files.out()),
                            QStringLiteral("LAST_STEP,%1").arg(lastStep),
                            QStringLiteral("TIP_DEFLECTION_MM,%1").arg(number(lastDeflection)),
                            QStringLiteral("STATE,") + state};
    for (const auto &[path, lines] : {std::pair{files.out(), out}, std::pair{files.fem(), fem},
                                      std::pair{files.indIn(), indIn}}) {
        if (const std::optional<QString> error = suite::writeLines(path, lines))
            return fail(path + QStringLiteral(": ") + *error);
        say(QStringLiteral("Wrote ") + path);
    }
    suite::record(Program, QStringLiteral("done"),
                  {{QStringLiteral("ana"), files.ana()},
                   {QStringLiteral("written"),
                    QJsonArray::fromStringList({files.out(), files.fem(), files.indIn()})}});
    say(QStringLiteral("Done."));
    return 0;
}

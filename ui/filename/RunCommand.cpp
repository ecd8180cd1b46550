#include "RunCommand.h"

#include "core/Fields.h"
#include "core/Texts.h"

namespace tolv {

namespace {

const QString Exe = QStringLiteral(".exe");
const QString In = QStringLiteral(".in");
const QString Pause = QStringLiteral("PAUSE");

// Characters that make the interpreter split, redirect, chain, expand or hide a batch line, and
// those that would make the name a path instead of a program in the application folder.
bool isRefused(QChar c)
{
    static const QString special = QStringLiteral("&|<>^%\",;=@ \\/:");
    return special.contains(c) || c.category() == QChar::Other_Control;
}

// The new record is in place before anything is started from it: a solver started through
// solver.bat reads run.dat beside it, and must find this analysis there, never the previous one.
bool writeRecord(const TOLV_Com &com, Platform &p)
{
    const Outcome written = com.Write_RunDat(p);
    if (!written.ok())
        reportWriteFailure(p, p.appPath(RunDatName), written.reason());
    return written.ok();
}

// The solver mode: from the data file's name to the start of solver.bat.
void runSolver(TOLV_Com &com, Platform &p, const QString &name)
{
    const int pos = suffixPosition(p, name, suffix::Ana);
    if (pos == 0) {
        p.critical(p.appTitle(), text::solverNameRejected(name));
        return;
    }
    const QString base = name.left(pos - 1);
    com.setFileSet(base);
    com.File_Bat = base + suffix::Bat;

    if (p.fileExists(com.File_Bat) != Existence::Present) {
        p.critical(text::MessageTitle, text::AnalysisTypeMissing);
        return;
    }
    const Result<TextStart> analysisType = p.readText(com.File_Bat);
    const auto first = analysisType.ok()
            ? leadingFields(analysisType.value().text, analysisType.value().whole, 1)
            : std::nullopt;
    if (!first) {
        p.critical(text::MessageTitle,
                   text::cannotRead(com.File_Bat, analysisType.ok() ? text::FieldsTooLong
                                                                    : analysisType.reason()));
        return;
    }
    // An analysis-type file that holds no field names no solver either.
    const std::optional<QString> item = first->at(0);
    const std::optional<QString> solver = item ? cutSolverName(*item) : std::nullopt;
    if (!solver) {
        p.critical(p.appTitle(), text::SolverNotNamed);
        return;
    }
    // A folder that the command interpreter cannot work in is told before anything is written.
    const QString folder = p.appFolder();
    const Outcome usable = p.batchFolderUsable(folder);
    if (!usable.ok()) {
        p.critical(text::MessageTitle, text::solverFolderUnusable(folder, usable.reason()));
        return;
    }
    if (!writeRecord(com, p))
        return;

    const QString batch = p.appPath(SolverBatName);
    const Outcome written = p.replaceFile(batch, crlfLines({*solver, Pause}));
    if (!written.ok()) {
        reportWriteFailure(p, batch, written.reason());
        return;
    }
    const Outcome moved = p.setCurrentDir(folder);
    if (!moved.ok()) {
        p.critical(text::MessageTitle, text::cannotChangeDir(folder, moved.reason()));
        return;
    }
    TOLV_Com::Exec_Program(p, 0, batch, text::ToolSolverRun, QString());
}

// The postprocessor (and every other) mode.
void runPost(TOLV_Com &com, Platform &p, const QString &name)
{
    const int pos = suffixPosition(p, name, In);
    if (pos == 0) {
        p.critical(p.appTitle(), text::postNameRejected(name));
        return;
    }
    com.setFileSet(name.left(pos - 1));
    com.File_IndIn = name;
    if (!writeRecord(com, p))
        return;
    TOLV_Com::Exec_Program(p, 1, PostProgram, text::ToolPost, com.File_IndIn);
}

} // namespace

std::optional<QString> cutSolverName(const QString &solverItem)
{
    const QString item = trimSpaces(solverItem);
    const int pos = instr(item, Exe);
    if (pos < 7)
        return std::nullopt;
    const QString cut = trimSpaces(item.mid(pos - 7, 10));
    // Blanks alone in front of ".exe" leave no program name; a cut through a character outside
    // the basic plane leaves half of it.
    if (cut.size() == Exe.size() || !cut.isValidUtf16())
        return std::nullopt;
    for (const QChar c : cut) {
        if (isRefused(c))
            return std::nullopt;
    }
    return cut;
}

void runCommand(TOLV_Com &com, Platform &p, const QString &text)
{
    const QString name = trimSpaces(text);
    if (name.isEmpty()) {
        p.critical(p.appTitle(), text::EmptyName);
        return;
    }
    // A damaged record does not stop the Run that replaces it; one that cannot be read at all does.
    if (com.Read_RunDat(p, TOLV_Com::TellUnreadable) == TOLV_Com::ReadFailed)
        return;
    if (com.Exec_Mode == ModeSolver)
        runSolver(com, p, name);
    else
        runPost(com, p, name);
}

} // namespace tolv

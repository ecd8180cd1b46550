#include "RunCommand.h"

#include "Fields.h"
#include "Texts.h"

namespace tolv {

namespace {

const QString Exe = QStringLiteral(".exe");
const QString In = QStringLiteral(".in");
const QString Pause = QStringLiteral("PAUSE");

// Characters that make the interpreter split, redirect, chain or expand a batch line.
bool isDangerous(QChar c)
{
    static const QString special = QStringLiteral("&|<>^%\",;= ");
    return special.contains(c) || c.category() == QChar::Other_Control;
}

void solverNotNamed(Platform &p)
{
    p.critical(p.appTitle(), text::SolverNotNamedLine1 + text::CrLf + text::SolverNotNamedLine2
                                     + text::CrLf + text::SolverNameRequest);
}

// Steps of the solver mode up to the start; false when the command stops.
bool runSolver(TOLV_Com &com, Platform &p, const QString &name)
{
    const int pos = instr(name, suffix::Ana);
    if (pos == 0) {
        p.critical(p.appTitle(),
                   name + text::SolverNameRejectedTail + text::CrLf + text::SolverNameRequest);
        return false;
    }
    const QString base = name.left(pos - 1);
    com.setFileSet(base);
    com.File_Bat = base + suffix::Bat;

    if (p.fileExists(com.File_Bat) != Existence::Present) {
        p.critical(text::MessageTitle,
                   text::AnalysisTypeLine1 + text::CrLf + text::AnalysisTypeLine2);
        return false;
    }
    // An analysis-type file that cannot be read, or that holds no field, names no solver either.
    std::optional<QString> item;
    if (const std::unique_ptr<FieldSource> fields = p.openFields(com.File_Bat))
        item = fields->next();
    const std::optional<QString> solver = item ? cutSolverName(*item) : std::nullopt;
    if (!solver) {
        solverNotNamed(p);
        return false;
    }

    const QString batch = p.appPath(SolverBatName);
    const Outcome written = p.writeLines(batch, {*solver, Pause});
    if (!written.ok) {
        reportWriteFailure(p, batch, written.reason);
        return false;
    }
    const QString folder = p.appFolder();
    const Outcome moved = p.setCurrentDir(folder);
    if (!moved.ok) {
        p.critical(text::MessageTitle, folder + text::CannotChangeDirTail + text::CrLf + moved.reason);
        return false;
    }
    TOLV_Com::Exec_Program(p, 0, batch, text::ToolSolverRun, QString());
    return true;
}

// Steps of the postprocessor (and every other) mode up to the start; false when the command stops.
bool runPost(TOLV_Com &com, Platform &p, const QString &name)
{
    const int pos = instr(name, In);
    if (pos == 0) {
        p.critical(p.appTitle(),
                   name + text::PostNameRejectedTail + text::CrLf + text::PostNameRequest);
        return false;
    }
    com.setFileSet(name.left(pos - 1));
    com.File_IndIn = name;
    TOLV_Com::Exec_Program(p, 1, PostProgram, text::ToolPost, com.File_IndIn);
    return true;
}

} // namespace

std::optional<QString> cutSolverName(const QString &solverItem)
{
    const QString item = trimSpaces(solverItem);
    const int pos = instr(item, Exe);
    if (pos < 7)
        return std::nullopt;
    const QString cut = trimSpaces(item.mid(pos - 7, 10));
    // Blanks alone in front of ".exe" leave no program name.
    if (cut.size() == Exe.size())
        return std::nullopt;
    for (const QChar c : cut) {
        if (isDangerous(c))
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
    com.Read_RunDat(p);
    const bool started =
            com.Exec_Mode == ModeSolver ? runSolver(com, p, name) : runPost(com, p, name);
    if (!started)
        return;
    const Outcome written = com.Write_RunDat(p);
    if (!written.ok)
        reportWriteFailure(p, p.appPath(RunDatName), written.reason);
}

} // namespace tolv

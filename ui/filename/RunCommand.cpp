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

bool hasLoneSurrogate(const QString &s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
        else if (s.at(i).isSurrogate())
            return true;
    }
    return false;
}

// The new record must be storable before anything is written or started: otherwise the solver
// would run on the old record's analysis.
bool recordStorable(const TOLV_Com &com, Platform &p)
{
    const Result<QString> record = com.runDatText(p);
    if (!record.ok())
        reportWriteFailure(p, p.appPath(RunDatName), record.reason());
    return record.ok();
}

// Steps of the solver mode up to the start; false when the command stops.
bool runSolver(TOLV_Com &com, Platform &p, const QString &name)
{
    const int pos = instr(name, suffix::Ana);
    if (pos == 0) {
        p.critical(p.appTitle(), text::solverNameRejected(name));
        return false;
    }
    const QString base = name.left(pos - 1);
    com.setFileSet(base);
    com.File_Bat = base + suffix::Bat;

    if (p.fileExists(com.File_Bat) != Existence::Present) {
        p.critical(text::MessageTitle, text::AnalysisTypeMissing);
        return false;
    }
    const Result<TextStart> analysisType = p.readText(com.File_Bat);
    const auto first = analysisType.ok()
            ? leadingFields(analysisType.value().text, analysisType.value().whole, 1)
            : std::nullopt;
    if (!first) {
        p.critical(text::MessageTitle,
                   text::cannotRead(com.File_Bat, analysisType.ok() ? text::FieldsTooLong
                                                                    : analysisType.reason()));
        return false;
    }
    // An analysis-type file that holds no field names no solver either.
    const std::optional<QString> item = first->at(0);
    const std::optional<QString> solver = item ? cutSolverName(*item) : std::nullopt;
    if (!solver) {
        p.critical(p.appTitle(), text::SolverNotNamed);
        return false;
    }
    if (!recordStorable(com, p))
        return false;

    const QString batch = p.appPath(SolverBatName);
    const Outcome written = p.replaceFile(batch, crlfLines({*solver, Pause}));
    if (!written.ok()) {
        reportWriteFailure(p, batch, written.reason());
        return false;
    }
    const QString folder = p.appFolder();
    const Outcome moved = p.setCurrentDir(folder);
    if (!moved.ok()) {
        p.critical(text::MessageTitle, text::cannotChangeDir(folder, moved.reason()));
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
        p.critical(p.appTitle(), text::postNameRejected(name));
        return false;
    }
    com.setFileSet(name.left(pos - 1));
    com.File_IndIn = name;
    if (!recordStorable(com, p))
        return false;
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
    if (cut.size() == Exe.size() || hasLoneSurrogate(cut))
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
    if (com.Read_RunDat(p) == TOLV_Com::ReadFailed)
        return;
    const bool started =
            com.Exec_Mode == ModeSolver ? runSolver(com, p, name) : runPost(com, p, name);
    if (!started)
        return;
    const Outcome written = com.Write_RunDat(p);
    if (!written.ok())
        reportWriteFailure(p, p.appPath(RunDatName), written.reason());
}

} // namespace tolv

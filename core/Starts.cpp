#include "Starts.h"

#include "Fields.h"
#include "Texts.h"
#include "platform/FileNames.h"

namespace tolv {

namespace {

const QString Exe = QStringLiteral(".exe");
const QString In = QStringLiteral(".in");
const QString Pause = QStringLiteral("PAUSE");

// The designed check of the linked solver start: the data file's name, extension included, has at
// most 12 characters (UTF-16 units, as the platform's own string functions count them).
constexpr qsizetype MaxNameLength = 12;
constexpr qsizetype ExtensionLength = 4;

// Characters that make the interpreter split, redirect, chain, expand or hide a batch line, and
// those that would make the name a path instead of a program in the application folder.
bool isRefused(QChar c)
{
    static const QString special = QStringLiteral("&|<>^%\",;=@ \\/:");
    return special.contains(c) || c.category() == QChar::Other_Control;
}

Failure rejected(const QString &message)
{
    return failure(FailureKind::NameRejected, message);
}

// The name part of the designed check: what follows the last platform separator before the final
// four characters, or the whole path when there is none there. The scan starts before the
// extension, so a separator among the last four characters never counts as the folder's end.
QString namePart(const QString &path, QChar separator)
{
    return path.mid(fileNameStart(path, separator, Separators::Native, path.size() - ExtensionLength - 1));
}

// A folder in which the command interpreter cannot run the solver's batch file is told before
// anything is written or started.
Outcome solverFolderUsable(Platform &p)
{
    const QString folder = p.appFolder();
    const Outcome usable = p.batchFolderUsable(folder);
    if (!usable.ok())
        return failure(usable.kind(), text::solverFolderUnusable(folder, usable.reason()));
    return success();
}

// The new record is in place before anything is started from it: a solver started through
// solver.bat reads run.dat beside it, and must find this analysis there, never the previous one.
Outcome writeRecord(const TOLV_Com &com, Platform &p)
{
    const Outcome written = com.Write_RunDat(p);
    if (!written.ok())
        return failure(written.kind(), text::cannotWrite(p.appPath(RunDatName), written.reason()));
    return success();
}

} // namespace

Result<QString> cutSolverName(const QString &solverItem)
{
    const QString item = trimSpaces(solverItem);
    const int pos = instr(item, Exe);
    if (pos < 7)
        return rejected(text::SolverNotNamed);
    const QString cut = trimSpaces(item.mid(pos - 7, 10));
    // Blanks alone in front of ".exe" leave no program name; a cut through a character outside
    // the basic plane leaves half of it.
    if (cut.size() == Exe.size() || !cut.isValidUtf16())
        return rejected(text::SolverNotNamed);
    for (const QChar c : cut) {
        if (isRefused(c))
            return rejected(text::SolverNotNamed);
    }
    return success(cut);
}

void Starts::run(const QString &fileNameText)
{
    if (m_lastRunStarted && m_p.clockMs() - *m_lastRunStarted < m_p.doubleClickMs())
        return;
    const Outcome done = runChecked(trimSpaces(fileNameText));
    if (!done.ok()) {
        tell(m_p, done.failure());
        return;
    }
    // Measured once the tool has started: a second press that waited for a slow start to end is
    // still part of the same double click.
    m_lastRunStarted = m_p.clockMs();
}

Outcome Starts::runChecked(const QString &name)
{
    if (name.isEmpty())
        return rejected(text::EmptyName);
    // A damaged record does not stop the Run that replaces it; one that cannot be read at all does.
    const Result<qint16> read = m_com.Read_RunDat(m_p);
    if (!read.ok() && read.kind() != FailureKind::Damaged)
        return read.failure();
    return m_com.Exec_Mode == ModeSolver ? runSolver(name) : runPost(name);
}

Outcome Starts::runSolver(const QString &name)
{
    const int pos = suffixPosition(m_p, name, suffix::Ana);
    if (pos == 0)
        return rejected(text::solverNameRejected(name));
    const QString base = name.left(pos - 1);
    m_com.setFileSet(base);
    m_com.File_Bat = base + suffix::Bat;

    const Result<Entry> analysisType = m_p.fileExists(m_com.File_Bat);
    if (!analysisType.ok() || analysisType.value() != Entry::File)
        return failure(FailureKind::Missing, text::AnalysisTypeMissing);
    const Result<Fields> first = fileFields(m_p, m_com.File_Bat, 1);
    if (!first.ok())
        return failure(first.kind(), text::cannotRead(m_com.File_Bat, first.reason()));
    // An analysis-type file that holds no field names no solver either.
    const std::optional<QString> item = first.value().at(0);
    if (!item)
        return rejected(text::SolverNotNamed);
    const Result<QString> solver = cutSolverName(*item);
    if (!solver.ok())
        return solver.failure();
    if (const Outcome usable = solverFolderUsable(m_p); !usable.ok())
        return usable;

    if (const Outcome recorded = writeRecord(m_com, m_p); !recorded.ok())
        return recorded;
    const QString batch = m_p.appPath(SolverBatName);
    if (const Outcome written = writeFile(m_p, batch, crlfLines({solver.value(), Pause})); !written.ok())
        return written;
    const QString folder = m_p.appFolder();
    const Outcome moved = m_p.setCurrentDir(folder);
    if (!moved.ok())
        return failure(moved.kind(), text::cannotChangeDir(folder, moved.reason()));
    return TOLV_Com::launch(m_p, 0, batch, text::ToolSolverRun, QString());
}

// The postprocessor (and every other) mode.
Outcome Starts::runPost(const QString &name)
{
    const int pos = suffixPosition(m_p, name, In);
    if (pos == 0)
        return rejected(text::postNameRejected(name));
    m_com.setFileSet(name.left(pos - 1));
    m_com.File_IndIn = name;
    if (const Outcome recorded = writeRecord(m_com, m_p); !recorded.ok())
        return recorded;
    return TOLV_Com::launch(m_p, 1, PostProgram, text::ToolPost, m_com.File_IndIn);
}

void Starts::solverFromRecord()
{
    const Outcome done = solverChecked();
    if (!done.ok())
        tell(m_p, done.failure());
}

Outcome Starts::solverChecked()
{
    // A record that is not whole starts nothing: its analysis is not the one the user ran.
    const Result<qint16> read = m_com.Read_RunDat(m_p);
    if (!read.ok())
        return read.failure();
    const QString path = read.value() == 1 ? m_com.File_Ana : QString();
    if (path.size() > ExtensionLength) {
        const QString name = namePart(path, m_p.separator());
        if (name.size() > MaxNameLength)
            return rejected(text::longName(name));
    }
    // Only the file's own name is searched: a folder such as x.ana.d holds no analysis's base.
    const int ana = suffixPosition(m_p, path, suffix::Ana);
    if (ana == 0)
        return rejected(text::NoSolverData);
    if (const Outcome usable = solverFolderUsable(m_p); !usable.ok())
        return usable;
    m_com.File_Bat = path.left(ana - 1) + suffix::Bat;
    return TOLV_Com::launch(m_p, 0, m_com.File_Bat, text::ToolSolverRun, QString());
}

void Starts::postFromRecord()
{
    const Outcome done = postChecked();
    if (!done.ok())
        tell(m_p, done.failure());
}

Outcome Starts::postChecked()
{
    const Result<qint16> read = m_com.Read_RunDat(m_p);
    if (!read.ok())
        return read.failure();
    return TOLV_Com::launch(m_p, 1, PostProgram, text::ToolPost,
                            read.value() == 1 ? m_com.File_IndIn : QString());
}

} // namespace tolv

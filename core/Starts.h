// What the launcher starts, and from which files: the data-file dialog's Run and the linked
// solver and postprocessor starts of the main window. Free of widgets: the windows hand over what
// their controls hold, and the platform shows what must be shown.
#pragma once

#include "TOLV_Com.h"

#include <QString>

#include <optional>

namespace tolv {

class Starts
{
public:
    Starts(TOLV_Com &com, Platform &platform) : m_com(com), m_p(platform) {}

    // The data-file dialog's Run with the text of its file-name field, for the tool of the
    // current Exec_Mode. The suffix is searched for in the file's own name, not in its folders.
    // Solver mode (190): derives the file set from the ".ana" name and reads the solver program's
    // name from the analysis-type file <base>.bat; then writes run.dat, writes solver.bat in the
    // application folder, makes the application folder the current directory and starts
    // solver.bat. Every other mode writes run.dat, then starts TOLV_Post.exe with the name. Each
    // check that fails is told and ends the Run; so is a step that fails, with the platform's
    // reason. A run.dat that cannot be written (or could not hold the new record) stops the Run
    // before anything else is written or started; a start that fails afterwards leaves the new
    // record in place. A press that comes within the system's double-click interval after a Run
    // that started a tool is the second half of a double click and does nothing.
    void run(const QString &fileNameText);

    // The linked solver start: reloads the run record, checks that the data file's name
    // (extension included) has at most 12 characters, that the command interpreter can work in
    // the application folder, sets File_Bat to the data path with ".bat" in place of the first
    // ".ana" of the file's own name and starts it.
    void solverFromRecord();

    // The linked postprocessor start: reloads the run record and starts TOLV_Post.exe with its
    // fifth path when the record is usable, without an argument when there is none.
    void postFromRecord();

private:
    Outcome runChecked(const QString &name);
    Outcome runSolver(const QString &name);
    Outcome runPost(const QString &name);
    Outcome solverChecked();
    Outcome postChecked();

    TOLV_Com &m_com;
    Platform &m_p;
    // When the last Run started a tool, on the platform's clock.
    std::optional<qint64> m_lastRunStarted;
};

// The solver program's file name taken from the first field of the analysis-type file: the six
// characters in front of the first ".exe" and ".exe" itself, leading blanks removed. The item is
// trimmed of spaces first. Refused (kind NameRejected) when ".exe" is absent, when it starts before
// the seventh character, when only blanks stand in front of it, when the name is no plain file name
// (a folder separator \ or /, a drive's colon, half of a surrogate pair), or when it holds a
// character that the command interpreter would act on instead of running the program:
// & | < > ^ % " , ; = @, a blank or a control character.
Result<QString> cutSolverName(const QString &solverItem);

} // namespace tolv

// The Run command of the data-file dialog: from the named data file to a started tool and a new
// run record. Free of widgets: the dialog hands it the text of its file-name field.
#pragma once

#include "core/TOLV_Com.h"

#include <QString>

#include <optional>

namespace tolv {

// Runs the tool of the current Exec_Mode with the file named by `text` (the dialog's file-name field).
// The suffix is searched for in the file's own name, not in its folders. Solver mode (190): derives
// the file set from the ".ana" name and reads the solver program's name from the analysis-type file
// <base>.bat; then writes run.dat, writes solver.bat in the application folder, makes the application
// folder the current directory and starts solver.bat. Every other mode writes run.dat, then starts
// TOLV_Post.exe with the name. Each check that fails shows its message and ends the command; so does
// a step that fails, with the platform's reason. A run.dat that cannot be written (or could not hold
// the new record) stops the command before anything else is written or started; a start that fails
// afterwards leaves the new record in place.
void runCommand(TOLV_Com &com, Platform &p, const QString &text);

// The solver program's file name taken from the first field of the analysis-type file: the six
// characters in front of the first ".exe" and ".exe" itself, leading blanks removed. The item is
// trimmed of spaces first. Nothing when ".exe" is absent, when it starts before the seventh character,
// when only blanks stand in front of it, when the name is no plain file name (a folder separator
// \ or /, a drive's colon, half of a surrogate pair), or when it holds a character that the command
// interpreter would act on instead of running the program: & | < > ^ % " , ; = @, a blank or a
// control character.
std::optional<QString> cutSolverName(const QString &solverItem);

} // namespace tolv

// The state that the launcher's windows share, the run record and the program launcher.
#pragma once

#include "Fields.h"
#include "platform/Platform.h"

#include <QString>
#include <QStringList>

namespace tolv {

// Mode codes of the data-file dialog (and choice codes of the main window's popups).
enum ModeCode : qint16 {
    ChoiceNone = 0,
    ChoiceRunSolver = 100,
    ModeSolver = 190,
    ChoiceRunPost = 200,
    ModePost = 290,
    ChoiceRunViewer = 300,
    ModeViewer = 390,
};

// The suffixes of one analysis's files, each appended to the base with no separator.
namespace suffix {
inline const QString Dat = QStringLiteral(".dat");
inline const QString Ana = QStringLiteral(".ana");
inline const QString Out = QStringLiteral(".out");
inline const QString Fem = QStringLiteral(".fem");
inline const QString IndIn = QStringLiteral(".ind.in");
inline const QString Bat = QStringLiteral(".bat");
} // namespace suffix

inline const QString RunDatName = QStringLiteral("run.dat");
inline const QString SolverBatName = QStringLiteral("solver.bat");
inline const QString PreProgram = QStringLiteral("TOLV_Pre.exe");
inline const QString PostProgram = QStringLiteral("TOLV_Post.exe");

class TOLV_Com
{
public:
    // The one instance the program's windows share.
    static TOLV_Com &shared();

    // Browse result of the data-file dialog.
    QString Ref_Filename;
    // The run record, always in this order; persisted in run.dat.
    QString File_Dat;
    QString File_Ana;
    QString File_Out;
    QString File_Fem;
    QString File_IndIn;
    // The analysis-type batch file of the same analysis; never persisted.
    QString File_Bat;
    // Mode code of the data-file dialog: 190, 290 or 390 once a file-name item was chosen.
    qint16 Exec_Mode = 0;

    // Sets the five record fields from a base: base + ".dat", ".ana", ".out", ".fem", ".ind.in".
    void setFileSet(const QString &base);
    QStringList runRecord() const { return {File_Dat, File_Ana, File_Out, File_Fem, File_IndIn}; }

    // Loads the run record from run.dat. 1: read, File_Dat not blank; 0: read, File_Dat blank;
    // -9: no run.dat, nothing changed. A run.dat that is there but gives no whole record changes
    // no field and is a failure, whose reason is the message for the user: of kind Damaged when it
    // holds fewer than five fields or a byte that does not decode in the narrow encoding (a record
    // written on a system of another code page), of the platform's kind when it cannot be read
    // (not a regular file, too large, unreadable). Nothing is shown here: each caller tells what
    // it must. Otherwise platform failures never leave it.
    Result<qint16> Read_RunDat(Platform &p);

    // The run.dat text of the current record, or why it cannot be stored: a field that the field
    // reader could not give back unchanged, or that the narrow encoding cannot hold.
    Result<QString> runDatText(const Platform &p) const;
    // Writes the run record to run.dat, whole and atomically; the old run.dat stays as it was when
    // the record cannot be stored.
    Outcome Write_RunDat(Platform &p) const;

    // Starts a program of the suite without waiting. InAppFolder 1: ProgramFile is a file name in
    // the application folder; otherwise it is used unchanged. A missing program, or one that the
    // platform refuses to start, is reported to the user; nothing is reported back to the caller.
    static void Exec_Program(Platform &p, qint16 InAppFolder, const QString &ProgramFile,
                             const QString &ToolName, const QString &ArgText);
    // The same start, telling nothing: a missing program (kind Missing) or a refused start, with
    // the message for the user as the reason.
    static Outcome launch(Platform &p, qint16 InAppFolder, const QString &ProgramFile,
                          const QString &ToolName, const QString &ArgText);
};

// Tells the user of a failure whose reason is a whole message: a name that a Run's checks
// rejected carries the application's own title, every other message "TOLV_Strel".
void tell(Platform &p, const Failure &failed);

// The text of a file whose lines are these, each ended by CR LF.
QString crlfLines(const QStringList &lines);

// How one run-record field is stored in run.dat so that the field reader gives it back unchanged:
// as it is, or in double quotes when it holds a comma or has blanks at either end. A failure of kind
// NotStorable, with the reason, when the format cannot hold it.
Result<QString> storedField(const QString &field);

// 1-based position in `path` of the first occurrence of `suffix` within the file's own name, which
// follows the last folder separator (the platform's own, and "/" everywhere); 0 when absent.
int suffixPosition(const Platform &p, const QString &path, const QString &suffix);

// The first `count` fields of the text file at `path`, read as the launcher reads its files; the
// platform's failure, or one of kind TooLarge when the fields run past what is read.
Result<Fields> fileFields(Platform &p, const QString &path, int count);

// Writes the file whole; a failure names it, then gives the platform's reason, keeping its kind.
Outcome writeFile(Platform &p, const QString &path, const QString &text);

} // namespace tolv

#include "SolverStart.h"

#include "core/Texts.h"

namespace tolv {

namespace {

// Lengths and positions count UTF-16 units, as the platform's own string functions do.
constexpr qsizetype MaxNameLength = 12;
constexpr qsizetype ExtensionLength = 4;

// The name part of a path: what follows the last folder separator before the final four
// characters, or the whole path when there is none there. The scan starts before the extension,
// so a separator among the last four characters never counts as the folder's end.
QString namePart(const QString &path, QChar separator)
{
    const qsizetype i = path.lastIndexOf(separator, path.size() - ExtensionLength - 1);
    return path.mid(i + 1);
}

} // namespace

void solverStartFromRecord(TOLV_Com &com, Platform &platform)
{
    const qint16 read = com.Read_RunDat(platform);
    if (TOLV_Com::unusable(read))
        return;
    const QString path = read == 1 ? com.File_Ana : QString();

    if (path.size() > ExtensionLength) {
        const QString name = namePart(path, platform.separator());
        if (name.size() > MaxNameLength) {
            platform.critical(platform.appTitle(), text::longName(name));
            return;
        }
    }

    // Only the file's own name is searched: a folder such as x.ana.d holds no analysis's base.
    const int ana = suffixPosition(platform, path, suffix::Ana);
    if (ana == 0) {
        platform.critical(platform.appTitle(), text::NoSolverData);
        return;
    }
    com.File_Bat = path.left(ana - 1) + suffix::Bat;
    TOLV_Com::Exec_Program(platform, 0, com.File_Bat, text::ToolSolverRun, QString());
}

} // namespace tolv

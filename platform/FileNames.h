// Where a path's own file name begins, for the launcher's logic and for the platform alike.
#pragma once

#include <QString>

#include <algorithm>

namespace tolv {

// Which characters end a folder's name: the platform's separator alone, or "/" too, which every
// system the launcher runs on takes for one.
enum class Separators { Native, NativeAndSlash };

// The index at which the file's own name begins: just after the last separator at or before index
// `searchFrom` (the whole path when it is -1), 0 when there is none.
inline qsizetype fileNameStart(const QString &path, QChar native, Separators separators,
                               qsizetype searchFrom = -1)
{
    qsizetype last = path.lastIndexOf(native, searchFrom);
    if (separators == Separators::NativeAndSlash)
        last = std::max(last, path.lastIndexOf(u'/', searchFrom));
    return last + 1;
}

// The file's own name: what follows the last separator ("\" or "/" on Windows, "/" elsewhere).
inline QString fileNameOf(const QString &path, QChar native)
{
    return path.mid(fileNameStart(path, native, Separators::NativeAndSlash));
}

} // namespace tolv

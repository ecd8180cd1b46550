// The solver-name cut of the Run command on any first field of the analysis-type file: either
// the ten characters that end with the item's first ".exe" (less blanks in front, where a shorter
// name follows a command word), a name before ".exe", none of whose characters the command
// interpreter would act on; or nothing, and then for one of the stated reasons.
#include "FuzzSupport.h"

#include "core/Fields.h"
#include "core/Starts.h"

using namespace tolv;

namespace {

// What the interpreter treats specially (or splits on) in a batch line, and what makes a name a path.
bool special(QChar c)
{
    return QStringLiteral("&|<>^%\",;=@ \\/:").contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f
            || (c.unicode() >= 0x80 && c.unicode() < 0xa0);
}

// A surrogate without its other half.
bool loneSurrogateAt(const QString &s, qsizetype i)
{
    const QChar c = s.at(i);
    if (c.isHighSurrogate())
        return i + 1 >= s.size() || !s.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !s.at(i - 1).isHighSurrogate();
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString item = fuzz::fuzzText(data, size);
    const Result<QString> named = cutSolverName(item);
    const std::optional<QString> cut = named.ok() ? std::optional<QString>(named.value()) : std::nullopt;

    const QString trimmed = trimSpaces(item);
    const qsizetype exe = trimmed.indexOf(QLatin1String(".exe"));
    const QString window = exe >= 6 ? trimSpaces(trimmed.mid(exe - 6, 10)) : QString();
    if (cut) {
        FUZZ_CHECK(cut->size() > 4 && cut->size() <= 10 && cut->endsWith(QLatin1String(".exe")),
                   fuzz::show({item, *cut}));
        FUZZ_CHECK(exe >= 6 && window == *cut, fuzz::show({item, *cut}));
        for (qsizetype i = 0; i < cut->size(); ++i)
            FUZZ_CHECK(!special(cut->at(i)) && !loneSurrogateAt(*cut, i), fuzz::show({item, *cut}));
        // It is what solver.bat's first line holds, so it must survive the field reader too.
        FUZZ_CHECK(FieldReader(*cut + QLatin1String("\r\nPAUSE\r\n")).next() == *cut, fuzz::show({*cut}));
        return 0;
    }
    // Refused: no ".exe", or fewer than six characters before it, or no name in front of it, or a
    // special character or half a surrogate pair among the ten.
    if (exe < 6 || window == QLatin1String(".exe"))
        return 0;
    bool hasSpecial = false;
    for (qsizetype i = 0; i < window.size(); ++i)
        hasSpecial = hasSpecial || special(window.at(i)) || loneSurrogateAt(window, i);
    FUZZ_CHECK(hasSpecial, fuzz::show({item}));
    return 0;
}

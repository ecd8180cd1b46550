// The run.dat writer on five arbitrary paths: whatever it accepts, reading the file back gives the
// same five; whatever it refuses has a stated reason, no form that the reader would give back
// unchanged on one line (or it holds a NUL), and leaves the earlier file as it was.
#include "FuzzSupport.h"

#include "core/Fields.h"
#include "core/TOLV_Com.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace tolv;

namespace {

bool readsBackAs(const QString &stored, const QString &field)
{
    FieldReader reader(stored + QLatin1String("\r\nnext"));
    return reader.next() == field && reader.next() == QLatin1String("next");
}

bool hasLineEnd(const QString &s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    QStringList five;
    for (int i = 0; i < 5; ++i) {
        const std::string s = provider.ConsumeRandomLengthString(80);
        five << fuzz::fuzzText(reinterpret_cast<const uint8_t *>(s.data()), s.size());
    }

    bool allStored = true;
    for (const QString &field : five) {
        const Result<QString> result = storedField(field);
        const std::optional<QString> stored =
                result.ok() ? std::optional<QString>(result.value()) : std::nullopt;
        const QString why = result.reason();
        if (stored) {
            // One line, no blank at either edge outside quotes, and it reads back unchanged.
            FUZZ_CHECK(!hasLineEnd(*stored), fuzz::show({field, *stored}));
            FUZZ_CHECK(!stored->startsWith(u' ') && !stored->endsWith(u' '), fuzz::show({*stored}));
            FUZZ_CHECK(readsBackAs(*stored, field), fuzz::show({field, *stored}));
            continue;
        }
        allStored = false;
        FUZZ_CHECK(!why.isEmpty() && why.contains(field), fuzz::show({field, why}));  // the reason names the path
        // Refused only when it would break the one-path-a-line layout or no admissible form
        // (as it is when it has no edge blanks, or in quotes) reads back unchanged.
        if (hasLineEnd(field) || field.contains(QChar(0)))
            continue;
        const bool plainAdmissible = !field.startsWith(u' ') && !field.endsWith(u' ');
        FUZZ_CHECK(!(plainAdmissible && readsBackAs(field, field)), fuzz::show({field}));
        FUZZ_CHECK(!readsBackAs(u'"' + field + u'"', field), fuzz::show({field}));
    }

    test::FolderPlatform &p = fuzz::folderPlatform();
    const QString path = p.appPath(RunDatName);
    const QByteArray earlier("earlier\r\n");
    fuzz::putFile(path, earlier);
    TOLV_Com com;
    com.File_Dat = five[0];
    com.File_Ana = five[1];
    com.File_Out = five[2];
    com.File_Fem = five[3];
    com.File_IndIn = five[4];
    const Outcome written = com.Write_RunDat(p);
    if (!allStored)
        FUZZ_CHECK(!written.ok(), fuzz::show(five));
    if (!written.ok()) {
        FUZZ_CHECK(!written.reason().isEmpty(), fuzz::show(five));
        FUZZ_CHECK(fuzz::fileBytes(path) == earlier, fuzz::show(five));
        return 0;
    }
    FUZZ_CHECK(fuzz::fileBytes(path).count("\r\n") == 5, fuzz::show(five));
    TOLV_Com back;
    const Result<qint16> result = back.Read_RunDat(p);
    FUZZ_CHECK(back.runRecord() == five, fuzz::show(back.runRecord()) + QLatin1String(" vs ") + fuzz::show(five));
    FUZZ_CHECK(result.ok() && result.value() == (trimSpaces(five[0]).isEmpty() ? 0 : 1), fuzz::show(five));
    return 0;
}

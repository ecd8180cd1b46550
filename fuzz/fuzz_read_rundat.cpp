// Read_RunDat on arbitrary bytes in a real run.dat: the read ends in bounded time and memory
// (libFuzzer's limits); a file it cannot take, or that holds no whole record (fewer than five fields,
// a byte that did not decode), is a failure with its reason, shows nothing and changes nothing; otherwise the result agrees with
// File_Dat, the five fields are the file's, nothing is shown, started or written, and a record that
// can be written back reads back the same.
#include "FuzzSupport.h"

#include "core/Fields.h"
#include "core/TOLV_Com.h"

using namespace tolv;

namespace {

const QStringList Earlier = {QStringLiteral("d0"), QStringLiteral("a0"), QStringLiteral("o0"),
                             QStringLiteral("f0"), QStringLiteral("i0")};

void setRecord(TOLV_Com &com, const QStringList &five)
{
    com.File_Dat = five[0];
    com.File_Ana = five[1];
    com.File_Out = five[2];
    com.File_Fem = five[3];
    com.File_IndIn = five[4];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    test::FolderPlatform &p = fuzz::folderPlatform();
    p.messages.clear();
    const QString path = p.appPath(RunDatName);
    // An input whose first byte has its top bit set stands repeated past the read limit (1 MiB),
    // so that files larger than what the launcher reads come up as often as small ones.
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool large = size > 0 && (data[0] & 0x80);
    const QByteArray bytes = large ? input.repeated(qsizetype((1 << 20) / size + 1 + (data[0] & 3))) : input;
    fuzz::putFile(path, bytes);

    TOLV_Com com;
    setRecord(com, Earlier);
    const Result<qint16> read = com.Read_RunDat(p);
    FUZZ_CHECK(fuzz::fileBytes(path) == bytes, QString());
    FUZZ_CHECK(p.messages.isEmpty(), QString());
    if (!read.ok() && read.kind() != FailureKind::Damaged) {
        FUZZ_CHECK(!read.reason().isEmpty() && com.runRecord() == Earlier, fuzz::show(com.runRecord()));
        return 0;
    }
    FieldReader reader(p.readText(path).value().text);
    QStringList fields;
    bool whole = true;
    for (int i = 0; i < 5; ++i) {
        const std::optional<QString> field = reader.next();
        whole = whole && field && !field->contains(QChar::ReplacementCharacter);
        fields << field.value_or(QString());
    }
    if (!whole) {
        FUZZ_CHECK(!read.ok() && read.kind() == FailureKind::Damaged, read.reason());
        FUZZ_CHECK(com.runRecord() == Earlier, fuzz::show(com.runRecord()));
        return 0;
    }
    FUZZ_CHECK(read.ok(), read.reason());
    const qint16 result = read.value();
    FUZZ_CHECK(result == 0 || result == 1, QString::number(result));
    FUZZ_CHECK((result == 1) == !trimSpaces(com.File_Dat).isEmpty(), fuzz::show(com.runRecord()));
    FUZZ_CHECK(com.runRecord() == fields,
               fuzz::show(com.runRecord()) + QLatin1String(" vs ") + fuzz::show(fields));

    const QStringList record = com.runRecord();
    const Outcome written = com.Write_RunDat(p);
    if (written.ok()) {
        TOLV_Com again;
        setRecord(again, {QString(), QString(), QString(), QString(), QString()});
        (void)again.Read_RunDat(p);
        FUZZ_CHECK(again.runRecord() == record,
                   fuzz::show(again.runRecord()) + QLatin1String(" vs ") + fuzz::show(record));
    } else {
        FUZZ_CHECK(!written.reason().isEmpty(), fuzz::show(record));
        FUZZ_CHECK(fuzz::fileBytes(path) == bytes, fuzz::show(record));
    }
    return 0;
}

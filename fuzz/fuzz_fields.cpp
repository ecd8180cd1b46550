// The field reader on arbitrary text: it always ends, gives fields in the order of the text, and
// without quotes its fields are exactly the pieces between the delimiters.
#include "FuzzSupport.h"

#include "core/Fields.h"

using namespace tolv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::fuzzText(data, size);
    FieldReader reader(text);
    QStringList fields;
    qsizetype from = 0;
    while (const std::optional<QString> field = reader.next()) {
        // Every read consumes at least one character.
        FUZZ_CHECK(fields.size() < text.size(), fuzz::show(fields));
        // Unquoted fields end at a delimiter and quoted ones at a quote: none holds both.
        const bool delimiter = field->contains(u',') || field->contains(u'\r') || field->contains(u'\n');
        FUZZ_CHECK(!(delimiter && field->contains(u'"')), fuzz::show({*field}));
        // Each field is taken from the text after the one before it.
        const qsizetype at = text.indexOf(*field, from);
        FUZZ_CHECK(at >= 0, fuzz::show({text, *field}));
        from = at + field->size();
        fields << *field;
    }
    FUZZ_CHECK(reader.atEnd(), fuzz::show({text}));
    FUZZ_CHECK(!reader.next(), fuzz::show({text}));

    if (!text.contains(u'"')) {
        // (Plain replacements rather than a regular expression, which refuses lone surrogates.)
        QString lines = text;
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n').replace(u',', u'\n');
        QStringList pieces = lines.split(u'\n');
        // A final delimiter ends the last field; it does not start an empty one.
        if (pieces.constLast().isEmpty())
            pieces.removeLast();
        FUZZ_CHECK(fields == pieces, fuzz::show(fields) + QLatin1String(" vs ") + fuzz::show(pieces));
    }

    // The analysis-type file is read for its first field only; it is the first of the same fields.
    const std::optional<QString> first = FieldReader(text).next();
    FUZZ_CHECK(first.has_value() == !fields.isEmpty(), fuzz::show(fields));
    FUZZ_CHECK(!first || *first == fields.constFirst(), fuzz::show(fields));
    return 0;
}

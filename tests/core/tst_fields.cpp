#include "core/Fields.h"

#include <QTest>

using tolv::FieldReader;

class TestFields : public QObject
{
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
};

void TestFields::fields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("crlf lines") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("lf and cr") << "a\nb\rc" << QStringList{"a", "b", "c"};
    QTest::newRow("comma splits") << "C:\\x,y.dat\r\nz\r\n" << QStringList{"C:\\x", "y.dat", "z"};
    QTest::newRow("empty lines") << "\r\n\r\nx" << QStringList{"", "", "x"};
    QTest::newRow("quoted with comma") << "\"a,b\"\r\nc" << QStringList{"a,b", "c"};
    QTest::newRow("quoted keeps blanks") << "\" a \"\r\n" << QStringList{" a "};
    QTest::newRow("unquoted keeps blanks") << "  a  \r\n" << QStringList{"  a  "};
    QTest::newRow("text after closing quote skipped") << "\"a\"bc,d" << QStringList{"a", "d"};
    QTest::newRow("unclosed quote runs to end") << "\"abc\r\nd" << QStringList{"abc\r\nd"};
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("trailing comma") << "a," << QStringList{"a"};
}

void TestFields::fields()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    FieldReader reader(text);
    QStringList got;
    while (std::optional<QString> f = reader.next())
        got << *f;
    QCOMPARE(got, expected);
    QVERIFY(!reader.next());
}

QTEST_APPLESS_MAIN(TestFields)
#include "tst_fields.moc"

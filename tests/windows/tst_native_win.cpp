// The Windows part of the platform against the real system: the ANSI code page (932 or 1252),
// bounded reads, replacement, and command lines as a started program receives them.
#include "platform/CommandLines.h"
#include "platform/Native.h"
#include "platform/QtPlatform.h"
#include "platform/Reasons.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <qt_windows.h>

using namespace tolv;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Null stands for "refused".
const QByteArray Refused;

} // namespace

class TestNativeWin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void runDatBytes();
    void readFile_data();
    void readFile();
    void replaceFile_data();
    void replaceFile();
    void executableFolder();
    void start_data();
    void start();
    void refusedStarts();

private:
    // The recorder's lines (command line, current folder), waiting (bounded) until `n` are there.
    QStringList recorded(int n) const
    {
        const QDeadlineTimer deadline(15000);
        while (lines().size() < n && !deadline.hasExpired())
            QTest::qWait(50);
        return lines();
    }
    QStringList lines() const
    {
        return QString::fromUtf8(QFile::exists(m_log) ? readAll(m_log) : QByteArray())
                .split(u'\n', Qt::SkipEmptyParts);
    }

    UINT m_acp = 0;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_root;
    QString m_log;
    QString m_cwd;
};

void TestNativeWin::initTestCase()
{
    m_acp = GetACP();
    qInfo("ANSI code page %u", m_acp);
    if (m_acp != 932 && m_acp != 1252)
        QSKIP("the expected bytes are those of code pages 932 and 1252");
}

void TestNativeWin::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_root = nativePath(m_tmp->path());
    m_log = m_root + QStringLiteral("\\starts.log");
    qputenv("TOLV_RECORD_LOG", m_log.toUtf8());
    m_cwd = QDir::currentPath();
}

void TestNativeWin::cleanup()
{
    QDir::setCurrent(m_cwd);
    // A started recorder may still be ending, and a running program cannot be deleted.
    const QDeadlineTimer deadline(5000);
    while (!QDir(m_tmp->path()).removeRecursively() && !deadline.hasExpired())
        QTest::qWait(100);
    m_tmp.reset();
}

void TestNativeWin::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("cp932");
    QTest::addColumn<QByteArray>("cp1252");

    QTest::newRow("ASCII path with a blank") << "C:\\my data\\a.dat" << QByteArray("C:\\my data\\a.dat")
                                             << QByteArray("C:\\my data\\a.dat");
    QTest::newRow("empty") << "" << QByteArray("") << QByteArray("");
    QTest::newRow("Japanese folder with a blank")
            << "C:\\解析 データ\\beam.ana" << QByteArray("C:\\\x89\xf0\x90\xcd \x83\x66\x81\x5b\x83\x5e\\beam.ana")
            << Refused;
    // Their second byte is 0x5C, the backslash's.
    QTest::newRow("trail byte 0x5C") << "表ソ\\x" << QByteArray("\x95\x5c\x83\x5c\\x") << Refused;
    QTest::newRow("half-width katakana") << "ｱ" << QByteArray("\xb1") << Refused;
    QTest::newRow("full-width tilde") << "～" << QByteArray("\x81\x60") << Refused;
    QTest::newRow("e acute") << "é" << Refused << QByteArray("\xe9");
    // Best fit would write a backslash on 932, a look-alike that changes the path.
    QTest::newRow("yen sign") << "¥" << Refused << QByteArray("\xa5");
    QTest::newRow("wave dash") << "〜" << Refused << Refused;
    QTest::newRow("Korean") << "한글" << Refused << Refused;
    QTest::newRow("emoji") << "😀" << Refused << Refused;
    QTest::newRow("lone high surrogate") << QString(QChar(0xD800)) + "a" << Refused << Refused;
    QTest::newRow("lone low surrogate") << "a" + QString(QChar(0xDC00)) << Refused << Refused;
    QTest::newRow("NUL") << QString("a") + QChar(0) + "b" << Refused << Refused;
    // It stands for a byte that did not decode; writing it would not give that byte back.
    QTest::newRow("replacement character") << "C:\\\uFFFD x.dat" << Refused << Refused;
}

void TestNativeWin::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, cp932);
    QFETCH(QByteArray, cp1252);
    const QByteArray expected = m_acp == 932 ? cp932 : cp1252;
    const tolv::Result<QByteArray> got = native::encodeNarrow(text);
    QCOMPARE(got.ok(), !expected.isNull());
    if (got.ok()) {
        QCOMPARE(got.value(), expected);
        QCOMPARE(native::decodeNarrow(got.value()), text);
    } else {
        QCOMPARE(got.kind(), tolv::FailureKind::NotEncodable);
    }
}

void TestNativeWin::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("cp932");
    QTest::addColumn<QString>("cp1252");

    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("Japanese") << QByteArray("C:\\\x89\xf0\x90\xcd \x83\x66\x81\x5b\x83\x5e\\b")
                              << "C:\\解析 データ\\b" << "C:\\‰ð\u0090Í ƒf\u0081[ƒ^\\b";
    QTest::newRow("trail byte 0x5C") << QByteArray("\x95\x5c\x83\x5c") << "表ソ" << "•\\ƒ\\";
    // 0x81 cannot be followed by a blank: the byte stays visible, the path stays different.
    QTest::newRow("bad pair") << QByteArray("C:\\\x81 x.dat") << "C:\\" + bad + " x.dat"
                              << "C:\\\u0081 x.dat";
    QTest::newRow("lead byte at the end") << QByteArray("a\x95") << "a" + bad << "a•";
    QTest::newRow("bad pair before a good one")
            << QByteArray("\x81\x7f\x95\x5c") << bad + "\u007f表" << "\u0081\u007f•\\";
}

void TestNativeWin::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, cp932);
    QFETCH(QString, cp1252);
    QCOMPARE(native::decodeNarrow(bytes), m_acp == 932 ? cp932 : cp1252);
}

// run.dat as the suite's programs read it, through the Qt platform: the code page's bytes, CR LF,
// nothing else; and back.
void TestNativeWin::runDatBytes()
{
    if (m_acp != 932)
        QSKIP("the Japanese paths need code page 932");
    QString text;
    for (const char *suffix : {".dat", ".ana", ".out", ".fem", ".ind.in"})
        text += QStringLiteral("C:\\解析 データ\\表ソ") + suffix + QStringLiteral("\r\n");
    QtPlatform platform;
    const QString path = m_root + QStringLiteral("\\run.dat");
    QVERIFY(write(path, "old\r\n"));
    // A character the code page lacks: refused, the old file kept.
    const Outcome refused = platform.replaceFile(path, text + QStringLiteral("C:\\¥\r\n"));
    QVERIFY(!refused.ok());
    QVERIFY(!refused.reason().isEmpty());
    QCOMPARE(readAll(path), QByteArray("old\r\n"));
    const Outcome out = platform.replaceFile(path, text);
    QVERIFY2(out.ok(), qPrintable(out.reason()));
    QByteArray expected;
    for (const char *suffix : {".dat", ".ana", ".out", ".fem", ".ind.in"})
        expected += QByteArray("C:\\\x89\xf0\x90\xcd \x83\x66\x81\x5b\x83\x5e\\\x95\x5c\x83\x5c") + suffix + "\r\n";
    QCOMPARE(readAll(path), expected);
    const Result<TextStart> back = platform.readText(path);
    QVERIFY(back.ok());
    QCOMPARE(back.value().text, text);
}

void TestNativeWin::readFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("ok");
    QTest::newRow("regular file") << "file" << true;
    QTest::newRow("exactly at the limit") << "limit" << true;
    // More is not refused here: the caller tells by the byte over the limit.
    QTest::newRow("over the limit: the limit and one byte") << "over" << true;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("missing") << "missing" << false;
    QTest::newRow("device NUL") << "NUL" << false;
}

void TestNativeWin::readFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, ok);
    const qint64 limit = 100;
    QString path = m_root + QStringLiteral("\\データ ") + kind;
    QByteArray bytes = "a\r\n\x95\x5c";
    if (kind == "limit" || kind == "over")
        bytes = QByteArray(limit + (kind == "over" ? 50 : 0), 'x');
    if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "NUL")
        path = kind;
    else if (kind != "missing")
        QVERIFY(write(path, bytes));

    const Result<QByteArray> got = native::readFile(path, limit);
    QCOMPARE(got.ok(), ok);
    if (ok)
        QCOMPARE(got.value(), bytes.left(limit + 1));
    else
        QVERIFY(!got.reason().isEmpty());
}

void TestNativeWin::replaceFile_data()
{
    QTest::addColumn<QString>("before"); // what is at the path
    QTest::addColumn<bool>("ok");
    QTest::newRow("nothing") << "none" << true;
    QTest::newRow("old file") << "file" << true;
    QTest::newRow("old file and stale temporary files") << "stale" << true;
    QTest::newRow("read-only file kept") << "readonly" << false;
    QTest::newRow("folder kept") << "folder" << false;
    QTest::newRow("held open without delete sharing: kept") << "held" << false;
    QTest::newRow("missing folder") << "nofolder" << false;
    QTest::newRow("symbolic link replaced, target kept") << "link" << true;
    // run.dat fits the 259 characters of a path, its temporary file beside it does not.
    QTest::newRow("the deepest folder the command prompt takes") << "deep" << true;
}

void TestNativeWin::replaceFile()
{
    QFETCH(QString, before);
    QFETCH(bool, ok);
    const QString folder = m_root + QStringLiteral("\\A&B (x86) ^ 日本語;=,");
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("\\run.dat");
    if (before == "deep") {
        const QString deep = folder + u'\\' + QString(win::BatchFolderLimit - folder.size() - 1, u'x');
        const QString created = QStringLiteral("\\\\?\\") + QDir::toNativeSeparators(deep);
        QVERIFY(CreateDirectoryW(reinterpret_cast<const wchar_t *>(created.utf16()), nullptr));
        path = deep + QStringLiteral("\\run.dat");
    }
    const QString target = m_root + QStringLiteral("\\target.dat");
    if (before == "file" || before == "stale" || before == "readonly" || before == "held")
        QVERIFY(write(path, "old\r\n"));
    if (before == "stale") {
        QVERIFY(write(path + ".~4242.tmp", "half"));
        QVERIFY(write(path + ".~1.tmp", ""));
    }
    if (before == "readonly")
        QVERIFY(SetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16()), FILE_ATTRIBUTE_READONLY));
    if (before == "folder")
        QVERIFY(QDir().mkpath(path + "\\inside"));
    if (before == "nofolder")
        path = folder + QStringLiteral("\\missing\\run.dat");
    if (before == "link") {
        QVERIFY(write(target, "target\r\n"));
        if (!CreateSymbolicLinkW(reinterpret_cast<const wchar_t *>(path.utf16()),
                                 reinterpret_cast<const wchar_t *>(target.utf16()),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
            QSKIP("this system makes no symbolic links for this user");
    }

    HANDLE held = INVALID_HANDLE_VALUE;
    if (before == "held") {
        held = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
    }
    const Outcome out = native::replaceFile(path, "new\r\n");
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    QCOMPARE(out.ok(), ok);
    if (ok) {
        QCOMPARE(readAll(path), QByteArray("new\r\n"));
    } else {
        QVERIFY(!out.reason().isEmpty());
        if (before == "readonly" || before == "held")
            QCOMPARE(readAll(path), QByteArray("old\r\n"));
        // Not the system's bare "access denied": why the file could not be replaced.
        if (before == "readonly")
            QCOMPARE(out.reason(), reason::readOnlyFile());
        if (before == "held")
            QCOMPARE(out.reason(), reason::heldOpen());
        if (before == "folder")
            QVERIFY(QFileInfo(path + "\\inside").isDir());
    }
    if (before == "link") {
        QCOMPARE(readAll(target), QByteArray("target\r\n"));
        QVERIFY(!QFileInfo(path).isSymLink());
    }
    // Neither this write's temporary file nor an earlier one is left.
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.removeAll("run.dat");
    QCOMPARE(left, QStringList{});
    if (before == "readonly")
        SetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16()), FILE_ATTRIBUTE_NORMAL);
}

void TestNativeWin::executableFolder()
{
    const Result<QString> folder = native::executableFolder();
    QVERIFY(folder.ok());
    QCOMPARE(folder.value(), nativePath(QCoreApplication::applicationDirPath()));
    QVERIFY(folder.value().contains(u'\\'));
    QVERIFY(!folder.value().contains(u'/'));
}

void TestNativeWin::start_data()
{
    QTest::addColumn<QString>("folder");  // where the program is, below the scratch folder
    QTest::addColumn<QString>("name");    // the program's file name there
    QTest::addColumn<QString>("argText"); // handed over as it is
    QTest::addColumn<QString>("line");    // the command line that arrives; %1: the program's path

    const QString odd = QStringLiteral("A&B (x86) ^ 日本語;=,");
    QTest::newRow("no argument: the quoted path alone")
            << "app" << "TOLV_Pre.exe" << "" << "\"%1\"";
    QTest::newRow("folder with blanks, the argument raw after one blank")
            << "my app" << "TOLV_Post.exe" << "C:\\my data\\x.ind.in" << "\"%1\" C:\\my data\\x.ind.in";
    QTest::newRow("quotes, carets and Japanese in the argument pass untouched")
            << "app" << "TOLV_Post.exe" << "\"C:\\解析 データ\\x.ind.in\" ^& %PATH%"
            << "\"%1\" \"C:\\解析 データ\\x.ind.in\" ^& %PATH%";
    QTest::newRow("folder with the interpreter's operators") << odd << "TOLV_Post.exe" << "a  b"
                                                             << "\"%1\" a  b";
    // A batch file runs in the system's cmd.exe, in the current folder, where it finds the program.
    QTest::newRow("batch file in a folder with the interpreter's operators")
            << odd << "solver.bat" << "" << "recorder.exe from-batch";
    QTest::newRow("batch file in a folder with a blank") << "my app" << "solver.bat" << ""
                                                          << "recorder.exe from-batch";
}

void TestNativeWin::start()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, argText);
    QFETCH(QString, line);

    const QString recorder = nativePath(QCoreApplication::applicationDirPath()) + QStringLiteral("\\recorder.exe");
    const QString dir = m_root + u'\\' + folder;
    const QString work = m_root + QStringLiteral("\\作業 dir");
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(QDir().mkpath(work));
    const QString program = dir + u'\\' + name;
    if (name.endsWith(".bat")) {
        QVERIFY(QFile::copy(recorder, work + "\\recorder.exe"));
        QVERIFY(write(program, "@echo off\r\nrecorder.exe from-batch\r\n"));
    } else {
        QVERIFY(QFile::copy(recorder, program));
    }
    QVERIFY(QDir::setCurrent(work));

    const Outcome out = native::start(program, argText, dir);
    QVERIFY2(out.ok(), qPrintable(out.reason()));
    QCOMPARE(recorded(2), (QStringList{line.contains("%1") ? line.arg(program) : line, work}));
}

// Nothing starts, and the user learns why.
void TestNativeWin::refusedStarts()
{
    const QString dir = m_root + QStringLiteral("\\100%");
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(write(dir + "\\solver.bat", "@echo off\r\n"));
    QVERIFY(write(m_root + "\\broken.exe", "not a program"));
    for (const QString &program : {dir + "\\solver.bat", m_root + "\\missing.exe", m_root + "\\broken.exe"}) {
        const Outcome out = native::start(program, "", m_root);
        QVERIFY2(!out.ok(), qPrintable(program));
        QVERIFY2(!out.reason().isEmpty(), qPrintable(program));
    }
    QTest::qWait(500);
    QCOMPARE(lines(), QStringList{});
}

QTEST_GUILESS_MAIN(TestNativeWin)
#include "tst_native_win.moc"

#include "Texts.h"

#include <iterator>

namespace tolv::batch {

namespace {

struct Pair
{
    const char *english;
    const char *japanese;
};

// In the order of Text.
constexpr Pair Table[] = {
    {"Press a key to continue . . .", "続行するには何かキーを押してください . . ."},
    {"Continue", "続行"},
    {"usage: tolvbat [--window] BATCHFILE", "使い方：tolvbat [--window] バッチファイル"},
    {"cannot read %1: %2", "%1 を読み込めません。%2"},
    {"%1: larger than a batch file can be", "%1 はバッチファイルとして読める大きさ（1 MiB）を超えています。"},
    {"line %1 of the batch file holds a NUL byte and is not run",
     "バッチファイルの%1行目は NUL バイトを含むため、実行しません。"},
    {"%1: command not found (exit status %2)", "%1：コマンドが見つかりません（終了コード %2）。"},
    {"%1: %2 (exit status %3)", "%1：%2（終了コード %3）。"},
    {"%1 ended with exit status %2", "%1 は終了コード %2 で終了しました。"},
    {"%1 was ended by signal %2 (%3)", "%1 はシグナル %2（%3）で終了しました。"},
};
static_assert(std::size(Table) == size_t(Text::EndedBySignal) + 1);

} // namespace

bool japanese()
{
    QByteArray locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qgetenv(name);
        if (!locale.isEmpty())
            break;
    }
    // language[_territory][.codeset][@modifier]
    const qsizetype dot = locale.indexOf('.');
    const qsizetype at = locale.indexOf('@');
    const QByteArray codeset =
            dot < 0 ? QByteArray() : locale.mid(dot + 1, at < 0 ? -1 : at - dot - 1).toLower();
    return (locale.startsWith("ja_") || locale.startsWith("ja.") || locale == "ja")
            && (codeset == "utf-8" || codeset == "utf8");
}

QString text(Text which)
{
    const Pair &pair = Table[size_t(which)];
    return QString::fromUtf8(japanese() ? pair.japanese : pair.english);
}

} // namespace tolv::batch

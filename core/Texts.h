// Every text that the launcher composes: tool names, the data-file dialog's captions and filters,
// and each message whole, as one template. Window captions, tooltips and labels live in the forms.
#pragma once

#include <QString>

namespace tolv::text {

inline const QString ToolPre = QStringLiteral("プリプロセッサ");
inline const QString ToolSolver = QStringLiteral("ソルバー");
inline const QString ToolSolverRun = QStringLiteral("ソルバー・静解析実行");
inline const QString ToolPost = QStringLiteral("ポストプロセッサ");
inline const QString ToolViewer = QStringLiteral("ビューワ");
inline const QString FontFace = QStringLiteral("ＭＳ Ｐゴシック");

// The title of the messages that name a file; the others carry the application's own title.
inline const QString MessageTitle = QStringLiteral("TOLV_Strel");

// The data-file dialog: the Run button's caption for a tool, the browse title and filters.
inline QString runCaption(const QString &tool)
{
    return QStringLiteral("%1を実行").arg(tool);
}
inline const QString BrowseTitle = QStringLiteral("TOLV/Strel-入力ﾃﾞｰﾀﾌｧｲﾙ名の指定");
inline const QString SolverFilter = QStringLiteral("*.ana(ｿﾙﾊﾞｰ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ana");
inline const QString PostFilter = QStringLiteral("*.ind.in(ﾎﾟｽﾄ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ind.in");

// A program of the suite that is not where it should be, or that the system refuses to start.
inline QString notFound(const QString &tool, const QString &path)
{
    return QStringLiteral("%1（%2）が見つかりません。").arg(tool, path);
}
inline QString cannotStart(const QString &tool, const QString &path, const QString &reason)
{
    return QStringLiteral("%1（%2）を起動できません。\r\n%3").arg(tool, path, reason);
}

// Files and folders that the launcher cannot use, with the platform's reason.
inline QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("%1に書き込めません。\r\n%2").arg(path, reason);
}
inline QString cannotRead(const QString &path, const QString &reason)
{
    return QStringLiteral("%1を読み込めません。\r\n%2").arg(path, reason);
}
// The reason for a file whose wanted fields run past what the launcher reads of it.
inline const QString FieldsTooLong = QStringLiteral("必要な項目が読み込める長さを超えています。");
// The reasons for a run.dat that is there but holds no whole record.
inline const QString RecordUndecodable =
        QStringLiteral("システムの文字コードで読めない文字が含まれています（別の文字コードのコンピュータで書かれたファイルと思われます）。");
inline QString recordIncomplete(int given)
{
    return QStringLiteral("記録が不完全です（5件のファイル名のうち%1件しかありません）。").arg(given);
}
inline QString cannotChangeDir(const QString &folder, const QString &reason)
{
    return QStringLiteral("%1に移動できません。\r\n%2").arg(folder, reason);
}
// The reasons for a path that run.dat cannot hold: the field reader would not give it back.
inline QString pathHoldsLineEnd(const QString &path)
{
    return QStringLiteral("ファイル名（%1）に改行文字が含まれています。").arg(path);
}
inline QString pathHoldsNul(const QString &path)
{
    return QStringLiteral("ファイル名（%1）に NUL 文字が含まれています。").arg(path);
}
inline QString pathStartsWithQuote(const QString &path)
{
    return QStringLiteral("ファイル名（%1）が二重引用符で始まっています。").arg(path);
}
inline QString pathQuoteNeedsQuotes(const QString &path)
{
    return QStringLiteral("ファイル名（%1）に二重引用符と、カンマまたは前後の空白が含まれています。").arg(path);
}
inline QString solverFolderUnusable(const QString &folder, const QString &reason)
{
    return QStringLiteral("%1ではソルバーを実行できません。\r\n%2").arg(folder, reason);
}
inline QString fileNameUnusable(const QString &path, const QString &reason)
{
    return QStringLiteral("%1\r\nこのファイル名は使用できません。\r\n%2").arg(path, reason);
}
inline QString appFolderUnusable(const QString &reason)
{
    return QStringLiteral("プログラムのフォルダ名を扱えないため終了します。\r\n%1").arg(reason);
}

// The linked solver start.
inline QString longName(const QString &name)
{
    return QStringLiteral("ﾌｧｲﾙ名（%1）が拡張子を含み12文字を越えていますので、連動処理は行なえません。\r\n"
                          "入力ﾃﾞｰﾀ保存時にﾌｧｲﾙ名を8文字で作成しなおすか、直接ﾌｧｲﾙ名を指定してソルバーを起動するか\r\n"
                          "どちらかの方法で対処してください。")
            .arg(name);
}
inline const QString NoSolverData = QStringLiteral("ソルバー用データファイルがありません。");

// The data-file dialog's Run command.
inline const QString EmptyName = QStringLiteral("入力データ名が指定されていません");
inline QString solverNameRejected(const QString &name)
{
    return QStringLiteral("%1 はソルバー用データファイル名ではありません。\r\nソルバー用データファイル名を指定してください").arg(name);
}
inline const QString AnalysisTypeMissing = QStringLiteral("解析タイプが不明です。\r\n"
                                                          "プリ終了時に解析タイプの選択処理が行なわれていないと思われます。");
inline const QString SolverNotNamed = QStringLiteral("ソルバーを実行できません。\r\n"
                                                     "プリ終了時の解析タイプの選択処理が正しく行なわれなかったと思われます。\r\n"
                                                     "ソルバー用データファイル名を指定してください");
inline QString postNameRejected(const QString &name)
{
    return QStringLiteral("%1 はポスト用データファイル名ではありません。\r\nポスト用データファイル名を指定してください").arg(name);
}

} // namespace tolv::text

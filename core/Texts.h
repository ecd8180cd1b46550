// User-visible texts that the program logic composes into messages and captions.
// Window captions, tooltips and labels live in the .ui files.
#pragma once

#include <QString>

namespace tolv::text {

inline const QString ToolPre = QStringLiteral("プリプロセッサ");
inline const QString ToolSolver = QStringLiteral("ソルバー");
inline const QString MenuFilename = QStringLiteral("ファイル名指定（連動の場合不要）");
inline const QString ToolPost = QStringLiteral("ポストプロセッサ");
inline const QString MenuRunPost = QStringLiteral("ポストプロセッサ実行");
inline const QString MenuRunSolver = QStringLiteral("ソルバー実行");
inline const QString FontFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString ToolSolverRun = QStringLiteral("ソルバー・静解析実行");
inline const QString OpenParen = QStringLiteral("（");
inline const QString NotFoundTail = QStringLiteral("）が見つかりません。");
inline const QString ToolViewer = QStringLiteral("ビューワ");
inline const QString End = QStringLiteral("終了");
inline const QString Arrow = QStringLiteral("▼");
inline const QString MenuSolverTitle = QStringLiteral("ソルバーメニュー");
inline const QString MenuCancel = QStringLiteral("キャンセル");
inline const QString MenuPostTitle = QStringLiteral("ポストメニュー");
inline const QString MenuViewerTitle = QStringLiteral("ビューワメニュー");
inline const QString MenuRunViewer = QStringLiteral("ビューワ実行");
inline const QString NoSolverData = QStringLiteral("ソルバー用データファイルがありません。");
inline const QString LongNameHead = QStringLiteral("ﾌｧｲﾙ名（");
inline const QString LongNameTail = QStringLiteral("）が拡張子を含み12文字を越えていますので、連動処理は行なえません。");
inline const QString LongNameLine2 = QStringLiteral("入力ﾃﾞｰﾀ保存時にﾌｧｲﾙ名を8文字で作成しなおすか、直接ﾌｧｲﾙ名を指定してソルバーを起動するか");
inline const QString LongNameLine3 = QStringLiteral("どちらかの方法で対処してください。");
inline const QString FilenameCaption = QStringLiteral("TOLV/Strel - 入力データファイル名指定");
inline const QString RunSuffix = QStringLiteral("を実行");
inline const QString SolverFilter = QStringLiteral("*.ana(ｿﾙﾊﾞｰ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ana");
inline const QString PostFilter = QStringLiteral("*.ind.in(ﾎﾟｽﾄ用ﾃﾞｰﾀﾌｧｲﾙ)|*.ind.in");
inline const QString BrowseTitle = QStringLiteral("TOLV/Strel-入力ﾃﾞｰﾀﾌｧｲﾙ名の指定");
inline const QString EmptyName = QStringLiteral("入力データ名が指定されていません");
inline const QString SolverNameRejectedTail = QStringLiteral(" はソルバー用データファイル名ではありません。");
inline const QString SolverNameRequest = QStringLiteral("ソルバー用データファイル名を指定してください");
inline const QString AnalysisTypeLine1 = QStringLiteral("解析タイプが不明です。");
inline const QString AnalysisTypeLine2 = QStringLiteral("プリ終了時に解析タイプの選択処理が行なわれていないと思われます。");
inline const QString SolverNotNamedLine1 = QStringLiteral("ソルバーを実行できません。");
inline const QString SolverNotNamedLine2 = QStringLiteral("プリ終了時の解析タイプの選択処理が正しく行なわれなかったと思われます。");
inline const QString PostNameRejectedTail = QStringLiteral(" はポスト用データファイル名ではありません。");
inline const QString PostNameRequest = QStringLiteral("ポスト用データファイル名を指定してください");
inline const QString CannotStartTail = QStringLiteral("）を起動できません。");
inline const QString CannotWriteTail = QStringLiteral("に書き込めません。");
inline const QString CannotChangeDirTail = QStringLiteral("に移動できません。");
inline const QString CrLf = QStringLiteral("\r\n");
inline const QString MessageTitle = QStringLiteral("TOLV_Strel");

} // namespace tolv::text

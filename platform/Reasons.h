// The platform's own reasons for a failure, as the user reads them after a message's first line.
#pragma once

#include <QString>

namespace tolv::reason {

inline QString notEncodable()
{
    return QStringLiteral("システムの文字コードで表せない文字がファイル名に含まれています。");
}
inline QString nameNotExact(const QString &path)
{
    return QStringLiteral("名前（%1）をシステムの文字コードで正しく表せません。").arg(path);
}
inline QString notRegularFile()
{
    return QStringLiteral("通常のファイルではありません。");
}
inline QString readOnlyFile()
{
    return QStringLiteral("読み取り専用のファイルです。");
}
// Replacing the file failed although it is not read-only: on Windows, another program has it open.
inline QString heldOpen()
{
    return QStringLiteral("ほかのプログラム（実行中のソルバーやエディタなど）がこのファイルを開いている可能性があります。"
                          "そのプログラムを終了してから、もう一度実行してください。");
}
inline QString tooLarge(qint64 limit)
{
    return QStringLiteral("ファイルが大きすぎます（先頭%1バイトに行の終わりがありません）。").arg(limit);
}
inline QString tooLong(qint64 limit)
{
    return QStringLiteral("内容が長すぎます（%1バイトを超えます）。").arg(limit);
}
inline QString holdsNul()
{
    return QStringLiteral("NUL 文字が含まれています。");
}
inline QString noInterpreter(const QString &path)
{
    return QStringLiteral("バッチファイルを実行するプログラム（%1）がありません。").arg(path);
}
inline QString batchPathSpecial()
{
    return QStringLiteral("バッチファイルのパスに、コマンドプロンプトが特別に扱う文字が含まれています。");
}
inline QString networkFolder()
{
    return QStringLiteral("ネットワーク上のフォルダは、バッチファイルを実行するコマンドプロンプトの作業フォルダにできません。"
                          "共有フォルダにドライブ文字を割り当て（「ネットワーク ドライブの割り当て」）、そのドライブから起動してください。");
}
inline QString folderTooLong(qsizetype length, int limit)
{
    return QStringLiteral("フォルダのパスが長すぎます（%1文字）。後ろに「\\solver.bat」を加えてもコマンドプロンプトが"
                          "扱える長さに収まるのは、%2文字までのフォルダです。"
                          "より短いパスのフォルダに移してください。")
            .arg(length)
            .arg(limit);
}
inline QString ownPathUnreadable()
{
    return QStringLiteral("プログラム自身のパスを読み取れません。");
}

} // namespace tolv::reason

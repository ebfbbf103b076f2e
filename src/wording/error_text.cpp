// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "error_text.h"

#include "convert_text.h"
#include "db_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ErrDsp", text);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Counts of a large file read better in groups of three digits.
QString count(qint64 n)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(n);
}

QString storedCounts(const ConvertResult& result)
{
    return tr("定数 %1、関数 %2、型 %3（メンバー行 %4）、#If の組 %5 ")
        .arg(count(result.constants), count(result.procedures), count(result.types), count(result.members),
             count(result.groups));
}

struct NumberText
{
    int number;
    const char* text;
};

const NumberText kRunTimeTexts[] = {
    {kErrNotYet, "すんまへ～ん まだどすぅ(__;)"},
    {kErrUnsupportedFile, "サポート外のファイルです"},
    {kErrInvalidCall, "プロシージャの呼び出し、または引数が不正です。"},
    {6, "オーバーフローしました。"},
    {kErrOutOfMemory, "メモリが不足しています。"},
    {9, "インデックスが有効範囲にありません。"},
    {11, "0 で除算しました。"},
    {13, "型が一致しません。"},
    {52, "ファイル名または番号が不正です。"},
    {53, "ファイルが見つかりません。"},
    {55, "ファイルは既に開かれています。"},
    {57, "デバイス I/O エラーです。"},
    {58, "既に同名のファイルが存在しています。"},
    {61, "ディスクの空き容量が不足しています。"},
    {62, "ファイルにこれ以上データがありません。"},
    {67, "ファイルが多すぎます。"},
    {68, "デバイスが準備されていません。"},
    {70, "書き込みできません。"},
    {71, "ディスクが準備されていません。"},
    {75, "パス名が無効です。"},
    {76, "パスが見つかりません。"},
};

struct ReasonText
{
    SkipReason reason;
    const char* text;
};

const ReasonText kSkipReasons[] = {
    {SkipReason::NoConstDelimiter, "名前の後に「 =」がありません"},
    {SkipReason::NoLibDelimiter, "名前の後に「 Lib 」がありません"},
    {SkipReason::NoProcKeyword, "Declare の後に Function も Sub もありません"},
    {SkipReason::EmptyName, "名前が空です"},
    {SkipReason::DuplicateType, "同じ名前の型が既にあります"},
    {SkipReason::TooLong, "行が長すぎます（64 KB 超）"},
    {SkipReason::OutsideType, "型の外にある、定数でも関数でも型でもない行です"},
    {SkipReason::NoOpenIf, "対応する #If がありません"},
    {SkipReason::AfterElse, "#Else の後には置けません"},
    {SkipReason::IfNotClosed, "#End If がありません（格納し、コピーでは #End If で閉じます）"},
    {SkipReason::TooDeep, "#If の入れ子が深すぎます（1000 段超）"},
    {SkipReason::ContinuedAtEnd, "行末の「 _」の続きの行がないままファイルが終わっています"},
};

} // namespace

QString errorText(int number)
{
    for (const NumberText& known : kRunTimeTexts) {
        if (known.number == number)
            return tr(known.text);
    }
    return tr("アプリケーション定義またはオブジェクト定義のエラーです。");
}

QString errorTitle(long long iErr)
{
    const unsigned long long magnitude =
        iErr < 0 ? 0ull - static_cast<unsigned long long>(iErr) : static_cast<unsigned long long>(iErr);
    return tr("エラー  : ") + u' ' + QString::number(magnitude);
}

QString describeDbError(const DbError& e)
{
    const QString file = shown(e.path());
    switch (e.fault()) {
    case DbFault::FileNotFound:
        return tr("ファイル %1 が見つかりません。").arg(file);
    case DbFault::TextNotFound:
        return tr("テキストファイル %1 が見つかりません。").arg(file);
    case DbFault::BadPath:
        return tr("%1 のフォルダーが見つかりません。").arg(file);
    case DbFault::NotAFile:
        return tr("%1 はファイルではありません（フォルダーなど）。").arg(file);
    case DbFault::AccessDenied:
        return tr("%1 を開けません。アクセスが許可されていないか、使用中です。").arg(file);
    case DbFault::TextAccess:
        return tr("テキストファイル %1 を開けません。アクセスが許可されていません。").arg(file);
    case DbFault::Locked:
        return tr("%1 は他のプログラムが使用中です。しばらくしてからやり直してください。").arg(file);
    case DbFault::ReadOnly:
        return tr("%1 は読み取り専用のため書き込めません。").arg(file);
    case DbFault::ForeignOwner:
        return tr("%1 の所有者 (%2) を新しいデータベースに引き継げないため、置き換えません。"
                  "所有者が変換してください。")
            .arg(file, e.detail());
    case DbFault::DiskFull:
        return tr("ディスクの空き容量が不足したため、%1 に書き込めません。").arg(file);
    case DbFault::Io:
        return tr("%1 の読み書き中にディスクのエラーが発生しました。").arg(file);
    case DbFault::TextIo:
        return tr("テキストファイル %1 の読み込み中にエラーが発生しました。").arg(file);
    case DbFault::Corrupt:
        return tr("%1 は壊れているため読めません。").arg(file);
    case DbFault::NotADatabase:
        return tr("%1 はデータベースファイルではありません。").arg(file);
    case DbFault::NoTable:
        return tr("%1 はサポート外のファイルです（テーブル %2 がありません）。").arg(file, e.detail());
    case DbFault::NotATable:
        return tr("%1 はサポート外のファイルです（%2 が普通のテーブルではありません）。")
            .arg(file, e.detail());
    case DbFault::TooSlow:
        return tr("%1 の読み込みが終わらないため中止しました。宣言データベースではないか、壊れています。")
            .arg(file);
    case DbFault::Replaced:
        return tr("%1 は作成中に他のプログラムによって置き換えられました。変換は中止しました。").arg(file);
    case DbFault::NoCodePage:
        return tr("テキストファイル %1 を読むための文字コード変換（%2）をこのシステムで利用できません。")
            .arg(file, e.detail());
    case DbFault::SideFileName:
        return tr("テキストファイル %1 "
                  "は、作成するデータベースの作業用ファイルと同じ名前のため変換できません。"
                  "ファイル名を変えてからやり直してください。")
            .arg(file);
    case DbFault::NoField:
        return tr("%1 はサポート外のファイルです（%2 がありません）。").arg(file, e.detail());
    case DbFault::SameFile:
        return tr("テキストファイル %1 を、そのファイル自身に変換することはできません。").arg(file);
    case DbFault::OutOfMemory:
        if (file.isEmpty())
            return tr("メモリが不足しています。");
        return tr("メモリが不足しています。%1 の処理を続けられないため中止しました。").arg(file);
    case DbFault::NameTooLong:
        return tr("%1 の名前が長すぎるため、このシステムでは扱えません（変換では、この名前より 18 "
                  "文字長い作業用の名前も使います）。短い名前か浅いフォルダーを選んでください。")
            .arg(file);
    case DbFault::CrossDevice:
        return tr("%1 を置き換えられません。新しいデータベースと %1 が別のディスク（マウント）にあり、"
                  "名前の変更で移せません。")
            .arg(file);
    case DbFault::QuotaExceeded:
        return tr("ディスク使用量の上限（クォータ）を超えるため、%1 に書き込めません。").arg(file);
    case DbFault::FolderNotSynced:
        return tr("%1 を新しいデータベースに置き換えましたが、フォルダー %2 "
                  "の変更をディスクに書き込めませんでした"
                  "（%3）。停電などの後には元のデータベースに戻っている可能性があります。")
            .arg(file, shown(QFileInfo(e.path()).absolutePath()), e.detail());
    case DbFault::BadFileName:
        return tr("ファイル名 %1 には UTF-8 として読めないバイトが含まれるため、そのファイルを扱えません"
                  "（別のファイルを開いたり作ったりしないよう中止しました）。ファイル名を変えてからやり直して"
                  "ください。")
            .arg(file);
    case DbFault::NoIndex:
        return tr("%1 はサポート外のファイルです（%2 の索引がありません）。").arg(file, e.detail());
    case DbFault::OverTimeLimit:
        return tr("%1 の読み込みが合計 %2 秒を超えたため中止しました。このファイルはサポート外です。")
            .arg(file)
            .arg(e.detail());
    case DbFault::NoInodes:
        return tr("%1 の場所にファイルを作れません。ディスクに新しいファイルを作る余地（i "
                  "ノード）がありません。")
            .arg(file);
    case DbFault::FileSizeLimit:
        return tr("%1 に書き込めません。このプログラムが書けるファイルサイズの上限を超えます。").arg(file);
    case DbFault::TooManyOpenFiles:
        return tr("%1 を開けません。開いているファイルが多すぎます。").arg(file);
    case DbFault::Moved:
        return tr("%1 の作業中のファイルが、書き込みの途中で移動または削除されました。").arg(file);
    case DbFault::UnfinishedWrite:
        return tr("%1 への書き込みが途中で中断されたままです（作業用ファイル %2 が残っています）。"
                  "内容が完全でない可能性があるため開きません。テキストファイルから変換し直してください。")
            .arg(file, shown(e.detail()));
    case DbFault::BeingWritten:
        return tr("%1 には他のプログラムが今書き込んでいます（作業用ファイル %2）。"
                  "書き込みが終わってからやり直してください。")
            .arg(file, shown(e.detail()));
    case DbFault::FolderDenied:
        return tr("フォルダー %1 に書き込めないため、データベースを作成できません。"
                  "書き込みが許可されているフォルダーを選んでください。")
            .arg(file);
    case DbFault::ValueTooLong:
        return tr("%1 はサポート外のファイルです（%2 KB を超える名前または行があります）。")
            .arg(file)
            .arg(256);
    case DbFault::NotText:
        return tr("テキストファイル %1 はコードページ 932 のテキストではありません（UTF-16 "
                  "かバイナリのファイルです）。")
            .arg(file);
    default:
        return tr("%1 でデータベースのエラーが発生しました。%2").arg(file, e.detail());
    }
}

QString previousKeptText(const QString& dbPath)
{
    return tr("元の %1 は変更されずにそのまま残っています。").arg(shown(dbPath));
}

QString quotedLine(const SkippedLine& line)
{
    return line.cut ? line.text + QStringLiteral("…") : line.text;
}

QString skippedLineText(const SkippedLine& line)
{
    return skippedLineReason(line) + QStringLiteral(": ") + quotedLine(line);
}

QString moreSkippedText(const ConvertResult& result)
{
    if (result.skippedCount <= result.skipped.size())
        return QString();
    return tr("（ほか %1 行）").arg(count(result.skippedCount - result.skipped.size()));
}

QString skippedLinesText(const ConvertResult& result, const QString& lineBreak)
{
    QString lines = notStoredText(result.skippedCount);
    lines += lineBreak;
    for (const SkippedLine& line : result.skipped)
        lines += lineBreak + listedLineText(line);
    const QString more = moreSkippedText(result);
    if (!more.isEmpty())
        lines += lineBreak + more;
    return lines;
}

bool isNotADeclarationDatabase(const DbError& error)
{
    return error.fault() == DbFault::NoTable || error.fault() == DbFault::NotATable;
}

QString notADeclarationDatabaseText(const QString& path)
{
    return tr("%1 はサポート外のファイルです（宣言データベースではありません）。").arg(path);
}

QString describeConversionFailure(const DbError& error, const QString& lineBreak)
{
    QString text = describeDbError(error);
    if (error.previousKept())
        text += lineBreak + lineBreak + previousKeptText(error.database());
    return text;
}

QString textChangedText(const QString& textPath)
{
    return tr("テキストファイル %1 "
              "は読み込み中に変更されました。データベースの内容は読み込んだ時点のものです。")
        .arg(shown(textPath));
}

QString cancelledText(const ConvertResult& result, const QString& textPath, const QString& dbPath)
{
    // The line at which the cancel was noticed was read but not converted.
    const QString converted = count(std::max<qint64>(result.lines - 1, 0));
    if (result.totalLines < 0)
        return tr("変換を中断しました。テキストファイル %1 の最初の %2 行を変換し、%3をデータベース %4 "
                  "に格納しました。")
            .arg(shown(textPath), converted, storedCounts(result), shown(dbPath));
    return tr("変換を中断しました。テキストファイル %1 の全 %2 行のうち %3 行を変換し、%4をデータベース %5 "
              "に格納しました。")
        .arg(shown(textPath), count(result.totalLines), converted, storedCounts(result), shown(dbPath));
}

QString storedText(const ConvertResult& result, const QString& textPath, const QString& dbPath)
{
    return tr("テキストファイル %1 の %2 行を読み、%3をデータベース %4 に格納しました。")
        .arg(shown(textPath), count(result.lines), storedCounts(result), shown(dbPath));
}

QString notStoredText(qint64 lines)
{
    return tr("%1 行をデータベースに格納できませんでした。").arg(count(lines));
}

QString listedLineText(const SkippedLine& line)
{
    return tr("%1 行目: ").arg(line.lineNumber) + skippedLineText(line);
}

QString skipReasonText(SkipReason reason)
{
    for (const ReasonText& known : kSkipReasons) {
        if (known.reason == reason)
            return tr(known.text);
    }
    return QString();
}

QString skippedLineReason(const SkippedLine& line)
{
    QString reason = line.reason == SkipReason::DuplicateType && line.firstTypeLine > 0
                         ? tr("同じ名前の型が %1 行目に既にあります").arg(line.firstTypeLine)
                         : skipReasonText(line.reason);
    if (line.membersNotStored > 0)
        reason += tr("（この型のメンバー行 %1 行も格納していません）").arg(line.membersNotStored);
    return reason;
}

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cli.h"

#include "cli_layout.h"
#include "conversion.h"
#include "db_error.h"
#include "decl_browser.h"
#include "error_text.h"
#include "fault_number.h"
#include "layout_text.h"

#include <QCoreApplication>
#include <QTextStream>
#include <optional>
#include <vector>

namespace Cli {
namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("Cli", text);
}

const char* const kUsageText = R"(使い方:
  ek-cli convert TEXTFILE DBFILE
      宣言テキストファイル (コードページ 932) から宣言データベースを作成します。
      DBFILE にあるファイルは置き換えられます。
  ek-cli list DBFILE KIND
      KIND の名前をすべて、名前の順に 1 行ずつ出力します。
  ek-cli show [--with-deps] [--scope public|private] [--size-note] DBFILE KIND NAME... [KIND NAME...]...
      NAME の宣言全文を、コピーと同じ形 (各全文の後に CR LF) で出力します。
      種類の違う名前も 1 度に指定でき、同じ宣言は 1 度だけ、条件の同じ
      #If の組は 1 つにまとめて出力します。見つからない名前は空の行に
      なります。オプションは DBFILE の前に置きます。
      --with-deps      各宣言の前に、それが使用する型と定数を出力します
                       (同じ宣言は 1 度だけ)。
      --scope public|private
                       出力する各宣言の先頭行に Public か Private を付けます。
      --size-note      各型の後に 32 ビットと 64 ビットの LenB をコメントで付けます。
  ek-cli search DBFILE KIND PREFIX
      PREFIX で始まる最初の名前を出力します。
  ek-cli layout DBFILE TYPENAME [--c]
      型の各メンバーの位置・大きさ・前の詰めを 32 ビットと 64 ビットで出力します。
      --c              C (Windows、8 バイト境界) の位置と警告も出力します。
  ek-cli find DBFILE KIND TEXT
      TEXT を含む名前をすべて、名前の順に 1 行ずつ出力します (英字の大小は区別しません)。
      lib:user32 は user32 の関数 (.dll は省略可)、=&H80 は値がその数の定数
      (128、&H80、&O200 は同じ数、&H8& の & のような型文字は無視) です。
  ek-cli --help | --version

KIND: const (0, 定数)、func (1, 関数)、type (2, 型)
出力は UTF-8 です。

終了状態:
  0  成功
  1  convert: 格納できなかった行がある (行番号は標準エラーに出力)
     search、find: 見つからない
     layout: 型がない、警告がある (--c なしではレイアウトできないホストがある)
  2  引数が正しくない
  3  ファイルまたはデータベースのエラー
  4  convert: Ctrl+C で中断した (それまでの行は格納済み)
)";

class UsageError
{
public:
    explicit UsageError(QString message)
        : text(std::move(message))
    {
    }
    QString text;
};

std::optional<DeclKind> kindNamed(const QString& text)
{
    const QString k = text.toLower();
    if (k == QLatin1String("const") || k == QLatin1String("0") || text == tr("定数"))
        return DeclKind::Constant;
    if (k == QLatin1String("func") || k == QLatin1String("1") || text == tr("関数"))
        return DeclKind::Procedure;
    if (k == QLatin1String("type") || k == QLatin1String("2") || text == tr("型"))
        return DeclKind::Type;
    return std::nullopt;
}

DeclKind parseKind(const QString& text)
{
    if (const std::optional<DeclKind> kind = kindNamed(text))
        return *kind;
    throw UsageError(
        tr("種類 %1 は指定できません。const、func、type のどれかを指定してください。").arg(text));
}

void requireArguments(const QStringList& args, qsizetype atLeast, qsizetype atMost = -1)
{
    if (args.size() < atLeast || (atMost >= 0 && args.size() > atMost))
        throw UsageError(tr("引数の数が正しくありません。"));
}

class TerminalProgress : public ConvertProgress
{
public:
    TerminalProgress(QTextStream& err, const Options& options)
        : m_err(err)
        , m_options(options)
    {
    }
    void started(qint64 total) override { m_max = total; }
    bool shouldStop(qint64 done) override
    {
        if (m_options.interrupted && m_options.interrupted->load())
            return true;
        if (!m_options.progress || m_max <= 0)
            return false;
        const int percent = int(std::min<qint64>(100, done * 100 / m_max));
        if (percent != m_percent) {
            m_percent = percent;
            m_err << '\r' << tr("変換中 %1%").arg(percent, 3) << Qt::flush;
        }
        return false;
    }
    void finished() override
    {
        if (m_options.progress && m_percent >= 0)
            m_err << '\r' << QString(12, u' ') << '\r' << Qt::flush;
    }

private:
    QTextStream& m_err;
    const Options& m_options;
    qint64 m_max = 0;
    int m_percent = -1;
};

int convert(const QStringList& args, QTextStream& out, QTextStream& err, const Options& options)
{
    requireArguments(args, 3, 3);
    const QString& text = args[1];
    const QString& db = args[2];
    TerminalProgress progress(err, options);
    ConvertResult result;
    try {
        // A text refused before the run says as well that the database was kept.
        Conversion conversion(text, db);
        result = conversion.run(progress);
    } catch (const DbError& e) {
        err << "ek-cli: " << describeDbError(e) << tr(" (エラー %1)").arg(faultNumber(e.fault())) << '\n';
        if (e.previousKept())
            err << previousKeptText(db) << '\n';
        return kFailed;
    }
    if (result.cancelled)
        err << cancelledText(result, text, db) << '\n';
    else
        out << storedText(result, text, db) << '\n';
    for (const SkippedLine& line : result.skipped)
        err << QStringLiteral("%1:%2: %3").arg(text, QString::number(line.lineNumber), skippedLineText(line))
            << '\n';
    const QString more = moreSkippedText(result);
    if (!more.isEmpty())
        err << more << '\n';
    if (result.skippedCount > 0)
        err << notStoredText(result.skippedCount) << '\n';
    if (result.textChanged)
        err << textChangedText(text) << '\n';
    if (result.cancelled)
        return kInterrupted;
    return result.skippedCount > 0 || result.textChanged ? kSomeLinesNotStored : kOk;
}

int list(const QStringList& args, QTextStream& out)
{
    requireArguments(args, 3, 3);
    const DeclKind kind = parseKind(args[2]);
    const std::unique_ptr<DeclBrowser> browser = DeclBrowser::open(args[1]);
    browser->forEachName(kind, [&out](std::string_view utf8) {
        out << QString::fromUtf8(utf8.data(), qsizetype(utf8.size())) << '\n';
    });
    return kOk;
}

CopyScope parseScope(const QString& text)
{
    if (text == QLatin1String("public"))
        return CopyScope::Public;
    if (text == QLatin1String("private"))
        return CopyScope::Private;
    throw UsageError(tr("--scope に %1 は指定できません。public か private を指定してください。").arg(text));
}

// The options of show, which come before DBFILE; the rest is left in args.
CopyOptions takeShowOptions(QStringList& args)
{
    CopyOptions options;
    while (args.size() > 1 && args[1].startsWith(u'-')) {
        const QString option = args.takeAt(1);
        if (option == QLatin1String("--with-deps")) {
            options.withUses = true;
        } else if (option == QLatin1String("--size-note")) {
            options.sizeNote = layoutAnnotation;
        } else if (option == QLatin1String("--scope")) {
            if (args.size() < 2)
                throw UsageError(tr("--scope には public か private を指定してください。"));
            options.scope = parseScope(args.takeAt(1));
        } else {
            throw UsageError(tr("オプション %1 はありません。").arg(option));
        }
    }
    return options;
}

// KIND NAME... once or more: a kind word among the names switches the kind of the names
// after it. No declaration can be named by a kind word: they are keywords or numbers.
std::vector<CopyEntry> showEntries(const QStringList& args)
{
    std::vector<CopyEntry> entries;
    DeclKind kind = parseKind(args[2]);
    bool named = false;
    for (qsizetype i = 3; i < args.size(); ++i) {
        if (const std::optional<DeclKind> next = kindNamed(args[i])) {
            if (!named)
                throw UsageError(tr("種類 %1 の後に名前がありません。").arg(args[i - 1]));
            kind = *next;
            named = false;
            continue;
        }
        entries.push_back({args[1], kind, args[i]});
        named = true;
    }
    if (!named)
        throw UsageError(tr("種類 %1 の後に名前がありません。").arg(args.last()));
    return entries;
}

int show(QStringList args, QTextStream& out)
{
    const CopyOptions options = takeShowOptions(args);
    requireArguments(args, 4);
    const std::vector<CopyEntry> entries = showEntries(args);
    const std::unique_ptr<DeclBrowser> browser = DeclBrowser::open(args[1]);
    out << browser->copyCollection(entries, options, CopyEnd::BreakAfterEach).text;
    return kOk;
}

int search(const QStringList& args, QTextStream& out)
{
    requireArguments(args, 4, 4);
    const DeclKind kind = parseKind(args[2]);
    const std::unique_ptr<DeclBrowser> browser = DeclBrowser::open(args[1]);
    const std::optional<QString> found = browser->search(kind, args[3]);
    if (!found)
        return kNotFound;
    out << *found << '\n';
    return kOk;
}

int find(const QStringList& args, QTextStream& out)
{
    requireArguments(args, 4, 4);
    const DeclKind kind = parseKind(args[2]);
    const std::unique_ptr<DeclBrowser> browser = DeclBrowser::open(args[1]);
    const QStringList names = browser->filterNames(kind, args[3]);
    for (const QString& name : names)
        out << name << '\n';
    return names.isEmpty() ? kNotFound : kOk;
}

} // namespace

int run(const QStringList& args, QTextStream& out, QTextStream& err, const Options& options)
{
    try {
        if (args.isEmpty())
            throw UsageError(tr("コマンドを指定してください。"));
        const QString& command = args.first();
        if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
            command == QLatin1String("help")) {
            out << tr(kUsageText);
            return kOk;
        }
        if (command == QLatin1String("--version")) {
            out << "ek-cli " EK_VERSION "\n";
            return kOk;
        }
        if (command == QLatin1String("convert"))
            return convert(args, out, err, options);
        if (command == QLatin1String("list"))
            return list(args, out);
        if (command == QLatin1String("show"))
            return show(args, out);
        if (command == QLatin1String("search"))
            return search(args, out);
        if (command == QLatin1String("layout")) {
            QString usage;
            const int status = layout(args, out, err, usage);
            if (!usage.isEmpty())
                throw UsageError(usage);
            return status;
        }
        if (command == QLatin1String("find"))
            return find(args, out);
        throw UsageError(tr("コマンド %1 はありません。").arg(command));
    } catch (const UsageError& e) {
        err << "ek-cli: " << e.text << '\n' << tr("使い方は ek-cli --help で表示されます。") << '\n';
        return kUsage;
    } catch (const DbError& e) {
        const QString reason =
            isNotADeclarationDatabase(e) ? notADeclarationDatabaseText(e.path()) : describeDbError(e);
        err << "ek-cli: " << reason << tr(" (エラー %1)").arg(faultNumber(e.fault())) << '\n';
        return kFailed;
    } catch (const std::bad_alloc&) {
        err << "ek-cli: " << errorText(kErrOutOfMemory) << '\n';
        return kFailed;
    } catch (const std::exception& e) {
        err << "ek-cli: " << errorText(kErrInvalidCall) << ' ' << QString::fromLocal8Bit(e.what()) << '\n';
        return kFailed;
    }
}

} // namespace Cli

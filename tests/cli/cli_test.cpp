// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "browse_data.h"
#include "cli.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList& args)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.status = Cli::run(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QString u8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void helpExplainsCommandsAndStatuses();
    void badArgumentsAreUsageErrors_data();
    void badArgumentsAreUsageErrors();
    void convertsTheSampleCompletely();
    void linesNotStoredGiveStatusOneWithLineNumbers();
    void convertRefusesToOverwriteItsOwnInput();
    void interruptedConvertKeepsAValidDatabase();
    void convertOfAMissingTextLeavesTheTargetAlone();
    void listPrintsNamesInIndexOrder();
    void kindsHaveSeveralSpellings_data();
    void kindsHaveSeveralSpellings();
    void showPrintsWhatCopyWouldCopy();
    void showWithOptionsPrintsWhatCopyWouldCopyWithThem();
    void the64BitSampleReportsItsHelperAndCopiesVariantsAsAGroup();
    void searchFindsTheFirstMatchOrFails();
    void findPrintsEveryNameThatPassesAsTheFilterBoxLetsThrough();
    void filesThatAreNotDeclarationDatabasesAreRefused();
    void layoutPrintsBothHostsAndWarnsWhereCDisagrees();

private:
    QString sample64();

    QTemporaryDir m_dir;
    QString m_db;
    QString m_db64;
};

// The shipped 64-bit sample, converted once.
QString CliTest::sample64()
{
    if (m_db64.isEmpty()) {
        const QString db = m_dir.filePath(QStringLiteral("s64.mdb"));
        const Run r =
            cli({QStringLiteral("convert"), QStringLiteral(EK_SOURCE_DIR "/samples/winapi64.txt"), db});
        if (r.status == Cli::kSomeLinesNotStored)
            m_db64 = db;
    }
    return m_db64;
}

void CliTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = m_dir.filePath(QStringLiteral("sample.mdb"));
    const Run r = cli({QStringLiteral("convert"), samplePath(), m_db});
    QCOMPARE(r.status, Cli::kOk);
}

void CliTest::helpExplainsCommandsAndStatuses()
{
    const Run r = cli({QStringLiteral("--help")});
    QCOMPARE(r.status, 0);
    for (const char* word :
         {"convert", "list", "show", "--with-deps", "--scope", "search", "KIND", "終了状態"})
        QVERIFY2(u8(r.out).contains(QString::fromUtf8(word)), word);
    QVERIFY(r.err.isEmpty());
}

void CliTest::badArgumentsAreUsageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
    QTest::newRow("convert without target")
        << QStringList{QStringLiteral("convert"), QStringLiteral("a.txt")};
    QTest::newRow("list without kind") << QStringList{QStringLiteral("list"), QStringLiteral("a.mdb")};
    QTest::newRow("bad kind") << QStringList{QStringLiteral("list"), QStringLiteral("a.mdb"),
                                             QStringLiteral("enum")};
    QTest::newRow("show without names")
        << QStringList{QStringLiteral("show"), QStringLiteral("a.mdb"), QStringLiteral("type")};
    QTest::newRow("show with a kind and no name after it")
        << QStringList{QStringLiteral("show"), QStringLiteral("a.mdb"), QStringLiteral("func"),
                       QStringLiteral("GetMessage"), QStringLiteral("type")};
    QTest::newRow("show with two kinds in a row")
        << QStringList{QStringLiteral("show"), QStringLiteral("a.mdb"), QStringLiteral("func"),
                       QStringLiteral("const"), QStringLiteral("HGDI_ERROR")};
    QTest::newRow("show with an unknown option")
        << QStringList{QStringLiteral("show"), QStringLiteral("--deps"), QStringLiteral("a.mdb"),
                       QStringLiteral("type"), QStringLiteral("RECT")};
    QTest::newRow("show with an unknown scope")
        << QStringList{QStringLiteral("show"),  QStringLiteral("--scope"), QStringLiteral("friend"),
                       QStringLiteral("a.mdb"), QStringLiteral("type"),    QStringLiteral("RECT")};
}

void CliTest::badArgumentsAreUsageErrors()
{
    QFETCH(QStringList, args);
    const Run r = cli(args);
    QCOMPARE(r.status, Cli::kUsage);
    QVERIFY(r.out.isEmpty());
    QVERIFY(u8(r.err).contains(QStringLiteral("ek-cli --help")));
}

void CliTest::convertsTheSampleCompletely()
{
    const QString db = m_dir.filePath(QStringLiteral("again.mdb"));
    writeBytes(db, "an old file in the way");
    const Run r = cli({QStringLiteral("convert"), samplePath(), db});
    QCOMPARE(r.status, 0);
    QVERIFY2(u8(r.out).contains(QStringLiteral("型 9")), r.out.constData());
    QVERIFY(r.err.isEmpty());
    QCOMPARE(sqlColumn(db, QStringLiteral("SELECT count(*) FROM tbType")), QStringList{QStringLiteral("9")});
}

void CliTest::linesNotStoredGiveStatusOneWithLineNumbers()
{
    const QString text = m_dir.filePath(QStringLiteral("bad.txt"));
    writeCp932(text,
               {QStringLiteral("Public Const OK = 1"), QStringLiteral("Declare  Function Two Lib \"k\" ()"),
                QStringLiteral("Type T"), QStringLiteral("End Type"), QStringLiteral("type t")});
    const QString db = m_dir.filePath(QStringLiteral("bad.mdb"));
    const Run r = cli({QStringLiteral("convert"), text, db});
    QCOMPARE(r.status, Cli::kSomeLinesNotStored);
    const QString err = u8(r.err);
    QVERIFY2(err.contains(text + QStringLiteral(":2: ")), r.err.constData());
    QVERIFY(err.contains(text + QStringLiteral(":5: 同じ名前の型が 3 行目に既にあります: type t")));
    QVERIFY(err.contains(QStringLiteral("2 行をデータベースに格納できませんでした。")));
    QCOMPARE(u8(r.out),
             QStringLiteral("テキストファイル %1 の 5 行を読み、定数 1、関数 0、型 1（メンバー行 0）、"
                            "#If の組 0 をデータベース %2 に格納しました。\n")
                 .arg(QDir::toNativeSeparators(text), QDir::toNativeSeparators(db)));
    QCOMPARE(sqlColumn(db, QStringLiteral("SELECT fdName FROM tbCnst")), QStringList{QStringLiteral("OK")});
}

void CliTest::convertRefusesToOverwriteItsOwnInput()
{
    const QString text = m_dir.filePath(QStringLiteral("self.txt"));
    writeCp932(text, {QStringLiteral("Public Const OK = 1")});
    const QByteArray before = readBytes(text);
    const Run r = cli({QStringLiteral("convert"), text, text});
    QCOMPARE(r.status, Cli::kFailed);
    QCOMPARE(readBytes(text), before);
    // The sentences name paths as the system writes them.
    QVERIFY(u8(r.err).contains(QDir::toNativeSeparators(text)));
    // Through another spelling of the same path too.
    const Run viaDots = cli({QStringLiteral("convert"), text, m_dir.path() + QStringLiteral("/./self.txt")});
    QCOMPARE(viaDots.status, Cli::kFailed);
    QCOMPARE(readBytes(text), before);
}

void CliTest::interruptedConvertKeepsAValidDatabase()
{
    // Ctrl+C arrived before the first line: nothing is stored, the file is still ours.
    const std::atomic<bool> interrupted{true};
    Cli::Options options;
    options.interrupted = &interrupted;
    const QString db = m_dir.filePath(QStringLiteral("stopped.mdb"));
    QByteArray out;
    QByteArray err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QCOMPARE(Cli::run({QStringLiteral("convert"), samplePath(), db}, outStream, errStream, options),
             Cli::kInterrupted);
    errStream.flush();
    QVERIFY2(u8(err).contains(QDir::toNativeSeparators(db)), err.constData());
    // The sample's own count of lines, as the converter splits them.
    const qint64 lines = readBytes(samplePath()).count("\r\n");
    QCOMPARE(u8(err),
             QStringLiteral(
                 "変換を中断しました。テキストファイル %1 の全 %2 行のうち 0 行を変換し、"
                 "定数 0、関数 0、型 0（メンバー行 0）、#If の組 0 をデータベース %3 に格納しました。\n")
                 .arg(QDir::toNativeSeparators(samplePath()), QLocale(QLocale::Japanese).toString(lines),
                      QDir::toNativeSeparators(db)));
    QCOMPARE(sqlColumn(db, QStringLiteral("SELECT count(*) FROM tbCnst")), QStringList{QStringLiteral("0")});
    QCOMPARE(cli({QStringLiteral("list"), db, QStringLiteral("type")}).status, Cli::kOk);
}

void CliTest::convertOfAMissingTextLeavesTheTargetAlone()
{
    const QString db = m_dir.filePath(QStringLiteral("keep.mdb"));
    writeBytes(db, "precious");
    const Run r = cli({QStringLiteral("convert"), m_dir.filePath(QStringLiteral("nope.txt")), db});
    QCOMPARE(r.status, Cli::kFailed);
    QCOMPARE(readBytes(db), QByteArray("precious"));
    QVERIFY(u8(r.err).contains(QStringLiteral("nope.txt")));
}

void CliTest::listPrintsNamesInIndexOrder()
{
    const Run r = cli({QStringLiteral("list"), m_db, QStringLiteral("type")});
    QCOMPARE(r.status, 0);
    QCOMPARE(
        r.out,
        QByteArray("FILETIME\nMSG\nOSVERSIONINFO\nPOINTAPI\nRECT\nSECURITY_ATTRIBUTES\nSID_NAME_USE\nSIZE\n"
                   "SYSTEMTIME\n"));
}

void CliTest::kindsHaveSeveralSpellings_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("first");
    QTest::newRow("const") << "const"
                           << "CF_TEXT";
    QTest::newRow("0") << "0"
                       << "CF_TEXT";
    QTest::newRow("定数") << "定数"
                          << "CF_TEXT";
    QTest::newRow("func") << "func"
                          << "BitBlt";
    QTest::newRow("関数") << "関数"
                          << "BitBlt";
    QTest::newRow("2") << "2"
                       << "FILETIME";
    QTest::newRow("型") << "型"
                        << "FILETIME";
}

void CliTest::kindsHaveSeveralSpellings()
{
    QFETCH(QString, kind);
    QFETCH(QString, first);
    const Run r = cli({QStringLiteral("list"), m_db, kind});
    QCOMPARE(r.status, 0);
    QCOMPARE(u8(r.out).section(u'\n', 0, 0), first);
}

void CliTest::showPrintsWhatCopyWouldCopy()
{
    const Run r = cli({QStringLiteral("show"), m_db, QStringLiteral("type"), QStringLiteral("rect"),
                       QStringLiteral("NOSUCH"), QStringLiteral("SIZE")});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QByteArray("Type RECT\r\n    Left As Long\r\n    Top As Long\r\n    Right As Long\r\n"
                               "    Bottom As Long\r\nEnd Type\r\n"
                               "\r\n"
                               "Type SIZE\r\n    cx As Long\r\n    cy As Long\r\nEnd Type\r\n"));
    const Run c = cli({QStringLiteral("show"), m_db, QStringLiteral("const"), QStringLiteral("SYSTEM_DIR")});
    QCOMPARE(u8(c.out), QStringLiteral("Public Const SYSTEM_DIR = \"C:\\Windows\\System32\\\" \r\n"));
}

void CliTest::showWithOptionsPrintsWhatCopyWouldCopyWithThem()
{
    const QString text = m_dir.filePath(QStringLiteral("uses.txt"));
    const QString db = m_dir.filePath(QStringLiteral("uses.mdb"));
    writeCp932(text,
               {"Public Const READ_CONTROL = &H20000", "Public Const STANDARD_RIGHTS_READ = (READ_CONTROL)",
                "Type SECURITY_ATTRIBUTES", "    nLength As Long", "End Type",
                "Declare Function RegCreateKeyEx Lib \"advapi32\" Alias \"RegCreateKeyExA\" (ByVal hKey As "
                "Long, lpSecurityAttributes As SECURITY_ATTRIBUTES, phkResult As Long) As Long"});
    QCOMPARE(cli({QStringLiteral("convert"), text, db}).status, Cli::kOk);
    const Run r =
        cli({QStringLiteral("show"), QStringLiteral("--with-deps"), QStringLiteral("--scope"),
             QStringLiteral("private"), db, QStringLiteral("func"), QStringLiteral("RegCreateKeyEx")});
    QCOMPARE(r.status, Cli::kOk);
    QCOMPARE(u8(r.out),
             QStringLiteral("Private Type SECURITY_ATTRIBUTES\r\n    nLength As Long\r\nEnd Type\r\n"
                            "Private Declare Function RegCreateKeyEx Lib \"advapi32\" Alias "
                            "\"RegCreateKeyExA\" (ByVal hKey As Long, lpSecurityAttributes As "
                            "SECURITY_ATTRIBUTES, phkResult As Long) As Long\r\n"));
    QVERIFY(r.err.isEmpty());
    const Run noted = cli({QStringLiteral("show"), QStringLiteral("--size-note"), db, QStringLiteral("type"),
                           QStringLiteral("SECURITY_ATTRIBUTES")});
    QCOMPARE(u8(noted.out), QStringLiteral("Type SECURITY_ATTRIBUTES\r\n    nLength As Long\r\nEnd Type\r\n"
                                           "' LenB: 32 ビット 4 / 64 ビット 4\r\n"));

    // The 64-bit sample: GetMessage brings MSG, and MSG brings POINTAPI first.
    const QString db64 = sample64();
    const QStringList firstLines =
        u8(cli({QStringLiteral("show"), QStringLiteral("--with-deps"), QStringLiteral("--scope"),
                QStringLiteral("private"), db64, QStringLiteral("func"), QStringLiteral("GetMessage")})
               .out)
            .split(QStringLiteral("\r\n"))
            .filter(QRegularExpression(QStringLiteral("^Private ")));
    QCOMPARE(firstLines,
             QStringList({"Private Type POINTAPI", "Private Type MSG ",
                          "Private Declare PtrSafe Function GetMessage Lib \"user32\" Alias "
                          "\"GetMessageA\" (lpMsg As MSG, ByVal hWnd As LongPtr, ByVal wMsgFilterMin "
                          "As Long, ByVal wMsgFilterMax As Long) As Long"}));

    // Several kinds in one call: one section, the two groups of the same condition as one, a
    // name given twice once.
    const QStringList mixed =
        u8(cli({QStringLiteral("show"), QStringLiteral("--with-deps"), QStringLiteral("--scope"),
                QStringLiteral("private"), db64, QStringLiteral("func"), QStringLiteral("GetWindowLongPtr"),
                QStringLiteral("type"), QStringLiteral("MEMORY_BASIC_INFORMATION"), QStringLiteral("const"),
                QStringLiteral("HGDI_ERROR"), QStringLiteral("1"), QStringLiteral("GetMessage"),
                QStringLiteral("getmessage")})
               .out)
            .split(QStringLiteral("\r\n"))
            .filter(QRegularExpression(QStringLiteral("^(#|Private )")));
    QStringList heads;
    for (const QString& line : mixed)
        heads << line.section(QStringLiteral(" Lib "), 0, 0);
    QCOMPARE(heads, QStringList({"#If Win64 Then", "Private Declare PtrSafe Function GetWindowLongPtr",
                                 "Private Type MEMORY_BASIC_INFORMATION", "#Else",
                                 "Private Declare PtrSafe Function GetWindowLongPtr",
                                 "Private Type MEMORY_BASIC_INFORMATION", "#End If",
                                 "Private Const HGDI_ERROR As LongPtr = -1 ", "Private Type POINTAPI",
                                 "Private Type MSG ", "Private Declare PtrSafe Function GetMessage"}));
}

void CliTest::the64BitSampleReportsItsHelperAndCopiesVariantsAsAGroup()
{
    const QString text = QStringLiteral(EK_SOURCE_DIR "/samples/winapi64.txt");
    const QString db = m_dir.filePath(QStringLiteral("s64-report.mdb"));
    const Run converted = cli({QStringLiteral("convert"), text, db});
    QCOMPARE(converted.status, Cli::kSomeLinesNotStored);
    QVERIFY2(u8(converted.out).contains(QStringLiteral("#If の組 4 をデータベース ")),
             converted.out.constData());
    // Only the helper function's lines between two types are reported.
    const QStringList reported = u8(converted.err).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(reported.size(), 8);
    QVERIFY(
        reported[0].startsWith(text + QStringLiteral(":75: 型の外にある、定数でも関数でも型でもない行です: "
                                                     "Function LoWord(")));
    QVERIFY(reported[6].startsWith(text + QStringLiteral(":81: ")));
    QCOMPARE(reported[7], QStringLiteral("7 行をデータベースに格納できませんでした。"));

    const QString a64 =
        QStringLiteral("Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias "
                       "\"GetWindowLongPtrA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
    const QString a32 =
        QStringLiteral("Declare PtrSafe Function GetWindowLongPtr Lib \"user32\" Alias "
                       "\"GetWindowLongA\" (ByVal hWnd As LongPtr, ByVal nIndex As Long) As LongPtr");
    const Run shown =
        cli({QStringLiteral("show"), db, QStringLiteral("func"), QStringLiteral("getwindowlongptr")});
    QCOMPARE(shown.status, Cli::kOk);
    QCOMPARE(u8(shown.out), QStringList({"#If Win64 Then", a64, "#Else", a32, "#End If", ""}).join("\r\n"));
    // The list names both variants; either copies the group.
    QCOMPARE(u8(cli({QStringLiteral("list"), db, QStringLiteral("func")}).out)
                 .count(QStringLiteral("GetWindowLongPtr\n")),
             2);

    // The nested group, and a grouped type brought by a declaration, each line scoped.
    const Run nested = cli({QStringLiteral("show"), QStringLiteral("--scope"), QStringLiteral("private"), db,
                            QStringLiteral("func"), QStringLiteral("SetWindowLongPtr")});
    const QStringList lines = u8(nested.out).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 10);
    QCOMPARE(QStringList({lines[0], lines[1], lines[3], lines[5], lines[6], lines[8]}),
             QStringList({"#If VBA7 Then", "#If Win64 Then", "#Else", "#End If", "#Else", "#End If"}));
    for (int i : {2, 4, 7})
        QVERIFY2(lines[i].startsWith(QStringLiteral("Private Declare ")), qPrintable(lines[i]));
    const Run uses = cli({QStringLiteral("show"), QStringLiteral("--with-deps"), db, QStringLiteral("func"),
                          QStringLiteral("VirtualQuery")});
    const QStringList useLines = u8(uses.out).split(QStringLiteral("\r\n"));
    QCOMPARE(
        useLines.filter(QRegularExpression(QStringLiteral("^(#|Type |End Type|Declare)"))),
        QStringList({"#If Win64 Then", "Type MEMORY_BASIC_INFORMATION", "End Type", "#Else",
                     "Type MEMORY_BASIC_INFORMATION", "End Type", "#End If",
                     "Declare PtrSafe Function VirtualQuery Lib \"kernel32\" (ByVal lpAddress As LongPtr, "
                     "lpBuffer As MEMORY_BASIC_INFORMATION, ByVal dwLength As LongPtr) As LongPtr"}));
    // A typed constant is found by its name.
    QCOMPARE(u8(cli({QStringLiteral("show"), db, QStringLiteral("const"), QStringLiteral("hgdi_error")}).out),
             QStringLiteral("Const HGDI_ERROR As LongPtr = -1 \r\n"));
}

void CliTest::searchFindsTheFirstMatchOrFails()
{
    Run r = cli({QStringLiteral("search"), m_db, QStringLiteral("const"), QStringLiteral("wm_k")});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QByteArray("WM_KEYDOWN\n"));
    r = cli({QStringLiteral("search"), m_db, QStringLiteral("type"), QStringLiteral("rec")});
    QCOMPARE(r.out, QByteArray("RECT\n"));
    r = cli({QStringLiteral("search"), m_db, QStringLiteral("type"), QStringLiteral("zzz")});
    QCOMPARE(r.status, Cli::kNotFound);
    QVERIFY(r.out.isEmpty());
}

// The bound is a constant defined through one that each host declares in its own
// branch; the Double after a Long is where VBA on 32-bit and C part.
void CliTest::layoutPrintsBothHostsAndWarnsWhereCDisagrees()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ConvertResult converted = convertLines(
        dir.path(),
        {QStringLiteral("#If Win64 Then"), QStringLiteral("Const SLOTS = 3"), QStringLiteral("#Else"),
         QStringLiteral("Const SLOTS = 1"), QStringLiteral("#End If"),
         QStringLiteral("Const LAST = SLOTS - 1 ' the last index"), QStringLiteral("Type SLOTTED"),
         QStringLiteral("    n As Long"), QStringLiteral("    d As Double"),
         QStringLiteral("    s(LAST) As Integer"), QStringLiteral("    name As String ' a BSTR"),
         QStringLiteral("End Type"), QStringLiteral("Type BROKEN"),
         QStringLiteral("    a(1 To MISSING) As Byte"), QStringLiteral("End Type"),
         // After the #End If of a group inside, a type stands in the branch around that group.
         QStringLiteral("#If VBA7 Then"), QStringLiteral("#If Win64 Then"), QStringLiteral("Const WIDE = 2"),
         QStringLiteral("#Else"), QStringLiteral("Const WIDE = 1"), QStringLiteral("#End If"),
         QStringLiteral("Type INNER_DONE"), QStringLiteral("    w(WIDE) As Byte"), QStringLiteral("End Type"),
         QStringLiteral("#Else"), QStringLiteral("Type INNER_DONE"), QStringLiteral("    w As Long"),
         QStringLiteral("End Type"), QStringLiteral("#End If")});
    QCOMPARE(converted.skippedCount, 0);
    const QString db = dir.filePath(QStringLiteral("t.mdb"));

    const QString table = QStringLiteral("   位置 大きさ   詰め   位置 大きさ   詰め   メンバー\n"
                                         "      0      4      -      0      4      -   n As Long\n"
                                         "      4      8      -      8      8      4   d As Double\n"
                                         "     12      2      -     16      6      -   s(LAST) As Integer\n"
                                         "     16      4      2     24      8      2   name As String\n"
                                         "                    -                    -   (末尾の詰め)\n");
    Run r = cli({QStringLiteral("layout"), db, QStringLiteral("slotted")});
    QCOMPARE(r.status, 0);
    QCOMPARE(u8(r.out), QStringLiteral("型 slotted\n"
                                       "32 ビット: LenB 20 / 64 ビット: LenB 32\n"
                                       "Len: 32 ビット 18 / 64 ビット 26\n"
                                       "            32 ビット            64 ビット\n") +
                            table);

    r = cli({QStringLiteral("layout"), db, QStringLiteral("SLOTTED"), QStringLiteral("--c")});
    QCOMPARE(r.status, Cli::kLayoutWarnings);
    const QString out = u8(r.out);
    QVERIFY2(out.contains(QStringLiteral("C (8 バイト境界) sizeof: 32 ビット 24 / 64 ビット 32\n")),
             qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("警告:\n"
                                         "  32 ビット: d の位置が VBA では 4、C では 8 です\n"
                                         "  32 ビット: s の位置が VBA では 12、C では 16 です\n"
                                         "  32 ビット: name の位置が VBA では 16、C では 20 です\n"
                                         "  32 ビット: 大きさが VBA では 20 バイト、C では 24 バイトです\n"
                                         "  name は String です。")),
             qPrintable(out));
    QVERIFY2(out.contains(
                 QStringLiteral("      4      8      -      8      8      4      8      8   d As Double\n")),
             qPrintable(out));

    // No layout is a warning with or without the C columns; the reason names the constant.
    r = cli({QStringLiteral("layout"), db, QStringLiteral("BROKEN")});
    QCOMPARE(r.status, Cli::kLayoutWarnings);
    QVERIFY2(u8(r.out).contains(QStringLiteral("32 ビット: レイアウトなし: BROKEN のメンバー a: MISSING "
                                               "は整数の定数としてデータベースにありません\n")),
             r.out.constData());
    QVERIFY(!u8(r.out).contains(QStringLiteral("位置")));

    r = cli({QStringLiteral("layout"), db, QStringLiteral("INNER_DONE")});
    QCOMPARE(r.status, 0);
    QVERIFY2(u8(r.out).contains(QStringLiteral("\n32 ビット: LenB 2 / 64 ビット: LenB 3\n")),
             r.out.constData());

    r = cli({QStringLiteral("layout"), db, QStringLiteral("NOWHERE")});
    QCOMPARE(r.status, Cli::kNotFound);
    QCOMPARE(u8(r.err), QStringLiteral("ek-cli: 型 NOWHERE はデータベースにありません。\n"));
    QCOMPARE(cli({QStringLiteral("layout"), db}).status, Cli::kUsage);
    QCOMPARE(
        cli({QStringLiteral("layout"), dir.filePath(QStringLiteral("none.mdb")), QStringLiteral("X")}).status,
        Cli::kFailed);
}

void CliTest::findPrintsEveryNameThatPassesAsTheFilterBoxLetsThrough()
{
    const QString db = QDir(m_dir.path()).filePath(QStringLiteral("browse.mdb"));
    QVERIFY(!QFile::exists(db));
    convertLines(m_dir.path(), browseLines(), QStringLiteral("browse.mdb"));
    Run r = cli({QStringLiteral("find"), db, QStringLiteral("func"), QStringLiteral("WindowLong")});
    QCOMPARE(r.status, 0);
    QCOMPARE(u8(r.out), QStringLiteral("GetWindowLong\nGetWindowLongPtr\nGetWindowLongPtr\nSetWindowLongPtr\n"
                                       "SetWindowLongPtr\nSetWindowLongPtr\n"));
    r = cli({QStringLiteral("find"), db, QStringLiteral("関数"), QStringLiteral("lib:kernel32.dll")});
    QCOMPARE(u8(r.out), QStringLiteral("GetModuleHandle\nGetTickCount\nlstrlenW\nSleep\n"));
    for (const char* number : {"=&H80", "=128", "=&O200", "=&h80&", "=+128%"}) {
        r = cli({QStringLiteral("find"), db, QStringLiteral("const"), QString::fromLatin1(number)});
        QCOMPARE(u8(r.out), QStringLiteral("FILE_ATTRIBUTE_NORMAL\nSS_NOPREFIX\n"));
    }
    r = cli({QStringLiteral("find"), db, QStringLiteral("const"), QStringLiteral("=&H8")});
    QCOMPARE(u8(r.out), QStringLiteral("WS_EX_TOPMOST\n"));
    // A value that is no plain number is not the number it adds up to.
    r = cli({QStringLiteral("find"), db, QStringLiteral("const"), QStringLiteral("=1025")});
    QCOMPARE(r.status, Cli::kNotFound);
    QVERIFY(r.out.isEmpty());
    r = cli({QStringLiteral("find"), db, QStringLiteral("const"), QStringLiteral("=&HZZ")});
    QCOMPARE(r.status, Cli::kNotFound);
    r = cli({QStringLiteral("find"), db, QStringLiteral("const")});
    QCOMPARE(r.status, Cli::kUsage);
}

void CliTest::filesThatAreNotDeclarationDatabasesAreRefused()
{
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.mdb"));
    writeBytes(garbage, QByteArray(3000, 'x'));
    Run r = cli({QStringLiteral("list"), garbage, QStringLiteral("type")});
    QCOMPARE(r.status, Cli::kFailed);
    QVERIFY(u8(r.err).contains(QStringLiteral("3343")));

    const QString foreign = m_dir.filePath(QStringLiteral("foreign.db"));
    writeBytes(foreign, QByteArray());
    sqlExec(foreign, QStringLiteral("CREATE TABLE t (x)"));
    r = cli({QStringLiteral("show"), foreign, QStringLiteral("func"), QStringLiteral("X")});
    QCOMPARE(r.status, Cli::kFailed);
    QVERIFY(u8(r.err).contains(QStringLiteral("サポート外のファイルです")));

    const QString missing = m_dir.filePath(QStringLiteral("missing.mdb"));
    r = cli({QStringLiteral("search"), missing, QStringLiteral("func"), QStringLiteral("X")});
    QCOMPARE(r.status, Cli::kFailed);
    QVERIFY(!QFile::exists(missing));
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "type_layout.h"

#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Offsets of one member under the four layouts; -1 where the host's variant lacks it.
struct Offsets
{
    const char* member;
    int vba32, vba64, c32, c64;
};

// A record type worked out by hand: its body on each host, the same members as C
// declares them (EK_CHAR is 2 for VBA's fixed-length strings in memory, 1 for C;
// EK_WIN64 picks the variant), and what each layout gives.
struct HandWorked
{
    const char* name;
    QStringList body32;
    QStringList body64; // empty: the same as body32
    const char* c;
    std::vector<Offsets> offsets;
    int lenB32, lenB64, sizeofC32, sizeofC64, len32, len64;
    QStringList warnings;
};

const std::vector<HandWorked>& handWorked()
{
    static const std::vector<HandWorked> cases = {
        {"BYTE_LONG",
         {"    a As Byte", "    b As Long ' after three bytes of padding", "    c As Byte",
          "    d As Integer"},
         {},
         "signed char a; int b; signed char c; short d;",
         {{"a", 0, 0, 0, 0}, {"b", 4, 4, 4, 4}, {"c", 8, 8, 8, 8}, {"d", 10, 10, 10, 10}},
         12,
         12,
         12,
         12,
         8,
         8,
         {}},
        {"DOUBLE_AFTER_LONG",
         {"n As Long", "d As Double", "k As Long"},
         {},
         "int n; double d; int k;",
         {{"n", 0, 0, 0, 0}, {"d", 4, 8, 8, 8}, {"k", 12, 16, 16, 16}},
         16,
         24,
         24,
         24,
         16,
         16,
         {"offset 32 d 4 8", "offset 32 k 12 16", "size 32 16 24"}},
        {"INNER",
         {"b As Byte", "x As Integer"},
         {},
         "signed char b; short x;",
         {{"b", 0, 0, 0, 0}, {"x", 2, 2, 2, 2}},
         4,
         4,
         4,
         4,
         3,
         3,
         {}},
        {"OUTER",
         {"c As Byte", "i As INNER", "p As LongPtr", "t As Currency"},
         {},
         "signed char c; struct INNER i; void* p; long long t;",
         {{"c", 0, 0, 0, 0}, {"i", 2, 2, 2, 2}, {"p", 8, 8, 8, 8}, {"t", 12, 16, 16, 16}},
         20,
         24,
         24,
         24,
         16,
         20,
         {"offset 32 t 12 16", "size 32 20 24"}},
        {"ARRAYS",
         {"flags(0 To 7) As Byte", "v(N - 1) As Long", "w(1 To N) As Integer", "g(1, 2) As Byte"},
         {},
         "unsigned char flags[8]; int v[4]; short w[4]; unsigned char g[2][3];",
         {{"flags", 0, 0, 0, 0}, {"v", 8, 8, 8, 8}, {"w", 24, 24, 24, 24}, {"g", 32, 32, 32, 32}},
         40,
         40,
         40,
         40,
         38,
         38,
         {}},
        // The knowledge-base example of LenB, with the trailing padding VBA adds.
        {"FIXED_STRINGS",
         {"FirstName As String * 5", "LastName As String", "ChildrenAges(1 To 5) As Byte"},
         {},
         "char FirstName[5 * EK_CHAR]; void* LastName; unsigned char ChildrenAges[5];",
         {{"FirstName", 0, 0, 0, 0}, {"LastName", 12, 16, 8, 8}, {"ChildrenAges", 16, 24, 12, 16}},
         24,
         32,
         20,
         24,
         14,
         18,
         {"string LastName"}},
        {"HANDLES",
         {"hWnd As LongPtr", "hIcon As Long", "lpfnWndProc As Long", "Protect As Long"},
         {},
         "void* hWnd; int hIcon; int lpfnWndProc; int Protect;",
         {{"hWnd", 0, 0, 0, 0},
          {"hIcon", 4, 8, 4, 8},
          {"lpfnWndProc", 8, 12, 8, 12},
          {"Protect", 12, 16, 12, 16}},
         16,
         24,
         16,
         24,
         16,
         20,
         {"pointer hIcon", "pointer lpfnWndProc"}},
        // Declared under #If Win64 Then and #Else: each host lays out its own branch.
        {"GROUPED",
         {"BaseAddress As LongPtr", "AllocationBase As LongPtr", "AllocationProtect As Long",
          "RegionSize As LongPtr", "State As Long", "Protect As Long", "lType As Long"},
         {"BaseAddress As LongPtr", "AllocationBase As LongPtr", "AllocationProtect As Long",
          "PartitionId As Integer", "RegionSize As LongPtr", "State As Long", "Protect As Long",
          "lType As Long"},
         "void* BaseAddress; void* AllocationBase; int AllocationProtect;\n"
         "#if EK_WIN64\nshort PartitionId;\n#endif\n"
         "void* RegionSize; int State; int Protect; int lType;",
         {{"BaseAddress", 0, 0, 0, 0},
          {"AllocationBase", 4, 8, 4, 8},
          {"AllocationProtect", 8, 16, 8, 16},
          {"PartitionId", -1, 20, -1, 20},
          {"RegionSize", 12, 24, 12, 24},
          {"State", 16, 32, 16, 32},
          {"Protect", 20, 36, 20, 36},
          {"lType", 24, 40, 24, 40}},
         28,
         48,
         28,
         48,
         28,
         42,
         {}},
        // Its own #If lines pick members too.
        {"BODY_IF",
         {"cb As Long", "#If Win64 Then", "    pad As Long", "#Else", "#End If", "p As LongPtr"},
         {},
         "int cb;\n#if EK_WIN64\nint pad;\n#endif\nvoid* p;",
         {{"cb", 0, 0, 0, 0}, {"pad", -1, 4, -1, 4}, {"p", 4, 8, 4, 8}},
         8,
         16,
         8,
         16,
         8,
         16,
         {}},
    };
    return cases;
}

class TableResolver : public LayoutResolver
{
public:
    QHash<QString, std::array<TypeBody, 2>> types;
    QHash<QString, qint64> constants;

    std::optional<TypeBody> typeBody(QStringView name, Host host) override
    {
        const auto it = types.constFind(name.toString().toUpper());
        if (it == types.cend() || (*it)[hostIndex(host)].members.isEmpty())
            return std::nullopt;
        return (*it)[hostIndex(host)];
    }
    std::optional<qint64> constantValue(QStringView name, Host) override
    {
        const auto it = constants.constFind(name.toString().toUpper());
        return it == constants.cend() ? std::nullopt : std::optional<qint64>(*it);
    }
};

TableResolver handWorkedResolver()
{
    TableResolver r;
    for (const HandWorked& t : handWorked()) {
        const QStringList& body64 = t.body64.isEmpty() ? t.body32 : t.body64;
        r.types.insert(QLatin1String(t.name), {TypeBody{t.body32, false}, TypeBody{body64, false}});
    }
    r.constants.insert(QStringLiteral("N"), 4);
    return r;
}

int expected(const Offsets& o, Host host, LayoutRules rules)
{
    const bool c = rules == LayoutRules::C;
    if (host == Host::Bits32)
        return c ? o.c32 : o.vba32;
    return c ? o.c64 : o.vba64;
}

QString describe(const LayoutWarning& w)
{
    const QString bits = w.host == Host::Bits32 ? QStringLiteral("32") : QStringLiteral("64");
    switch (w.kind) {
    case LayoutWarningKind::OffsetDiffers:
        return QStringLiteral("offset %1 %2 %3 %4").arg(bits, w.member).arg(w.vba).arg(w.c);
    case LayoutWarningKind::SizeDiffers:
        return QStringLiteral("size %1 %2 %3").arg(bits).arg(w.vba).arg(w.c);
    case LayoutWarningKind::PointerInLong:
        return QStringLiteral("pointer ") + w.member;
    case LayoutWarningKind::StringMember:
        return QStringLiteral("string ") + w.member;
    case LayoutWarningKind::NoLayout:
        return QStringLiteral("nolayout %1 %2 %3").arg(bits).arg(int(w.problem.kind)).arg(w.problem.word);
    }
    return {};
}

// The hand-worked C declarations with an assertion for every expected offset and
// size under one layout: VBA's is C's with its packing and its string width.
QByteArray compilerCheck(Host host, LayoutRules rules)
{
    const bool vba = rules != LayoutRules::C;
    QByteArray src = "#define EK_CHAR " + QByteArray(vba ? "2" : "1") + "\n#define EK_WIN64 " +
                     QByteArray(host == Host::Bits64 ? "1" : "0") + "\n";
    if (vba)
        src += host == Host::Bits32 ? "#pragma pack(push, 4)\n" : "#pragma pack(push, 8)\n";
    for (const HandWorked& t : handWorked()) {
        src += QByteArray("struct ") + t.name + " {\n" + t.c + "\n};\n";
        for (const Offsets& o : t.offsets) {
            const int at = expected(o, host, rules);
            if (at >= 0) {
                src += QByteArray("static_assert(__builtin_offsetof(struct ") + t.name + ", " + o.member +
                       ") == " + QByteArray::number(at) + ", \"" + t.name + "." + o.member + "\");\n";
            }
        }
        const int size =
            host == Host::Bits32 ? (vba ? t.lenB32 : t.sizeofC32) : (vba ? t.lenB64 : t.sizeofC64);
        src += QByteArray("static_assert(sizeof(struct ") + t.name + ") == " + QByteArray::number(size) +
               ", \"sizeof " + t.name + "\");\n";
    }
    if (vba)
        src += "#pragma pack(pop)\n";
    return src;
}

} // namespace

class TypeLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void handWorkedTypesLayOutOnBothHosts();
    void handWorkedOffsetsAreTheCompilers_data();
    void handWorkedOffsetsAreTheCompilers();
    void typesThatCannotBeLaidOutSayWhy_data();
    void typesThatCannotBeLaidOutSayWhy();
    void deepNestingIsRefusedWithoutExhaustingTheStack();
    void boundsAndConditionsEvaluateAsVbaDoes_data();
    void boundsAndConditionsEvaluateAsVbaDoes();
};

void TypeLayoutTest::handWorkedTypesLayOutOnBothHosts()
{
    TableResolver resolver = handWorkedResolver();
    for (const HandWorked& t : handWorked()) {
        const QString name = QLatin1String(t.name);
        const LayoutReport report = layoutReport(name, resolver);
        for (Host host : {Host::Bits32, Host::Bits64}) {
            for (LayoutRules rules : {LayoutRules::Vba, LayoutRules::C}) {
                const HostLayouts& h = report.hosts[hostIndex(host)];
                const TypeLayout& layout = rules == LayoutRules::C ? h.c : h.vba;
                const QString where = name + QLatin1String(rules == LayoutRules::C ? " C " : " VBA ") +
                                      QString::number(host == Host::Bits32 ? 32 : 64);
                QVERIFY2(!layout.problem, qPrintable(where));
                QStringList got;
                QStringList want;
                for (const MemberLayout& m : layout.members)
                    got << QStringLiteral("%1@%2").arg(m.name).arg(m.offset);
                for (const Offsets& o : t.offsets) {
                    if (expected(o, host, rules) >= 0)
                        want << QStringLiteral("%1@%2")
                                    .arg(QLatin1String(o.member))
                                    .arg(expected(o, host, rules));
                }
                QCOMPARE(got, want);
                const int size = host == Host::Bits32 ? (rules == LayoutRules::C ? t.sizeofC32 : t.lenB32)
                                                      : (rules == LayoutRules::C ? t.sizeofC64 : t.lenB64);
                QVERIFY2(layout.size == size,
                         qPrintable(where + QStringLiteral(" size %1").arg(layout.size)));
                if (rules == LayoutRules::Vba) {
                    const int len = host == Host::Bits32 ? t.len32 : t.len64;
                    QVERIFY2(layout.len == len,
                             qPrintable(where + QStringLiteral(" Len %1").arg(layout.len)));
                    // The padding marked, the members and the trailing padding fill it exactly.
                    qint64 used = layout.trailing;
                    for (const MemberLayout& m : layout.members)
                        used += m.padding + m.size;
                    QCOMPARE(used, layout.size);
                }
            }
        }
        QStringList warnings;
        for (const LayoutWarning& w : report.warnings)
            warnings << describe(w);
        QCOMPARE(warnings, t.warnings);
    }
}

void TypeLayoutTest::handWorkedOffsetsAreTheCompilers_data()
{
    QTest::addColumn<int>("host");
    QTest::addColumn<int>("rules");
    QTest::newRow("C 64") << int(Host::Bits64) << int(LayoutRules::C);
    QTest::newRow("VBA 64 (natural, packed to 8)") << int(Host::Bits64) << int(LayoutRules::Vba);
    QTest::newRow("C 32") << int(Host::Bits32) << int(LayoutRules::C);
    QTest::newRow("VBA 32 (packed to 4)") << int(Host::Bits32) << int(LayoutRules::Vba);
}

// The hand-worked offsets are no guess: the build's own compiler agrees with every one.
// 32-bit needs -m32; only its front end runs (-fsyntax-only), so no 32-bit C library is
// needed. -malign-double puts double and long long where Windows puts them.
void TypeLayoutTest::handWorkedOffsetsAreTheCompilers()
{
    QFETCH(int, host);
    QFETCH(int, rules);
    QStringList flags = {QStringLiteral("-x"), QStringLiteral("c++"), QStringLiteral("-std=c++17"),
                         QStringLiteral("-fsyntax-only")};
    if (Host(host) == Host::Bits32)
        flags << QStringLiteral("-m32") << QStringLiteral("-malign-double");
    if (QStringLiteral(EK_CXX_COMPILER_ID) == u"MSVC")
        QSKIP("the layouts are checked with a GCC-style compiler only");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto compile = [&](const QByteArray& src, QByteArray& diagnostics) {
        const QString path = dir.filePath(QStringLiteral("layout.cpp"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(src) != src.size())
            return false;
        f.close();
        QProcess p;
        p.start(QStringLiteral(EK_CXX_COMPILER), flags + QStringList{path});
        if (!p.waitForFinished(120000))
            return false;
        diagnostics = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    QByteArray diagnostics;
    if (Host(host) == Host::Bits32 &&
        !compile("struct S { void* p; }; static_assert(sizeof(S) == 4, \"\");", diagnostics))
        QSKIP(qPrintable(QStringLiteral("the compiler cannot target 32-bit x86 here: ") +
                         QString::fromLocal8Bit(diagnostics)));
    if (Host(host) == Host::Bits64 && !compile("static_assert(sizeof(void*) == 8, \"\");", diagnostics))
        QSKIP("the build's compiler does not target a 64-bit host");
    const bool ok = compile(compilerCheck(Host(host), LayoutRules(rules)), diagnostics);
    QVERIFY2(ok, diagnostics.constData());
}

void TypeLayoutTest::typesThatCannotBeLaidOutSayWhy_data()
{
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<int>("problem32");
    QTest::addColumn<int>("problem64");
    QTest::addColumn<QString>("word");
    const int none = -1;
    QTest::newRow("unknown constant in a bound")
        << QStringList{"a(1 To MISSING) As Byte"} << int(LayoutProblemKind::UnresolvedName)
        << int(LayoutProblemKind::UnresolvedName) << QStringLiteral("MISSING");
    QTest::newRow("bound below the lower one")
        << QStringList{"a(5 To 4) As Byte"} << int(LayoutProblemKind::BadBound)
        << int(LayoutProblemKind::BadBound) << QStringLiteral("5 To 4");
    QTest::newRow("string of no length")
        << QStringList{"s As String * (N - 4)"} << int(LayoutProblemKind::BadBound)
        << int(LayoutProblemKind::BadBound) << QStringLiteral("(N - 4)");
    QTest::newRow("unknown nested type")
        << QStringList{"x As Long", "r As NOWHERE"} << int(LayoutProblemKind::UnknownType)
        << int(LayoutProblemKind::UnknownType) << QStringLiteral("NOWHERE");
    QTest::newRow("As Any") << QStringList{"x As Any"} << int(LayoutProblemKind::AnyType)
                            << int(LayoutProblemKind::AnyType) << QStringLiteral("Any");
    QTest::newRow("LongLong only on 64-bit")
        << QStringList{"q As LongLong"} << int(LayoutProblemKind::LongLongOn32) << none
        << QStringLiteral("LongLong");
    QTest::newRow("a type holding itself") << QStringList{"next As SELF"} << int(LayoutProblemKind::Recursive)
                                           << int(LayoutProblemKind::Recursive) << QStringLiteral("SELF");
    QTest::newRow("a statement in the body")
        << QStringList{"x As Long", "Dim y As Long"} << int(LayoutProblemKind::Unreadable)
        << int(LayoutProblemKind::Unreadable) << QStringLiteral("Dim y As Long");
    QTest::newRow("members only on 64-bit") << QStringList{"#If Win64 Then", "p As LongPtr", "#End If"}
                                            << int(LayoutProblemKind::NoMembers) << none << QString();
    QTest::newRow("an Enum nested is a Long")
        << QStringList{"k As KIND", "b As Byte"} << none << none << QString();
}

void TypeLayoutTest::typesThatCannotBeLaidOutSayWhy()
{
    QFETCH(QStringList, body);
    QFETCH(int, problem32);
    QFETCH(int, problem64);
    QFETCH(QString, word);
    TableResolver r;
    r.types.insert(QStringLiteral("SELF"), {TypeBody{body, false}, TypeBody{body, false}});
    r.types.insert(QStringLiteral("KIND"), {TypeBody{{"A = 1"}, true}, TypeBody{{"A = 1"}, true}});
    r.constants.insert(QStringLiteral("N"), 4);
    const LayoutReport report = layoutReport(u"SELF", r);
    for (Host host : {Host::Bits32, Host::Bits64}) {
        const int want = host == Host::Bits32 ? problem32 : problem64;
        const TypeLayout& vba = report.hosts[hostIndex(host)].vba;
        QCOMPARE(vba.problem ? int(vba.problem->kind) : -1, want);
        if (want >= 0 && !word.isEmpty())
            QCOMPARE(vba.problem->word, word);
        if (want < 0 && body.first() == u"k As KIND")
            QCOMPARE(vba.size, 8);
    }
    // Each host without a layout is a warning of its own.
    QCOMPARE(report.warnings.size(), size_t((problem32 >= 0) + (problem64 >= 0)));
    QCOMPARE(layOutType(u"KIND", Host::Bits64, LayoutRules::Vba, r).problem->kind, LayoutProblemKind::IsEnum);
    QCOMPARE(layOutType(u"ABSENT", Host::Bits64, LayoutRules::Vba, r).problem->kind,
             LayoutProblemKind::NotOnHost);
}

void TypeLayoutTest::deepNestingIsRefusedWithoutExhaustingTheStack()
{
    TableResolver r;
    const int chain = 100000;
    for (int i = 0; i < chain; ++i) {
        const QStringList body{QStringLiteral("x As T%1").arg(i + 1)};
        r.types.insert(QStringLiteral("T%1").arg(i), {TypeBody{body, false}, TypeBody{body, false}});
    }
    r.types.insert(QStringLiteral("T%1").arg(chain),
                   {TypeBody{{"b As Byte"}, false}, TypeBody{{"b As Byte"}, false}});
    QCOMPARE(layOutType(u"T0", Host::Bits64, LayoutRules::Vba, r).problem->kind, LayoutProblemKind::TooDeep);
    QCOMPARE(layOutType(QStringLiteral("T%1").arg(chain - 10), Host::Bits64, LayoutRules::Vba, r).size, 1);

    const QString parens = QString(100000, u'(') + u'1' + QString(100000, u')');
    QVERIFY(!evaluateExpression(parens, nullptr).value);
    QVERIFY(!evaluateExpression(QString(100000, u'-') + u'1', nullptr).value);
    QCOMPARE(*evaluateExpression(QStringLiteral("((-(-1)))"), nullptr).value, 1);
}

void TypeLayoutTest::boundsAndConditionsEvaluateAsVbaDoes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value"); // "?" none, "?NAME" the name unresolved, "32:x 64:y" a condition
    QTest::newRow("&HFFFF is the Integer -1") << "&HFFFF"
                                              << "-1";
    QTest::newRow("&HFFFF& is a Long") << "&HFFFF&"
                                       << "65535";
    QTest::newRow("&H8000 is negative") << "&H8000"
                                        << "-32768";
    QTest::newRow("&H10000 needs a Long") << "&H10000"
                                          << "65536";
    QTest::newRow("&H80000000 is the Long minimum") << "&H80000000"
                                                    << "-2147483648";
    QTest::newRow("octal") << "&O17"
                           << "15";
    QTest::newRow("names and precedence") << "(N - 1) * 2 + N Mod 3"
                                          << "7";
    QTest::newRow("integer division") << "7 \\ 2"
                                      << "3";
    QTest::newRow("a division with a remainder") << "7 / 2"
                                                 << "?";
    QTest::newRow("exact division") << "8 / 2"
                                    << "4";
    QTest::newRow("type characters") << "2& + 3%"
                                     << "5";
    QTest::newRow("unknown name") << "N + WHAT"
                                  << "?WHAT";
    QTest::newRow("overflow") << "&H7FFFFFFFFFFFFFFF^ + 1"
                              << "?";
    QTest::newRow("a fraction") << "1.5"
                                << "?";
    QTest::newRow("trailing text") << "4 4"
                                   << "?";
    QTest::newRow("Win64") << "#If Win64 Then"
                           << "32:0 64:1";
    QTest::newRow("Not Win64") << "#If Not Win64 Then"
                               << "32:1 64:0";
    QTest::newRow("Win32 holds on both") << "#ElseIf Win32 Then"
                                         << "32:1 64:1";
    QTest::newRow("VBA7 And Win64") << "#If VBA7 And Win64 Then ' 64-bit Office"
                                    << "32:0 64:1";
    QTest::newRow("Mac and undefined names are Empty") << "#If Mac Or MYFLAG Then"
                                                       << "32:0 64:0";
    QTest::newRow("compared with True") << "#If Win64 = True Then"
                                        << "32:0 64:1";
}

void TypeLayoutTest::boundsAndConditionsEvaluateAsVbaDoes()
{
    QFETCH(QString, text);
    QFETCH(QString, value);
    if (text.startsWith(u'#')) {
        const QStringView condition = conditionOf(text);
        const std::optional<bool> on32 = conditionHolds(condition, Host::Bits32);
        const std::optional<bool> on64 = conditionHolds(condition, Host::Bits64);
        QVERIFY(on32 && on64);
        QCOMPARE(QStringLiteral("32:%1 64:%2").arg(int(*on32)).arg(int(*on64)), value);
        return;
    }
    const ExpressionValue v = evaluateExpression(text, [](QStringView name) -> std::optional<qint64> {
        return name == u"N" ? std::optional<qint64>(4) : std::nullopt;
    });
    QCOMPARE(v.value ? QString::number(*v.value) : QStringLiteral("?") + v.unresolved, value);
}

QTEST_GUILESS_MAIN(TypeLayoutTest)
#include "type_layout_test.moc"

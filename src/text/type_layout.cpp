// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "type_layout.h"

#include "member_line.h"
#include "name_fold.h"

#include <QHash>
#include <QSet>
#include <QtNumeric>

namespace {

constexpr qint64 kMaxSize = 0x7FFFFFFF;
// Nested types are laid out by recursion; a chain in a database made to be deep
// must not exhaust the stack.
constexpr qsizetype kMaxNesting = 64;

qint64 alignUp(qint64 v, qint64 a)
{
    return (v + a - 1) / a * a;
}

// One element of a member: its size, the alignment it asks for before the host's cap,
// and what Len counts for it.
struct Element
{
    qint64 size = 0;
    qint64 natural = 1;
    qint64 len = 0;
};

// Where the lines of a body stand among its own #If groups.
class BodyConditions
{
public:
    explicit BodyConditions(Host host)
        : m_host(host)
    {
    }

    bool active() const { return m_open.empty() || m_open.back().active; }

    // False when the condition cannot be read.
    bool take(const MemberLine& line)
    {
        const bool outer = m_open.size() < 2 ? true : m_open[m_open.size() - 2].active;
        switch (line.conditional) {
        case ConditionalKind::If: {
            const bool parent = active();
            const std::optional<bool> holds = conditionHolds(conditionOf(line.text), m_host);
            m_open.push_back({parent && holds.value_or(false), holds.value_or(false)});
            return holds.has_value() || !parent;
        }
        case ConditionalKind::ElseIf: {
            if (m_open.empty())
                return true;
            Open& top = m_open.back();
            const std::optional<bool> holds = conditionHolds(conditionOf(line.text), m_host);
            top.active = outer && !top.taken && holds.value_or(false);
            top.taken = top.taken || holds.value_or(false);
            return holds.has_value() || !outer;
        }
        case ConditionalKind::Else:
            if (!m_open.empty()) {
                m_open.back().active = outer && !m_open.back().taken;
                m_open.back().taken = true;
            }
            return true;
        case ConditionalKind::EndIf:
            if (!m_open.empty())
                m_open.pop_back();
            return true;
        }
        return true;
    }

private:
    struct Open
    {
        bool active;
        bool taken;
    };
    Host m_host;
    std::vector<Open> m_open;
};

class Engine
{
public:
    Engine(Host host, LayoutRules rules, LayoutResolver& resolver)
        : m_host(host)
        , m_rules(rules)
        , m_resolver(resolver)
    {
    }

    TypeLayout top(QStringView name)
    {
        const std::optional<TypeBody> body = m_resolver.typeBody(name, m_host);
        if (!body)
            return failed({LayoutProblemKind::NotOnHost, name.toString(), {}, {}});
        if (body->isEnum)
            return failed({LayoutProblemKind::IsEnum, name.toString(), {}, {}});
        return layOut(name, *body);
    }

private:
    static TypeLayout failed(LayoutProblem problem)
    {
        TypeLayout out;
        out.problem = std::move(problem);
        return out;
    }

    qint64 pointer() const { return m_host == Host::Bits64 ? 8 : 4; }
    // VBA on a 32-bit host aligns nothing beyond 4 bytes; C packs to 8 on both hosts.
    qint64 cap() const { return m_rules != LayoutRules::C && m_host == Host::Bits32 ? 4 : 8; }

    TypeLayout layOut(QStringView name, const TypeBody& body)
    {
        const QString key = foldName(name);
        m_open.insert(key);
        TypeLayout out;
        BodyConditions conditions(m_host);
        qint64 at = 0;
        for (const QString& text : body.members) {
            const MemberLine line = readMemberLine(text);
            if (line.kind == MemberLine::Kind::Conditional) {
                if (!conditions.take(line)) {
                    out.problem =
                        LayoutProblem{LayoutProblemKind::BadCondition, name.toString(), {}, line.text};
                    break;
                }
                continue;
            }
            if (line.kind == MemberLine::Kind::Blank || !conditions.active())
                continue;
            if (line.kind == MemberLine::Kind::Unreadable) {
                out.problem = LayoutProblem{LayoutProblemKind::Unreadable, name.toString(), {}, line.text};
                break;
            }
            std::optional<LayoutProblem> problem;
            std::optional<MemberLayout> member = place(line, at, problem);
            if (!member) {
                out.problem = std::move(*problem);
                if (out.problem->inType.isEmpty())
                    out.problem->inType = name.toString();
                out.problem->member = out.problem->member.isEmpty() ? line.name : out.problem->member;
                break;
            }
            out.align = std::max(out.align, member->align);
            out.len += member->len;
            at = member->offset + member->size;
            out.members.push_back(std::move(*member));
        }
        m_open.remove(key);
        if (!out.problem && out.members.empty())
            out.problem = LayoutProblem{LayoutProblemKind::NoMembers, name.toString(), {}, {}};
        if (out.problem) {
            out.members.clear();
            return out;
        }
        out.size = alignUp(at, out.align);
        out.trailing = out.size - at;
        if (out.size > kMaxSize)
            return failed({LayoutProblemKind::TooLarge, name.toString(), {}, {}});
        return out;
    }

    std::optional<MemberLayout> place(const MemberLine& line, qint64 at,
                                      std::optional<LayoutProblem>& problem)
    {
        MemberLayout m;
        m.name = line.name;
        m.typeText = line.text;
        m.baseType = line.typeName.isEmpty() ? QStringLiteral("Variant") : line.typeName;
        m.fixedString = !line.fixedLength.isEmpty();
        m.array = line.isArray;
        std::optional<Element> e;
        if (line.dynamic)
            e = Element{pointer(), pointer(), pointer()};
        else
            e = element(line, problem);
        if (!e)
            return std::nullopt;
        qint64 count = 1;
        for (const ArrayBound& bound : line.dynamic ? std::vector<ArrayBound>() : line.bounds) {
            const std::optional<qint64> upper = integer(bound.upper, problem);
            const std::optional<qint64> lower = bound.lower.isEmpty() ? 0 : integer(bound.lower, problem);
            if (!upper || !lower)
                return std::nullopt;
            qint64 n = 0;
            if (qSubOverflow(*upper, *lower, &n) || n < 0 || n >= kMaxSize) {
                const QString written =
                    bound.lower.isEmpty() ? bound.upper : bound.lower + QStringLiteral(" To ") + bound.upper;
                problem = LayoutProblem{LayoutProblemKind::BadBound, {}, {}, written};
                return std::nullopt;
            }
            if (qMulOverflow(count, n + 1, &count) || count > kMaxSize) {
                problem = LayoutProblem{LayoutProblemKind::TooLarge, {}, {}, {}};
                return std::nullopt;
            }
        }
        if (qMulOverflow(e->size, count, &m.size) || m.size > kMaxSize) {
            problem = LayoutProblem{LayoutProblemKind::TooLarge, {}, {}, {}};
            return std::nullopt;
        }
        m.len = e->len * count;
        m.align = std::min(e->natural, cap());
        m.offset = alignUp(at, m.align);
        m.padding = m.offset - at;
        return m;
    }

    std::optional<Element> element(const MemberLine& line, std::optional<LayoutProblem>& problem)
    {
        const QString type = foldName(line.typeName);
        const qint64 p = pointer();
        if (type.isEmpty() || type == u"VARIANT") {
            // A VARIANT holds a double, so C aligns it to 8 on both hosts.
            const qint64 size = m_host == Host::Bits64 ? 24 : 16;
            return Element{size, 8, size};
        }
        if (type == u"BYTE")
            return Element{1, 1, 1};
        if (type == u"BOOLEAN" || type == u"INTEGER")
            return Element{2, 2, 2};
        if (type == u"LONG" || type == u"SINGLE")
            return Element{4, 4, 4};
        if (type == u"DOUBLE" || type == u"CURRENCY" || type == u"DATE")
            return Element{8, 8, 8};
        if (type == u"LONGLONG") {
            if (m_rules != LayoutRules::C && m_host == Host::Bits32) {
                problem = LayoutProblem{LayoutProblemKind::LongLongOn32, {}, {}, line.typeName};
                return std::nullopt;
            }
            return Element{8, 8, 8};
        }
        if (type == u"LONGPTR" || type == u"OBJECT" || type.contains(u'.'))
            return Element{p, p, p};
        if (type == u"STRING")
            return stringElement(line, problem);
        if (type == u"ANY" || type == u"DECIMAL") {
            const LayoutProblemKind kind =
                type == u"ANY" ? LayoutProblemKind::AnyType : LayoutProblemKind::DecimalType;
            problem = LayoutProblem{kind, {}, {}, line.typeName};
            return std::nullopt;
        }
        return nested(line.typeName, problem);
    }

    std::optional<Element> stringElement(const MemberLine& line, std::optional<LayoutProblem>& problem)
    {
        if (line.fixedLength.isEmpty())
            return Element{pointer(), pointer(), pointer()};
        const std::optional<qint64> n = integer(line.fixedLength, problem);
        if (!n)
            return std::nullopt;
        if (*n < 1 || *n > kMaxSize / 2) {
            problem = LayoutProblem{LayoutProblemKind::BadBound, {}, {}, line.fixedLength};
            return std::nullopt;
        }
        // In memory a character takes two bytes; a Declare call gets them one byte each.
        const qint64 perChar = m_rules == LayoutRules::Vba ? 2 : 1;
        return Element{*n * perChar, 1, *n};
    }

    std::optional<Element> nested(const QString& name, std::optional<LayoutProblem>& problem)
    {
        const QString key = foldName(name);
        if (m_open.contains(key)) {
            problem = LayoutProblem{LayoutProblemKind::Recursive, {}, {}, name};
            return std::nullopt;
        }
        if (m_open.size() >= kMaxNesting) {
            problem = LayoutProblem{LayoutProblemKind::TooDeep, {}, {}, name};
            return std::nullopt;
        }
        auto done = m_done.constFind(key);
        if (done == m_done.cend()) {
            const std::optional<TypeBody> body = m_resolver.typeBody(name, m_host);
            TypeLayout layout;
            if (!body)
                layout = failed({LayoutProblemKind::UnknownType, {}, {}, name});
            else if (body->isEnum)
                layout.size = layout.align = layout.len = 4;
            else
                layout = layOut(name, *body);
            done = m_done.insert(key, layout);
        }
        if (done->problem) {
            problem = done->problem;
            return std::nullopt;
        }
        return Element{done->size, done->align, done->len};
    }

    std::optional<qint64> integer(const QString& text, std::optional<LayoutProblem>& problem)
    {
        const ExpressionValue v = evaluateExpression(
            text, [this](QStringView name) { return m_resolver.constantValue(name, m_host); });
        if (v.value)
            return v.value;
        if (!v.unresolved.isEmpty())
            problem = LayoutProblem{LayoutProblemKind::UnresolvedName, {}, {}, v.unresolved};
        else
            problem = LayoutProblem{LayoutProblemKind::BadBound, {}, {}, text};
        return std::nullopt;
    }

    Host m_host;
    LayoutRules m_rules;
    LayoutResolver& m_resolver;
    QSet<QString> m_open;
    QHash<QString, TypeLayout> m_done;
};

// The Hungarian prefixes of pointers and handles, before a capital ("lpszName",
// "hWnd"), and the handles written in lower case alone ("hwnd").
bool namesPointer(QStringView name)
{
    static const char* const prefixes[] = {"h",    "lp",    "p",    "lpsz",  "lpfn", "lpv",   "lpb",
                                           "lpw",  "lpdw",  "pv",   "psz",   "pb",   "pw",    "pdw",
                                           "pfn",  "hwnd",  "hdc",  "hbm",   "hbr",  "hicon", "hinst",
                                           "hkey", "hmenu", "hrgn", "hfont", "hmod"};
    if (name.endsWith(u"Proc") || name.endsWith(u"Ptr"))
        return true;
    qsizetype lower = 0;
    while (lower < name.size() && name[lower] >= u'a' && name[lower] <= u'z')
        ++lower;
    const QStringView prefix = name.left(lower);
    const bool capitalFollows = lower < name.size() && (name[lower].isUpper() || name[lower].isDigit());
    for (const char* p : prefixes) {
        if (prefix == QLatin1String(p) && (capitalFollows || (lower == name.size() && prefix.size() > 2)))
            return true;
    }
    return false;
}

bool writtenFor64(const LayoutReport& report)
{
    for (const HostLayouts& h : report.hosts) {
        for (const MemberLayout& m : h.vba.members) {
            const QString type = foldName(m.baseType);
            if (type == u"LONGPTR" || type == u"LONGLONG")
                return true;
        }
    }
    return false;
}

void compareWithC(LayoutReport& report, Host host, const TypeLayout& passed)
{
    const TypeLayout& c = report.hosts[hostIndex(host)].c;
    if (passed.problem || c.problem || passed.members.size() != c.members.size())
        return;
    for (size_t i = 0; i < c.members.size(); ++i) {
        if (passed.members[i].offset != c.members[i].offset) {
            report.warnings.push_back({LayoutWarningKind::OffsetDiffers,
                                       host,
                                       c.members[i].name,
                                       passed.members[i].offset,
                                       c.members[i].offset,
                                       {}});
        }
    }
    if (passed.size != c.size)
        report.warnings.push_back({LayoutWarningKind::SizeDiffers, host, {}, passed.size, c.size, {}});
}

void memberWarnings(LayoutReport& report)
{
    const bool for64 = writtenFor64(report);
    QSet<QString> seen;
    for (const HostLayouts& h : report.hosts) {
        for (const MemberLayout& m : h.vba.members) {
            const QString type = foldName(m.baseType);
            LayoutWarningKind kind;
            if (type == u"STRING" && !m.fixedString)
                kind = LayoutWarningKind::StringMember;
            else if (type == u"LONG" && for64 && namesPointer(m.name))
                kind = LayoutWarningKind::PointerInLong;
            else
                continue;
            const QString key = foldName(m.name);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            report.warnings.push_back({kind, Host::Bits32, m.name, 0, 0, {}});
        }
    }
}

} // namespace

TypeLayout layOutType(QStringView name, Host host, LayoutRules rules, LayoutResolver& resolver)
{
    return Engine(host, rules, resolver).top(name);
}

LayoutReport layoutReport(QStringView name, LayoutResolver& resolver)
{
    LayoutReport report;
    report.name = name.toString();
    std::array<TypeLayout, 2> passed;
    for (Host host : {Host::Bits32, Host::Bits64}) {
        HostLayouts& h = report.hosts[hostIndex(host)];
        h.vba = layOutType(name, host, LayoutRules::Vba, resolver);
        h.c = layOutType(name, host, LayoutRules::C, resolver);
        passed[hostIndex(host)] = layOutType(name, host, LayoutRules::VbaPassed, resolver);
        const LayoutProblemKind kind = h.vba.problem ? h.vba.problem->kind : LayoutProblemKind::NotOnHost;
        if (h.vba.problem && kind != LayoutProblemKind::NotOnHost && kind != LayoutProblemKind::IsEnum)
            report.warnings.push_back({LayoutWarningKind::NoLayout, host, {}, 0, 0, *h.vba.problem});
    }
    for (Host host : {Host::Bits32, Host::Bits64})
        compareWithC(report, host, passed[hostIndex(host)]);
    memberWarnings(report);
    return report;
}

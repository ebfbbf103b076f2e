// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "layout_text.h"

#include "name_fold.h"
#include "type_layout.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("Layout", text);
}

QString hostName(Host host)
{
    return host == Host::Bits32 ? tr("32 ビット") : tr("64 ビット");
}

QString sizeOr(const TypeLayout& layout, qint64 TypeLayout::*field)
{
    return layout.problem ? QStringLiteral("-") : QString::number(layout.*field);
}

// Terminals give the characters of Japanese two columns.
qsizetype columns(const QString& s)
{
    qsizetype n = 0;
    for (QChar c : s)
        n += c.unicode() >= 0x1100 ? 2 : 1;
    return n;
}

QString right(const QString& s, qsizetype width)
{
    return QString(std::max<qsizetype>(0, width - columns(s)), u' ') + s;
}

QString number(const MemberLayout* m, qint64 MemberLayout::*field)
{
    if (!m)
        return QStringLiteral("-");
    if (field == &MemberLayout::padding && m->padding == 0)
        return QStringLiteral("-");
    return QString::number(m->*field);
}

// One line of the table: the member on each host it is declared on.
struct Row
{
    const MemberLayout* vba[2] = {nullptr, nullptr};
    const MemberLayout* c[2] = {nullptr, nullptr};
    QString text;
};

const MemberLayout* memberAt(const TypeLayout& layout, size_t i)
{
    return layout.problem || i >= layout.members.size() ? nullptr : &layout.members[i];
}

// The members of both hosts in order; a member only one host's variant declares gets
// a line of its own where it stands.
std::vector<Row> rowsOf(const LayoutReport& report)
{
    const TypeLayout& a = report.hosts[0].vba;
    const TypeLayout& b = report.hosts[1].vba;
    std::vector<Row> rows;
    size_t i = 0;
    size_t j = 0;
    auto laterIn = [](const TypeLayout& l, size_t from, const QString& name) {
        for (size_t k = from; k < l.members.size(); ++k) {
            if (foldName(l.members[k].name) == foldName(name))
                return true;
        }
        return false;
    };
    while (i < a.members.size() || j < b.members.size()) {
        Row row;
        const bool same = i < a.members.size() && j < b.members.size() &&
                          foldName(a.members[i].name) == foldName(b.members[j].name);
        const bool takeA =
            same || j >= b.members.size() || (i < a.members.size() && !laterIn(b, j, a.members[i].name));
        if (same || takeA) {
            row.vba[0] = &a.members[i];
            row.c[0] = memberAt(report.hosts[0].c, i);
            row.text = a.members[i].typeText;
            ++i;
        }
        if (same || !takeA) {
            row.vba[1] = &b.members[j];
            row.c[1] = memberAt(report.hosts[1].c, j);
            row.text = b.members[j].typeText;
            ++j;
        }
        rows.push_back(row);
    }
    return rows;
}

constexpr qsizetype kWidth = 7;

QString tableLine(const QStringList& cells, const QString& text)
{
    QString line;
    for (const QString& cell : cells)
        line += right(cell, kWidth);
    return line + QStringLiteral("   ") + text + u'\n';
}

QString table(const LayoutReport& report, bool withC)
{
    QString groups;
    QStringList heads;
    for (Host host : {Host::Bits32, Host::Bits64}) {
        groups += right(hostName(host), 3 * kWidth);
        heads << tr("位置") << tr("大きさ") << tr("詰め");
    }
    if (withC) {
        groups += right(tr("C 32"), kWidth) + right(tr("C 64"), kWidth);
        heads << tr("位置") << tr("位置");
    }
    QString text = groups + u'\n' + tableLine(heads, tr("メンバー"));
    for (const Row& row : rowsOf(report)) {
        QStringList cells;
        for (size_t h = 0; h < 2; ++h) {
            cells << number(row.vba[h], &MemberLayout::offset) << number(row.vba[h], &MemberLayout::size)
                  << number(row.vba[h], &MemberLayout::padding);
        }
        if (withC)
            cells << number(row.c[0], &MemberLayout::offset) << number(row.c[1], &MemberLayout::offset);
        text += tableLine(cells, row.text);
    }
    QStringList trailing;
    for (const HostLayouts& h : report.hosts) {
        trailing << QString() << QString()
                 << (h.vba.problem || h.vba.trailing == 0 ? QStringLiteral("-")
                                                          : QString::number(h.vba.trailing));
    }
    return text + tableLine(trailing, tr("(末尾の詰め)"));
}

} // namespace

QString layoutSummary(const LayoutReport& report)
{
    return tr("32 ビット: LenB %1 / 64 ビット: LenB %2")
        .arg(sizeOr(report.hosts[0].vba, &TypeLayout::size), sizeOr(report.hosts[1].vba, &TypeLayout::size));
}

QString layoutAnnotation(const LayoutReport& report)
{
    return tr("' LenB: 32 ビット %1 / 64 ビット %2")
        .arg(sizeOr(report.hosts[0].vba, &TypeLayout::size), sizeOr(report.hosts[1].vba, &TypeLayout::size));
}

QString layoutProblemText(const LayoutProblem& p)
{
    QString reason;
    switch (p.kind) {
    case LayoutProblemKind::NotOnHost:
        return tr("このホストで使われる宣言がありません (#If の別の枝にだけあります)");
    case LayoutProblemKind::IsEnum:
        return tr("列挙型です。値は Long と同じ 4 バイトです");
    case LayoutProblemKind::NoMembers:
        return tr("%1 にはこのホストで使われるメンバーがありません").arg(p.inType);
    case LayoutProblemKind::UnknownType:
        reason = tr("型 %1 がデータベースにありません").arg(p.word);
        break;
    case LayoutProblemKind::AnyType:
        reason = tr("As Any は Declare の引数にだけ使えます");
        break;
    case LayoutProblemKind::DecimalType:
        reason = tr("Decimal は Variant の中でだけ使えます");
        break;
    case LayoutProblemKind::LongLongOn32:
        reason = tr("LongLong は 64 ビットでだけ使える型です");
        break;
    case LayoutProblemKind::UnresolvedName:
        reason = tr("%1 は整数の定数としてデータベースにありません").arg(p.word);
        break;
    case LayoutProblemKind::BadBound:
        reason = tr("「%1」は要素の数や長さとして読めません").arg(p.word);
        break;
    case LayoutProblemKind::Unreadable:
        return tr("%1 の行「%2」はメンバーとして読めません").arg(p.inType, p.word);
    case LayoutProblemKind::BadCondition:
        return tr("%1 の行「%2」の条件が読めません").arg(p.inType, p.word);
    case LayoutProblemKind::Recursive:
        reason = tr("%1 が自分自身を含んでいます").arg(p.word);
        break;
    case LayoutProblemKind::TooDeep:
        reason = tr("%1 で型の入れ子が深すぎます (64 段まで)").arg(p.word);
        break;
    case LayoutProblemKind::TooLarge:
        reason = tr("2 GB を超えます");
        break;
    }
    if (p.member.isEmpty())
        return tr("%1: %2").arg(p.inType, reason);
    return tr("%1 のメンバー %2: %3").arg(p.inType, p.member, reason);
}

QString layoutWarningText(const LayoutWarning& w)
{
    switch (w.kind) {
    case LayoutWarningKind::NoLayout:
        return tr("%1: レイアウトを求められません。%2").arg(hostName(w.host), layoutProblemText(w.problem));
    case LayoutWarningKind::OffsetDiffers:
        return tr("%1: %2 の位置が VBA では %3、C では %4 です")
            .arg(hostName(w.host), w.member)
            .arg(w.vba)
            .arg(w.c);
    case LayoutWarningKind::SizeDiffers:
        return tr("%1: 大きさが VBA では %2 バイト、C では %3 バイトです")
            .arg(hostName(w.host))
            .arg(w.vba)
            .arg(w.c);
    case LayoutWarningKind::PointerInLong:
        return tr("%1 は名前がポインターかハンドルを示すのに Long です (64 ビットでは LongPtr)")
            .arg(w.member);
    case LayoutWarningKind::StringMember:
        return tr("%1 は String です。API にはポインターとして渡ります (API "
                  "の文書が求める場合のほかは誤りです)")
            .arg(w.member);
    }
    return QString();
}

QString layoutReportText(const LayoutReport& report, bool withC)
{
    QString text = tr("型 %1\n").arg(report.name) + layoutSummary(report) + u'\n';
    text += tr("Len: 32 ビット %1 / 64 ビット %2\n")
                .arg(sizeOr(report.hosts[0].vba, &TypeLayout::len),
                     sizeOr(report.hosts[1].vba, &TypeLayout::len));
    if (withC) {
        text += tr("C (8 バイト境界) sizeof: 32 ビット %1 / 64 ビット %2\n")
                    .arg(sizeOr(report.hosts[0].c, &TypeLayout::size),
                         sizeOr(report.hosts[1].c, &TypeLayout::size));
    }
    for (Host host : {Host::Bits32, Host::Bits64}) {
        const TypeLayout& vba = report.hosts[hostIndex(host)].vba;
        if (vba.problem)
            text += tr("%1: レイアウトなし: %2\n").arg(hostName(host), layoutProblemText(*vba.problem));
    }
    if (withC && !report.warnings.empty()) {
        text += tr("警告:\n");
        for (const LayoutWarning& w : report.warnings)
            text += QStringLiteral("  ") + layoutWarningText(w) + u'\n';
    }
    if (report.hosts[0].vba.problem && report.hosts[1].vba.problem)
        return text;
    return text + table(report, withC);
}

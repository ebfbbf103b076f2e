// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "module_check.h"

#include <QRegularExpression>
#include <QSet>
#include <vector>

namespace {

class ModuleCheck
{
public:
    explicit ModuleCheck(const QString& text)
    {
        m_lines = text.split(QStringLiteral("\r\n"));
        if (!m_lines.isEmpty() && m_lines.last().isEmpty())
            m_lines.removeLast();
    }

    QStringList problems()
    {
        if (!balanced())
            return m_problems;
        const QStringList conditions = conditionTexts();
        if (conditions.size() > 12)
            return {QStringLiteral("too many conditions to try every path")};
        for (int path = 0; path < (1 << conditions.size()); ++path) {
            QSet<QString> truths;
            for (int i = 0; i < conditions.size(); ++i) {
                if (path & (1 << i))
                    truths.insert(conditions[i]);
            }
            checkPath(truths);
            if (!m_problems.isEmpty())
                break;
        }
        return m_problems;
    }

    QStringList conditionTexts() const
    {
        QStringList out;
        for (const QString& line : m_lines) {
            QString condition;
            const Cond c = condOf(line, &condition);
            if ((c == Cond::If || c == Cond::ElseIf) && !out.contains(condition))
                out << condition;
        }
        return out;
    }

    // Calls f with the index of every line other than a conditional one that the path
    // compiles, until f returns false.
    template <class F> void walkPath(const QSet<QString>& truths, F f) const
    {
        struct Frame
        {
            bool outerActive;
            bool taken;
            bool active;
        };
        std::vector<Frame> frames;
        const auto active = [&frames] { return frames.empty() || frames.back().active; };
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            QString condition;
            const Cond c = condOf(m_lines[i], &condition);
            const bool value = truths.contains(condition);
            switch (c) {
            case Cond::If:
                frames.push_back({active(), value, active() && value});
                continue;
            case Cond::ElseIf:
                frames.back().active = frames.back().outerActive && !frames.back().taken && value;
                frames.back().taken = frames.back().taken || value;
                continue;
            case Cond::Else:
                frames.back().active = frames.back().outerActive && !frames.back().taken;
                frames.back().taken = true;
                continue;
            case Cond::EndIf:
                frames.pop_back();
                continue;
            case Cond::None:
            case Cond::Unknown:
                break;
            }
            if (active() && !f(i))
                return;
        }
    }

    QStringList compiled(const QSet<QString>& truths)
    {
        QStringList out;
        if (!balanced())
            return m_problems;
        walkPath(truths, [&](qsizetype i) {
            out << m_lines[i];
            return true;
        });
        return out;
    }

private:
    enum class Cond { None, If, ElseIf, Else, EndIf, Unknown };

    static QRegularExpression pattern(const char* p)
    {
        return QRegularExpression(QString::fromLatin1(p), QRegularExpression::CaseInsensitiveOption);
    }

    static Cond condOf(const QString& line, QString* condition = nullptr)
    {
        static const QRegularExpression ifLine = pattern(R"(^#(If|ElseIf)\s+(.*\S)\s+Then\s*$)");
        static const QRegularExpression elseLine = pattern(R"(^#Else\s*$)");
        static const QRegularExpression endLine = pattern(R"(^#End If\s*$)");
        const QRegularExpressionMatch m = ifLine.match(line);
        if (m.hasMatch()) {
            if (condition)
                *condition = m.captured(2).simplified().toUpper();
            return m.captured(1).size() == 2 ? Cond::If : Cond::ElseIf;
        }
        if (elseLine.match(line).hasMatch())
            return Cond::Else;
        if (endLine.match(line).hasMatch())
            return Cond::EndIf;
        return line.startsWith(u'#') ? Cond::Unknown : Cond::None;
    }

    bool balanced()
    {
        std::vector<bool> sawElse;
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const Cond c = condOf(m_lines[i]);
            if (c == Cond::Unknown)
                return fail(i, QStringLiteral("a directive of no known form"));
            if (c == Cond::If)
                sawElse.push_back(false);
            else if (c != Cond::None && sawElse.empty())
                return fail(i, QStringLiteral("no #If open"));
            else if ((c == Cond::ElseIf || c == Cond::Else) && sawElse.back())
                return fail(i, QStringLiteral("after #Else"));
            else if (c == Cond::Else)
                sawElse.back() = true;
            else if (c == Cond::EndIf)
                sawElse.pop_back();
        }
        if (!sawElse.empty())
            return fail(m_lines.size(), QStringLiteral("an #If never closed"));
        return true;
    }

    void checkPath(const QSet<QString>& truths)
    {
        m_defined.clear();
        m_names.clear();
        m_block.clear();
        bool whole = true;
        walkPath(truths, [&](qsizetype i) { return whole = statement(i); });
        if (whole && !m_block.isEmpty())
            fail(m_lines.size(), QStringLiteral("a block never closed"));
    }

    // One line that the path compiles.
    bool statement(qsizetype i)
    {
        static const QRegularExpression constant = pattern(R"(^((Public|Private|Global) )?Const (\w+)[ =])");
        static const QRegularExpression declare =
            pattern(R"(^((Public|Private) )?Declare (PtrSafe )?(Function|Sub) (\w+) Lib ")");
        static const QRegularExpression header = pattern(R"(^((Public|Private) )?(Type|Enum) (\w+)\s*$)");
        static const QRegularExpression end = pattern(R"(^End (Type|Enum)\s*$)");
        static const QRegularExpression member = pattern(R"(^\s+\w+(\([^)]*\))? As (\w+)( \* \w+)?\s*$)");
        static const QRegularExpression enumMember = pattern(R"(^\s+\w+( = .+)?$)");
        const QString& line = m_lines[i];
        // A comment line stands anywhere in a declarations section, a block included.
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'\''))
            return true;
        if (!m_block.isEmpty()) {
            const QRegularExpressionMatch e = end.match(line);
            if (e.hasMatch()) {
                if (e.captured(1).toUpper() != m_block)
                    return fail(i, QStringLiteral("closes another block"));
                m_defined.insert(m_blockName);
                m_block.clear();
                return true;
            }
            if (m_block == QLatin1String("ENUM"))
                return enumMember.match(line).hasMatch() || fail(i, QStringLiteral("not an enum member"));
            const QRegularExpressionMatch m = member.match(line);
            if (!m.hasMatch())
                return fail(i, QStringLiteral("not a member"));
            return uses(i, {m.captured(2)});
        }
        if (const QRegularExpressionMatch m = header.match(line); m.hasMatch()) {
            m_block = m.captured(3).toUpper();
            m_blockName = m.captured(4).toUpper();
            return declared(i, m_blockName);
        }
        if (const QRegularExpressionMatch m = constant.match(line); m.hasMatch())
            return declared(i, m.captured(3).toUpper());
        if (const QRegularExpressionMatch m = declare.match(line); m.hasMatch()) {
            static const QRegularExpression asType = pattern(R"(\bAs (\w+))");
            QStringList types;
            for (const QRegularExpressionMatch& t : asType.globalMatch(line.mid(m.capturedEnd())))
                types << t.captured(1);
            return declared(i, m.captured(5).toUpper()) && uses(i, types);
        }
        return fail(i, QStringLiteral("outside any block"));
    }

    bool declared(qsizetype i, const QString& name)
    {
        if (m_names.contains(name))
            return fail(i, QStringLiteral("declared twice on one path"));
        m_names.insert(name);
        return true;
    }

    bool uses(qsizetype i, const QStringList& types)
    {
        static const QSet<QString> intrinsic = {"ANY",    "BOOLEAN", "BYTE",   "CURRENCY", "DATE",
                                                "DOUBLE", "INTEGER", "LONG",   "LONGLONG", "LONGPTR",
                                                "OBJECT", "SINGLE",  "STRING", "VARIANT"};
        for (const QString& type : types) {
            const QString t = type.toUpper();
            if (!intrinsic.contains(t) && !m_defined.contains(t))
                return fail(i, QStringLiteral("uses %1 before its definition").arg(type));
        }
        return true;
    }

    bool fail(qsizetype i, const QString& what)
    {
        m_problems << QStringLiteral("line %1: %2: %3").arg(i + 1).arg(what, m_lines.value(i));
        return false;
    }

    QStringList m_lines;
    QStringList m_problems;
    QSet<QString> m_defined;
    QSet<QString> m_names;
    QString m_block;
    QString m_blockName;
};

} // namespace

QStringList moduleProblems(const QString& text)
{
    return ModuleCheck(text).problems();
}

QStringList conditionsIn(const QString& text)
{
    return ModuleCheck(text).conditionTexts();
}

QStringList compiledLines(const QString& text, const QSet<QString>& truths)
{
    return ModuleCheck(text).compiled(truths);
}

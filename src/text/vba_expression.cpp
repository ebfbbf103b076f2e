// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "vba_expression.h"

#include "name_fold.h"
#include "vba_chars.h"

#include <QtNumeric>

namespace {

bool isTypeChar(QChar c)
{
    return c == u'&' || c == u'%' || c == u'^' || c == u'!' || c == u'#' || c == u'@' || c == u'$';
}

constexpr int kMaxDepth = 256;

int digitValue(char16_t c)
{
    c = foldChar(c);
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// A literal of &H or &O takes the narrowest of Integer, Long and LongLong its digits
// fit, unless a type character says which; the bits are then read as signed.
qint64 signedLiteral(quint64 bits, QChar typeChar)
{
    if (typeChar == u'%' || (typeChar.isNull() && bits <= 0xFFFFu))
        return qint16(quint16(bits));
    if (typeChar == u'&' || (typeChar.isNull() && bits <= 0xFFFFFFFFu))
        return qint32(quint32(bits));
    return qint64(bits);
}

class Parser
{
public:
    Parser(QStringView text, const NameValue& name)
        : m_text(text)
        , m_name(name)
    {
    }

    ExpressionValue run()
    {
        ExpressionValue out;
        const std::optional<qint64> v = logical();
        skipBlanks();
        if (v && m_pos == m_text.size())
            out.value = v;
        out.unresolved = m_unresolved;
        return out;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && isVbaBlank(m_text[m_pos]))
            ++m_pos;
    }

    bool peekChar(char16_t c)
    {
        skipBlanks();
        return m_pos < m_text.size() && m_text[m_pos] == c;
    }

    bool takeChar(char16_t c)
    {
        if (!peekChar(c))
            return false;
        ++m_pos;
        return true;
    }

    bool takeText(std::string_view op)
    {
        skipBlanks();
        if (m_pos + qsizetype(op.size()) > m_text.size())
            return false;
        for (size_t i = 0; i < op.size(); ++i) {
            if (m_text[m_pos + qsizetype(i)] != QLatin1Char(op[i]))
                return false;
        }
        m_pos += qsizetype(op.size());
        return true;
    }

    // A keyword operator: a whole word under the name fold.
    bool takeWord(std::string_view word)
    {
        skipBlanks();
        const qsizetype end = m_pos + qsizetype(word.size());
        if (!hasFoldedAt(m_text, m_pos, word) || (end < m_text.size() && isVbaWordChar(m_text[end])))
            return false;
        m_pos = end;
        return true;
    }

    using Value = std::optional<qint64>;

    Value logical()
    {
        Value v = conjunction();
        for (;;) {
            if (takeWord("OR")) {
                const Value r = conjunction();
                v = v && r ? Value(*v | *r) : Value();
            } else if (takeWord("XOR")) {
                const Value r = conjunction();
                v = v && r ? Value(*v ^ *r) : Value();
            } else {
                return v;
            }
        }
    }

    Value conjunction()
    {
        Value v = negation();
        while (takeWord("AND")) {
            const Value r = negation();
            v = v && r ? Value(*v & *r) : Value();
        }
        return v;
    }

    // Each prefix and parenthesis nests a call: a line of thousands of them is refused
    // rather than allowed to exhaust the stack.
    bool deeper() { return ++m_depth <= kMaxDepth; }

    Value negation()
    {
        if (takeWord("NOT")) {
            const Value v = deeper() ? negation() : Value();
            --m_depth;
            return v ? Value(~*v) : Value();
        }
        return comparison();
    }

    Value comparison()
    {
        const Value v = sum();
        static const std::string_view ops[] = {"<>", "<=", ">=", "=", "<", ">"};
        for (std::string_view op : ops) {
            if (!takeText(op))
                continue;
            const Value r = sum();
            if (!v || !r)
                return Value();
            bool holds = false;
            if (op == "<>")
                holds = *v != *r;
            else if (op == "<=")
                holds = *v <= *r;
            else if (op == ">=")
                holds = *v >= *r;
            else if (op == "=")
                holds = *v == *r;
            else if (op == "<")
                holds = *v < *r;
            else
                holds = *v > *r;
            return holds ? -1 : 0;
        }
        return v;
    }

    Value sum()
    {
        Value v = modulo();
        for (;;) {
            const bool plus = takeChar(u'+');
            if (!plus && !takeChar(u'-'))
                return v;
            const Value r = modulo();
            qint64 out = 0;
            if (!v || !r || (plus ? qAddOverflow(*v, *r, &out) : qSubOverflow(*v, *r, &out)))
                v.reset();
            else
                v = out;
        }
    }

    Value modulo()
    {
        Value v = intDivision();
        while (takeWord("MOD")) {
            const Value r = intDivision();
            v = v && r && *r != 0 ? Value(*v % *r) : Value();
        }
        return v;
    }

    Value intDivision()
    {
        Value v = product();
        while (takeChar(u'\\')) {
            const Value r = product();
            v = v && r && *r != 0 ? Value(*v / *r) : Value();
        }
        return v;
    }

    Value product()
    {
        Value v = unary();
        for (;;) {
            const bool times = takeChar(u'*');
            if (!times && !takeChar(u'/'))
                return v;
            const Value r = unary();
            qint64 out = 0;
            if (!v || !r)
                v.reset();
            else if (times)
                v = qMulOverflow(*v, *r, &out) ? Value() : Value(out);
            else
                v = *r != 0 && *v % *r == 0 ? Value(*v / *r) : Value();
        }
    }

    Value unary()
    {
        const bool minus = takeChar(u'-');
        if (minus || takeChar(u'+')) {
            const Value v = deeper() ? unary() : Value();
            --m_depth;
            if (!minus)
                return v;
            return v && *v != std::numeric_limits<qint64>::min() ? Value(-*v) : Value();
        }
        return power();
    }

    Value power()
    {
        Value v = primary();
        while (takeChar(u'^')) {
            const Value r = primary();
            if (!v || !r || *r < 0)
                return Value();
            qint64 out = 1;
            for (qint64 i = 0; i < *r; ++i) {
                if (qMulOverflow(out, *v, &out))
                    return Value();
            }
            v = out;
        }
        return v;
    }

    Value primary()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            return Value();
        const QChar c = m_text[m_pos];
        if (c == u'(') {
            ++m_pos;
            const Value v = deeper() ? logical() : Value();
            --m_depth;
            return v && takeChar(u')') ? v : Value();
        }
        if (c == u'&')
            return radixLiteral();
        if (c.isDigit())
            return decimalLiteral();
        if (c.isLetter() || c == u'_')
            return name();
        return Value();
    }

    Value radixLiteral()
    {
        ++m_pos;
        if (m_pos >= m_text.size())
            return Value();
        const char16_t radixChar = foldChar(m_text[m_pos].unicode());
        const int radix = radixChar == u'H' ? 16 : radixChar == u'O' ? 8 : 0;
        if (radix == 0)
            return Value();
        ++m_pos;
        quint64 bits = 0;
        const qsizetype start = m_pos;
        while (m_pos < m_text.size()) {
            const int digit = digitValue(m_text[m_pos].unicode());
            if (digit < 0 || digit >= radix)
                break;
            if (bits > (std::numeric_limits<quint64>::max() >> (radix == 16 ? 4 : 3)))
                return Value();
            bits = bits * quint64(radix) + quint64(digit);
            ++m_pos;
        }
        if (m_pos == start)
            return Value();
        return signedLiteral(bits, takeTypeChar());
    }

    Value decimalLiteral()
    {
        qint64 v = 0;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit()) {
            if (qMulOverflow(v, qint64(10), &v) || qAddOverflow(v, qint64(m_text[m_pos].digitValue()), &v))
                return Value();
            ++m_pos;
        }
        // A fraction or an exponent is no integer.
        if (m_pos < m_text.size() && (m_text[m_pos] == u'.' || isVbaWordChar(m_text[m_pos])))
            return Value();
        takeTypeChar();
        return v;
    }

    QChar takeTypeChar()
    {
        if (m_pos < m_text.size() && isTypeChar(m_text[m_pos]))
            return m_text[m_pos++];
        return QChar();
    }

    Value name()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isVbaWordChar(m_text[m_pos]))
            ++m_pos;
        const QStringView word = m_text.mid(start, m_pos - start);
        takeTypeChar();
        if (word.compare(u"True", Qt::CaseInsensitive) == 0)
            return -1;
        if (word.compare(u"False", Qt::CaseInsensitive) == 0)
            return 0;
        const Value v = m_name ? m_name(word) : Value();
        if (!v && m_unresolved.isEmpty())
            m_unresolved = word.toString();
        return v;
    }

    QStringView m_text;
    const NameValue& m_name;
    qsizetype m_pos = 0;
    int m_depth = 0;
    QString m_unresolved;
};

} // namespace

ExpressionValue evaluateExpression(QStringView text, const NameValue& name)
{
    return Parser(text, name).run();
}

std::optional<bool> conditionHolds(QStringView condition, Host host)
{
    const NameValue compilerConstant = [host](QStringView name) -> std::optional<qint64> {
        const QString folded = foldName(name);
        if (folded == u"WIN64")
            return host == Host::Bits64 ? -1 : 0;
        if (folded == u"WIN32" || folded == u"VBA6" || folded == u"VBA7")
            return -1;
        return 0;
    };
    const ExpressionValue v = evaluateExpression(condition, compilerConstant);
    if (!v.value)
        return std::nullopt;
    return *v.value != 0;
}

QStringView conditionOf(QStringView line)
{
    line = withoutComment(line).trimmed();
    const qsizetype firstBlank = line.indexOf(u' ');
    if (firstBlank < 0)
        return {};
    QStringView rest = line.mid(firstBlank + 1).trimmed();
    if (rest.size() >= 4 && hasFoldedAt(rest, rest.size() - 4, "THEN"))
        rest = rest.left(rest.size() - 4);
    return rest.trimmed();
}

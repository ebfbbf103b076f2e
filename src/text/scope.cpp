// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "scope.h"

#include "keywords.h"
#include "line_shape.h"
#include "name_fold.h"

namespace {

qsizetype firstWordLength(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && (line[n].isLetterOrNumber() || line[n] == u'_'))
        ++n;
    return n;
}

bool isScopeWord(QStringView word)
{
    for (const ScopeSpelling& scope : kScopeWords) {
        // The spelling carries the blank that follows the word.
        const std::string_view bare = scope.text.substr(0, scope.text.size() - 1);
        if (qsizetype(bare.size()) == word.size() && hasFoldedAt(word, 0, bare))
            return true;
    }
    return false;
}

} // namespace

QString withScope(const QString& text, CopyScope scope)
{
    if (scope == CopyScope::AsDeclared)
        return text;
    const qsizetype lineEnd = text.indexOf(QLatin1String("\r\n"));
    return withScope(text, scope, statementAt(QStringView(text).left(lineEnd < 0 ? text.size() : lineEnd)));
}

QString withScope(const QString& text, CopyScope scope, const StatementStart& start)
{
    if (scope == CopyScope::AsDeclared)
        return text;
    const QString keyword = scope == CopyScope::Public ? QStringLiteral("Public") : QStringLiteral("Private");
    const qsizetype word = firstWordLength(text);
    if (isScopeWord(QStringView(text).left(word)))
        return keyword + text.mid(word);
    if (start.form && start.scope == ScopeWord::None)
        return keyword + u' ' + text;
    return text;
}

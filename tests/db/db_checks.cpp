// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_checks.h"

#include "decl_store.h"
#include "test_data.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

QStringList listNames(DeclStore& store, DeclKind kind)
{
    QStringList names;
    store.forEachName(kind, [&names](std::string_view utf8) {
        names << QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    });
    return names;
}

QString runSqliteShell(const QString& dbPath, const QString& sql)
{
    QProcess shell;
    shell.start(sqliteShell(), {QStringLiteral("-batch"), dbPath, sql});
    if (!shell.waitForFinished(60000) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        return QStringLiteral("FAILED: ") + QString::fromUtf8(shell.readAllStandardError());
    return QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
}

QString integrityCheck(const QString& dbPath)
{
    try {
        return sqlColumn(dbPath, QStringLiteral("PRAGMA integrity_check")).join(u'\n');
    } catch (const std::exception& e) {
        return QStringLiteral("FAILED: ") + QString::fromUtf8(e.what());
    }
}

QStringList rowTexts(const QString& dbPath, const QString& sql)
{
    QStringList out;
    for (const QVariantList& row : sqlRows(dbPath, sql)) {
        QStringList values;
        for (const QVariant& v : row)
            values << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out << values.join(u'|');
    }
    return out;
}

QStringList tableRows(const QString& dbPath, const QString& table)
{
    if (table == QLatin1String("tbType"))
        return rowTexts(dbPath, QStringLiteral("SELECT fdName, fdFull, fdTypeID FROM tbType ORDER BY rowid"));
    if (table == QLatin1String("tbMenb"))
        return rowTexts(dbPath, QStringLiteral("SELECT fdFull, fdTypeID FROM tbMenb ORDER BY fdID"));
    return rowTexts(dbPath, QStringLiteral("SELECT fdName, fdFull FROM %1 ORDER BY fdID").arg(table));
}

// A text of count constants named PREFIX_0 … in order.
void writeConstants(const QString& path, int count, const QString& prefix)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += QStringLiteral("Public Const %1_%2 = %2 ' %3\r\n")
                     .arg(prefix)
                     .arg(i)
                     .arg(QString(20, u'c'))
                     .toUtf8();
    writeBytes(path, bytes);
}

// What stands at the path: "PREFIX:count" for a whole declaration database of
// constants made from one text, "-" for nothing, or what is wrong with it.
QString holds(const QString& db)
{
    if (!QFileInfo::exists(db))
        return QStringLiteral("-");
    if (integrityCheck(db) != QLatin1String("ok"))
        return QStringLiteral("damaged");
    const QStringList names = sqlColumn(db, QStringLiteral("SELECT fdName FROM tbCnst ORDER BY fdID"));
    if (names.isEmpty())
        return QStringLiteral("empty");
    const QString prefix = names.first().section(u'_', 0, 0);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i] != QStringLiteral("%1_%2").arg(prefix).arg(i))
            return QStringLiteral("mixed at %1").arg(i);
    }
    return QStringLiteral("%1:%2").arg(prefix).arg(names.size());
}

// Hidden entries of a folder: what a conversion into it may leave behind.
QStringList hiddenIn(const QString& folder)
{
    return QDir(folder)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        .filter(QRegularExpression(QStringLiteral("^\\.")));
}

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_checks.h"

#include "decl_store.h"
#include "test_data.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <sys/fsuid.h>
#include <unistd.h>

QStringList listNames(DeclStore& store, DeclKind kind)
{
    QStringList names;
    store.forEachName(kind, [&names](std::string_view utf8) {
        names << QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    });
    return names;
}

QString sqliteShell()
{
    const QString path = QStringLiteral("/usr/bin/sqlite3");
    return QFile::exists(path) ? path : QString();
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

namespace {
// The conventional "nobody" identity.
constexpr unsigned kUnprivileged = 65534;
} // namespace

unsigned UnprivilegedFiles::uid()
{
    return kUnprivileged;
}

UnprivilegedFiles::UnprivilegedFiles()
{
    if (geteuid() != 0)
        return;
    m_previous = unsigned(setfsuid(kUnprivileged));
    // setfsuid reports the previous value whether or not it succeeded; asking
    // again with an invalid id tells which identity is in force.
    m_active = unsigned(setfsuid(unsigned(-1))) == kUnprivileged;
}

bool UnprivilegedFiles::modesApply() const
{
    return geteuid() != 0 || m_active;
}

UnprivilegedFiles::~UnprivilegedFiles()
{
    if (geteuid() == 0)
        setfsuid(m_previous);
}

void giveToUnprivilegedUser(const QString& path)
{
    if (geteuid() != 0)
        return;
    if (chown(QFile::encodeName(path).constData(), kUnprivileged, kUnprivileged) != 0)
        return;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString entry = it.next();
        if (lchown(QFile::encodeName(entry).constData(), kUnprivileged, kUnprivileged) != 0)
            return;
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

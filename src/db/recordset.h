// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "database.h"

#include <QStringList>
#include <QVariant>
#include <array>
#include <map>
#include <vector>

// A cursor over one table. It walks in the order of its current index ("ixName":
// names under the fold, equal names in stored order; "ixTypeID": type numbers, then
// stored order) or in stored order while no index is set.
class Recordset
{
public:
    Recordset(std::shared_ptr<Database> db, const QString& table);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    const QString& tableName() const { return m_table; }
    bool isOpen() const { return m_db && m_db->isOpen(); }
    // The database the recordset reads; valid while the recordset is open.
    Database& database() const { return *m_db; }

    // Selecting an index moves the cursor to its first row.
    void setIndex(const QString& index);
    const QString& Index() const { return m_index; }

    // EOF itself is a C macro.
    bool Eof();
    bool NoMatch() const { return m_noMatch; }
    void MoveNext();
    // Fails with NoCurrentRecord (3021) when the table is empty.
    void MoveFirst();

    // "=" stands on the first row whose key equals key, ">=" on the first row whose
    // key is equal or greater; keys compare as the current index compares.
    void Seek(const QString& comparison, const QVariant& key);

    // A field's position, for loops that read or write it on every row.
    int fieldIndex(const QString& name) const;
    // The current row's value; a null QVariant for SQL NULL.
    QVariant Fields(const QString& name);
    QVariant Fields(int field);

    void AddNew();
    void setField(const QString& name, const QVariant& value);
    void setField(int field, const QVariant& value);
    void Update();

    // Closing an already closed recordset does nothing.
    void Close();

private:
    // The four ways a walk can start.
    enum Walk { FromFirst, FromKey, AfterRow, AfterNullKeyRow, WalkCount };

    void checkOpen() const;
    void settle();
    sqlite3_stmt* walkStatement(Walk walk);
    void releaseWalks();
    void startWalk(const QVariant* from);
    void startAfterCurrent();
    void step();
    void detach();
    void stopWalk();
    sqlite3_stmt* insertStatement(unsigned long long columns);
    [[noreturn]] void raise(int rc) const;

    std::shared_ptr<Database> m_db;
    QString m_table;
    QString m_index;
    QStringList m_columns;
    QByteArray m_quotedTable;
    QByteArray m_key;    // the index's key expression
    QByteArray m_sought; // how a sought value is folded to compare with the key
    QByteArray m_selectFrom;
    QByteArray m_order;
    bool m_textKey = false;
    std::array<sqlite3_stmt*, WalkCount> m_walks{};
    sqlite3_stmt* m_walk = nullptr; // whichever walk is stepping
    // Opening or choosing an index puts the cursor on the first row; it is found
    // when first asked for, so a recordset that only writes never reads.
    bool m_firstPending = false;
    bool m_onRow = false;
    bool m_noMatch = false;
    // A positioned cursor keeps a copy of its row and no statement, so that it
    // holds no read lock on the file while the user merely looks at it.
    bool m_detached = false;
    QVariant m_rowKey;
    qint64 m_rowId = 0;
    std::vector<QVariant> m_row;

    int m_nameField = -1; // fdName, which may not be empty; -1 when the table has none
    bool m_adding = false;
    std::vector<QVariant> m_pending;
    unsigned long long m_assigned = 0;
    std::map<unsigned long long, sqlite3_stmt*> m_inserts;
};

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "copy_assembly.h"
#include "decl_store.h"
#include "test_data.h"

#include <QTemporaryDir>
#include <QtTest>

class CopyWithUsesTest : public QObject
{
    Q_OBJECT
private slots:
    void usedDeclarationsComeFirstAndOnce();
};

void CopyWithUsesTest::usedDeclarationsComeFirstAndOnce()
{
    QTemporaryDir dir;
    convertLines(dir.path(), {"Public Const CCHDEVICENAME = 32", "Public Const LOOP_A = LOOP_B + 1",
                              "Public Const LOOP_B = LOOP_A - 1", "Public Const SELF = SELF", "Type POINTAPI",
                              "    x As Long", "    y As Long", "End Type", "Type MSG", "    hwnd As Long",
                              "    pt As pointapi", "    szDevice As String * CCHDEVICENAME", "End Type"});
    const std::unique_ptr<DeclStore> store = DeclStore::open(dir.filePath(QStringLiteral("t.mdb")));
    const auto copy = [&store](DeclKind kind, const QStringList& names) {
        return assembleCopy(store.get(), kind, names, CopyOptions{true, CopyScope::AsDeclared},
                            CopyEnd::BreakAfterEach);
    };
    const auto each = [](const QStringList& texts) { return texts.join(QStringLiteral("\r\n")) + "\r\n"; };
    const QString point = QStringLiteral("Type POINTAPI\r\n    x As Long\r\n    y As Long\r\nEnd Type");
    const QString msg = QStringLiteral("Type MSG\r\n    hwnd As Long\r\n    pt As pointapi\r\n    szDevice "
                                       "As String * CCHDEVICENAME\r\nEnd Type");
    // MSG brings POINTAPI (named in another case) and a constant; the second MSG and
    // the POINTAPI it brought give nothing; a missing entry keeps its empty text, once
    // like every entry.
    QCOMPARE(copy(DeclKind::Type, {"msg", "NOSUCH", "POINTAPI", "MSG", "nosuch"}),
             each({point, QStringLiteral("Public Const CCHDEVICENAME = 32"), msg, ""}));
    // A cycle ends, and a constant defined by itself is given once.
    QCOMPARE(copy(DeclKind::Constant, {"LOOP_A", "SELF"}),
             each({"Public Const LOOP_B = LOOP_A - 1", "Public Const LOOP_A = LOOP_B + 1",
                   "Public Const SELF = SELF"}));
}

QTEST_GUILESS_MAIN(CopyWithUsesTest)
#include "copy_with_uses_test.moc"

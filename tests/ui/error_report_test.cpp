// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "db_error.h"
#include "err_dsp.h"
#include "fake_platform.h"

#include <QTest>

class ErrorReportTest : public QObject
{
    Q_OBJECT
private slots:
    void unsupportedFileHasItsOwnText();
    void notYetHasItsOwnText();
    void knownRunTimeNumbersShowTheirText_data();
    void knownRunTimeNumbersShowTheirText();
    void engineNumbersShowTheGeneralText();
    void numbersBeyondSixteenBitsAreShownWhole();
    void reportRestoresTheArrowAndBeepsFirst();
    void storageFailuresNameTheFileAndReason();
};

void ErrorReportTest::unsupportedFileHasItsOwnText()
{
    FakePlatform fake;
    ErrDsp(fake, -1);
    QCOMPARE(fake.messages().size(), 1);
    QCOMPARE(fake.messages()[0].prompt, QStringLiteral("サポート外のファイルです"));
    QCOMPARE(fake.messages()[0].title, QStringLiteral("エラー  :  1"));
    QCOMPARE(fake.messages()[0].style, 16);
}

void ErrorReportTest::notYetHasItsOwnText()
{
    FakePlatform fake;
    ErrDsp(fake, -99);
    QCOMPARE(fake.messages()[0].prompt, QStringLiteral("すんまへ～ん まだどすぅ(__;)"));
    QCOMPARE(fake.messages()[0].title, QStringLiteral("エラー  :  99"));
}

void ErrorReportTest::knownRunTimeNumbersShowTheirText_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("5") << 5 << "プロシージャの呼び出し、または引数が不正です。";
    QTest::newRow("7") << 7 << "メモリが不足しています。";
    QTest::newRow("53") << 53 << "ファイルが見つかりません。";
    QTest::newRow("61") << 61 << "ディスクの空き容量が不足しています。";
    QTest::newRow("75") << 75 << "パス名が無効です。";
    QTest::newRow("76") << 76 << "パスが見つかりません。";
}

void ErrorReportTest::knownRunTimeNumbersShowTheirText()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    FakePlatform fake;
    ErrDsp(fake, number);
    // The arrow first, then the beep, then the box the beep announces.
    using E = FakePlatform::Event;
    QCOMPARE(fake.kinds(), (QList<E::Kind>{E::MousePointer, E::Beep, E::Box}));
    QCOMPARE(fake.pointer, Pointer::Arrow);
    QCOMPARE(fake.messages()[0].prompt, text);
    QCOMPARE(fake.messages()[0].title, QStringLiteral("エラー  :  ") + QString::number(number));
    // Every number of the table has a text of its own.
    for (int n : {5, 6, 7, 9, 11, 13, 52, 53, 55, 57, 58, 61, 62, 67, 68, 70, 71, 75, 76})
        QVERIFY2(errorText(n) != errorText(3021), qPrintable(QString::number(n)));
}

void ErrorReportTest::engineNumbersShowTheGeneralText()
{
    FakePlatform fake;
    ErrDsp(fake, 3021);
    QCOMPARE(fake.messages()[0].prompt,
             QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。"));
    QCOMPARE(fake.messages()[0].title, QStringLiteral("エラー  :  3021"));
}

void ErrorReportTest::numbersBeyondSixteenBitsAreShownWhole()
{
    FakePlatform fake;
    ErrDsp(fake, 70000);
    ErrDsp(fake, -2147467259LL);
    ErrDsp(fake, std::numeric_limits<long long>::min());
    QCOMPARE(fake.messages()[0].title, QStringLiteral("エラー  :  70000"));
    QCOMPARE(fake.messages()[1].title, QStringLiteral("エラー  :  2147467259"));
    QCOMPARE(fake.messages()[2].title, QStringLiteral("エラー  :  9223372036854775808"));
    QCOMPARE(fake.messages()[0].prompt, errorText(3021));
}

void ErrorReportTest::reportRestoresTheArrowAndBeepsFirst()
{
    FakePlatform fake;
    fake.setMousePointer(Pointer::Hourglass);
    ErrDsp(fake, 13);
    QCOMPARE(fake.pointer, Pointer::Arrow);
    QCOMPARE(fake.beeps(), 1);
    QCOMPARE(fake.messages().size(), 1);
}

void ErrorReportTest::storageFailuresNameTheFileAndReason()
{
    FakePlatform fake;
    reportDbError(fake, DbError(DbFault::DiskFull, QStringLiteral("/tmp/x.mdb")));
    QCOMPARE(fake.messages()[0].title, QStringLiteral("エラー  :  3026"));
    QCOMPARE(fake.messages()[0].prompt,
             QStringLiteral("ディスクの空き容量が不足したため、/tmp/x.mdb に書き込めません。"));
    reportDbError(fake, DbError(DbFault::Locked, QStringLiteral("/tmp/x.mdb")));
    QVERIFY(fake.messages()[1].prompt.contains(QStringLiteral("他のプログラムが使用中")));
    reportDbError(fake, DbError(DbFault::TextNotFound, QStringLiteral("/tmp/a.txt")));
    QCOMPARE(fake.messages()[2].title, QStringLiteral("エラー  :  53"));
    QCOMPARE(fake.messages()[2].prompt, QStringLiteral("テキストファイル /tmp/a.txt が見つかりません。"));
}

QTEST_MAIN(ErrorReportTest)
#include "error_report_test.moc"

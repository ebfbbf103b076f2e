// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace {

// A key as a Japanese keyboard in kana mode sends it, the katakana as its text: half-width on
// Windows, full-width on X11.
void kanaKey(QWidget* widget, QChar kana, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(kana.unicode()), QString(kana), modifiers);
}

} // namespace

class AccessKeysTest : public QObject
{
    Q_OBJECT
private slots:
    void fileMenuOpensWithEitherAccessKey();
    void itemsAnswerEitherAccessKey();
};

void AccessKeysTest::fileMenuOpensWithEitherAccessKey()
{
    UiFixture f;
    Ekf& w = f.startActive();
    w.txtInp->setFocus();
    QTest::keyClick(w.txtInp, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(w.mF->isVisible());
    QTest::keyClick(w.mF, Qt::Key_Escape);
    QTRY_VERIFY(!w.mF->isVisible());
    w.txtInp->setFocus();
    kanaKey(w.txtInp, u'フ', Qt::AltModifier);
    QTRY_VERIFY(w.mF->isVisible());
    // The key opened the menu; it typed nothing.
    QVERIFY(w.txtInp->text().isEmpty());
    kanaKey(w.mF, u'ｼ');
    QTRY_VERIFY(!w.isVisible());
}

void AccessKeysTest::itemsAnswerEitherAccessKey()
{
    UiFixture f;
    Ekf& w = f.startActive();
    for (const QChar key : {QChar(u'c'), QChar(u'ﾓ')}) {
        w.txtInp->setFocus();
        QTest::keyClick(w.txtInp, Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(w.mH->isVisible());
        kanaKey(w.mH, key);
        QTRY_VERIFY(!w.mH->isVisible());
    }
    // Contents, twice: its notice each time.
    QCOMPARE(f.fake.messages().size(), 2);
    QCOMPARE(f.fake.messages()[1].prompt, f.fake.messages()[0].prompt);
}

QTEST_MAIN(AccessKeysTest)
#include "access_keys_test.moc"

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "access_key_caption.h"
#include "ui_fixture.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace {

// A key as a Japanese keyboard in kana mode sends it, the katakana as its text: half-width on
// Windows, full-width on X11.
void kanaKey(QWidget* widget, QChar kana, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(kana.unicode()), QString(kana), modifiers);
}

Ekf& startActive(UiFixture& f)
{
    Ekf& w = f.start();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("main window was not activated");
    return w;
}

// The pixels where two pictures of the menu bar differ.
QRect difference(const QImage& a, const QImage& b)
{
    QRect found;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                found |= QRect(x, y, 1, 1);
        }
    }
    return found;
}

} // namespace

class AccessKeysTest : public QObject
{
    Q_OBJECT
private slots:
    void captionsReadAsWindowsReadsThem();
    void fileMenuOpensWithEitherAccessKey();
    void itemsAnswerEitherAccessKey();
    void bothAccessKeysAreUnderlined();
};

void AccessKeysTest::captionsReadAsWindowsReadsThem()
{
    const AccessKeyCaption file(QStringLiteral("ﾌｧｲﾙ(&F&ﾌ)"));
    QCOMPARE(file.text, QStringLiteral("ﾌｧｲﾙ(Fﾌ)"));
    QCOMPARE(file.keys, (QList<qsizetype>{5, 6}));
    const AccessKeyCaption path(QStringLiteral("R&&D &a&&b&"));
    QCOMPARE(path.text, QStringLiteral("R&D a&b&"));
    QCOMPARE(path.keys, (QList<qsizetype>{4}));
}

void AccessKeysTest::fileMenuOpensWithEitherAccessKey()
{
    UiFixture f;
    Ekf& w = startActive(f);
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
    Ekf& w = startActive(f);
    for (const QChar key : {QChar(u'c'), QChar(u'ﾓ')}) {
        w.txtInp->setFocus();
        QTest::keyClick(w.txtInp, Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(w.mH->isVisible());
        kanaKey(w.mH, key);
        QTRY_VERIFY(!w.mH->isVisible());
    }
    // Contents, twice: its notice each time.
    QCOMPARE(f.fake.messages.size(), 2);
    QCOMPARE(f.fake.messages[1].prompt, f.fake.messages[0].prompt);
}

void AccessKeysTest::bothAccessKeysAreUnderlined()
{
    UiFixture f;
    Ekf& w = f.start();
    const QString caption = w.mF->title();
    const QImage both = w.menuBar()->grab().toImage();
    w.mF->setTitle(QStringLiteral("ﾌｧｲﾙ(&Fﾌ)"));
    const QImage firstOnly = w.menuBar()->grab().toImage();
    w.mF->setTitle(QStringLiteral("ﾌｧｲﾙ(Fﾌ)"));
    const QImage none = w.menuBar()->grab().toImage();
    w.mF->setTitle(caption);

    const QRect first = difference(firstOnly, none);
    const QRect second = difference(both, firstOnly);
    QVERIFY(!first.isEmpty());
    QVERIFY(!second.isEmpty());
    // The line under F goes on under ﾌ, as under two marked characters side by side.
    QCOMPARE(second.top(), first.top());
    QCOMPARE(second.height(), first.height());
    QVERIFY(second.left() >= first.right() - 1 && second.left() <= first.right() + 2);
    const int kana = w.menuBar()->fontMetrics().horizontalAdvance(u'ﾌ');
    QVERIFY(qAbs(second.width() - kana) <= 1);
}

QTEST_MAIN(AccessKeysTest)
#include "access_keys_test.moc"

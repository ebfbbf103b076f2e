// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include "browse_data.h"
#include "fonts.h"
#include "test_data.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

UiFixture::UiFixture()
{
    registerFontSubstitutes();
}

UiFixture::~UiFixture()
{
    if (!fake.unexpected.isEmpty() && !QTest::currentTestFailed()) {
        const QString what = QStringLiteral("unscripted dialogs:\n") + fake.unexpected.join(u'\n');
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    }
    if ((!fake.fileNames.isEmpty() || !fake.answers.isEmpty()) && !QTest::currentTestFailed()) {
        const QString what = QStringLiteral("scripted dialogs that never came: %1 file names, %2 answers")
                                 .arg(fake.fileNames.size())
                                 .arg(fake.answers.size());
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    }
}

bool triggerAction(QWidget& window, const char* name)
{
    auto* action = window.findChild<QAction*>(QLatin1String(name));
    const char* problem = !action                ? "there is no action %s"
                          : !action->isVisible() ? "action %s is hidden"
                          : !action->isEnabled() ? "action %s is disabled"
                                                 : nullptr;
    if (problem) {
        QTest::qFail(qPrintable(QString::asprintf(problem, name)), __FILE__, __LINE__);
        return false;
    }
    action->trigger();
    return true;
}

Ekf& UiFixture::start()
{
    window = Main(fake, module, QCoreApplication::applicationDirPath());
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("main window was not exposed");
    return *window;
}

Ekf& UiFixture::startActive()
{
    Ekf& w = start();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("main window was not activated");
    return w;
}

QString UiFixture::path(const QString& name) const
{
    return QDir(dir.path()).filePath(name);
}

QString UiFixture::makeDatabase(const QStringList& lines, const QString& name)
{
    const QString text = path(name + QStringLiteral(".txt"));
    const QString db = path(name);
    writeCp932(text, lines);
    RecordingProgress progress;
    convertFile(text, db, progress);
    return db;
}

void UiFixture::open(const QString& dbPath)
{
    fake.fileNames.enqueue(dbPath);
    triggerAction(*window, "mFile0");
}

void UiFixture::clickItem(ListBox& list, int row)
{
    list.ensureVisible(row);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, list.itemRect(row).center());
}

void UiFixture::doubleClickItem(ListBox& list, int row)
{
    list.ensureVisible(row);
    const QPoint centre = list.itemRect(row).center();
    // As the desktop delivers it: press, release, then the double-click and its release.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void UiFixture::chooseKind(int index)
{
    window->cboKind->setCurrentIndex(index);
    emit window->cboKind->activated(index);
}

Ekf& UiFixture::openBrowseSample(int kind)
{
    const QString db = makeDatabase(browseLines());
    Ekf& w = startActive();
    if (kind != 1)
        chooseKind(kind);
    open(db);
    return w;
}

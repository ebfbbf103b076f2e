// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ui_fixture.h"

#include "fonts.h"
#include "make_db.h"
#include "test_data.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

UiFixture::UiFixture()
{
    registerFontSubstitutes();
}

UiFixture::~UiFixture() = default;

Ekf& UiFixture::start()
{
    window = Main(fake, module, QCoreApplication::applicationDirPath());
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("main window was not exposed");
    return *window;
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
    MakeDb(db);
    RecordingProgress progress;
    convertInto(text, db, progress);
    return db;
}

void UiFixture::open(const QString& dbPath)
{
    fake.fileNames.enqueue(dbPath);
    window->mFile[0]->trigger();
}

void UiFixture::clickItem(ListBox& list, int row)
{
    list.scrollTo(list.model()->index(row, 0));
    const QRect rect = list.visualRect(list.model()->index(row, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void UiFixture::doubleClickItem(ListBox& list, int row)
{
    list.scrollTo(list.model()->index(row, 0));
    const QRect rect = list.visualRect(list.model()->index(row, 0));
    // A real double-click: press, release, then the double-click press and release.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void UiFixture::chooseKind(int index)
{
    window->cboKind->setCurrentIndex(index);
    emit window->cboKind->activated(index);
}

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "settings_store.h"
#include "test_data.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>
#include <sys/stat.h>

// The settings file as it may be found: a regular file is read and written, anything
// else is left alone and never waited on.
class SettingsFileTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rememberedValueSurvivesAndAFifoIsNeverWaitedOn();

private:
    QString m_file;
};

void SettingsFileTest::initTestCase()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/EkSettingsTest");
    QVERIFY(QDir().mkpath(dir));
    m_file = dir + QStringLiteral("/EkSettingsTest.conf");
    QFile::remove(m_file);
}

void SettingsFileTest::rememberedValueSurvivesAndAFifoIsNeverWaitedOn()
{
    const QString app = QStringLiteral("EkSettingsTest");
    const QString path = QStringLiteral("/home/user/宣言 & more.mdb");
    writeSetting(app, QStringLiteral("DataBase"), QStringLiteral("Name"), path);
    QVERIFY(QFileInfo(m_file).isFile());
    QCOMPARE(readSetting(app, QStringLiteral("DataBase"), QStringLiteral("Name"), QString()), path);

    QVERIFY(QFile::remove(m_file));
    QCOMPARE(::mkfifo(QFile::encodeName(m_file).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(readSetting(app, QStringLiteral("DataBase"), QStringLiteral("Name"), QStringLiteral("none")),
             QStringLiteral("none"));
    writeSetting(app, QStringLiteral("DataBase"), QStringLiteral("Name"), path);
    QVERIFY(clock.elapsed() < 5000);
    // Still the FIFO: nothing wrote over it.
    struct stat st
    {
    };
    QCOMPARE(::lstat(QFile::encodeName(m_file).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QFile::remove(m_file);
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"

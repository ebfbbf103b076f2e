// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include <QString>

// A folder on a file system of its own with little room and few files, for as long
// as this lives: how a full disk, or one out of inodes, looks to the program. Needs
// the right to mount (root); without it ready() is false and the test skips.
class SmallDisk
{
public:
    SmallDisk(qint64 kilobytes, int inodes = 1000);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ready() const { return m_mounted; }
    const QString& path() const { return m_path; }
    QString filePath(const QString& name) const { return m_path + u'/' + name; }

private:
    QString m_path;
    bool m_mounted = false;
};

#define EK_REQUIRE_SMALL_DISK(disk)                                                                          \
    do {                                                                                                     \
        if (!(disk).ready())                                                                                 \
            QSKIP("cannot mount a small file system here (needs root)");                                     \
    } while (false)

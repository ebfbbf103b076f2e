// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "small_disk.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(qint64 kilobytes, int inodes)
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/ek-small-disk-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return;
    m_path = QFile::decodeName(pattern);
    const QByteArray options =
        "size=" + QByteArray::number(kilobytes) + "k,nr_inodes=" + QByteArray::number(inodes) + ",mode=0777";
    m_mounted = ::mount("tmpfs", pattern.constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_path.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_path);
    if (m_mounted)
        ::umount2(path.constData(), MNT_DETACH);
    ::rmdir(path.constData());
}

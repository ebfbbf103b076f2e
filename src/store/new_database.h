// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#pragma once

#include "connection.h"
#include "files.h"

#include <QString>
#include <memory>

// A new declaration database for the path target, built in a hidden file beside it
// and put in its place in one rename at the end. Until then the file at target is
// not touched, whatever happens: a full disk, a kill or a power loss leaves the old
// database whole, and at worst a hidden file that the next conversion into the same
// target removes. A hidden file is left alone while the conversion that made it
// runs: it holds a lock on it.
class NewDatabase
{
public:
    // Refused without touching anything: a folder or other non-regular file at the
    // path, or a link to one or to nothing (NotAFile), a missing folder (BadPath), a
    // file the user may not write (ReadOnly), a database another program is writing
    // (Locked), one whose owner and group its replacement could not keep (ForeignOwner).
    // Through a link, the file it names is replaced and the link kept.
    explicit NewDatabase(const QString& target);
    // Removes the hidden file unless it was put in place.
    ~NewDatabase();
    NewDatabase(const NewDatabase&) = delete;
    NewDatabase& operator=(const NewDatabase&) = delete;

    Connection& connection() { return *m_connection; }
    const QString& target() const { return m_target; }

    // Closes the database, writes it to the disk and renames it over the target,
    // which then keeps the old file's permission bits. Refused, with the old file
    // left as it is: another program has put its own file at the path since the build
    // began, or is writing there (Replaced, Locked). When the old file was moved away
    // or deleted meanwhile, the new one takes the empty path. The journal and WAL files of the
    // database replaced are removed; a file of the same name that SQLite did not
    // write stays.
    void putInPlace();

    // A write that failed may have met the size this process may give a file: SQLite
    // cannot tell that from any other failure of a write.
    bool atFileSizeLimit() const;
    // The same for a disk that has room but no inode left for one more file.
    bool outOfInodes() const;

    // The hidden files of earlier builds into target that no running build holds.
    static void removeLeftovers(const QString& target);
    // Whether path is named as a hidden file of a build into target is, and so may be
    // removed by one.
    static bool isNamedLikeBuildFile(const QString& path, const QString& target);

private:
    void create();
    void discard() noexcept;
    // What the system lets a build into an existing target: refused ReadOnly,
    // naming the path the user gave. Notes what the replacement must keep.
    void checkWritable(const QString& named);
    // Makes the hidden file and holds it, so that no other build takes it for a
    // leftover; the folder lock is held meanwhile.
    void makeHidden();
    void releaseHidden() noexcept;
    // Removes the file at path, part of the hidden database at database, when no
    // running build holds that database.
    static void removeIfAbandoned(const QString& path, const QString& database);

    QString m_target;
    QString m_hidden;
    FileStamp m_before;
    unsigned m_mode = 0666;
    unsigned m_owner = 0; // the replaced file's, where there is one
    unsigned m_group = 0;
    qintptr m_lock = -1;
    std::unique_ptr<Connection> m_connection;
    bool m_placed = false;
};

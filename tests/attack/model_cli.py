#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
"""A stand-in for ek-cli that does what the rig calls sound, to check the rig.

`bash attack.sh model_cli.py` must find every row it runs sound; a row it finds
unsound here is the rig's fault, not the program's. It understands declaration
texts only as far as the rig's own texts need, and is no second Ek."""

import errno
import fcntl
import os
import secrets
import signal
import sqlite3
import stat
import sys
import time

SCHEMA = """
CREATE TABLE tbCnst (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);
CREATE INDEX tbCnst_ixName ON tbCnst (upper(fdName));
CREATE TABLE tbProc (fdID INTEGER PRIMARY KEY, fdName TEXT, fdFull TEXT);
CREATE INDEX tbProc_ixName ON tbProc (upper(fdName));
CREATE TABLE tbType (fdName TEXT, fdFull TEXT, fdTypeID INTEGER);
CREATE UNIQUE INDEX tbType_ixName ON tbType (upper(fdName));
CREATE TABLE tbMenb (fdID INTEGER PRIMARY KEY, fdFull TEXT, fdTypeID INTEGER);
CREATE INDEX tbMenb_ixTypeID ON tbMenb (fdTypeID);
"""
KEPT = "元のデータベースはそのまま残っています。"
TABLES = {"const": "tbCnst", "func": "tbProc", "type": "tbType"}
JOURNAL_MAGIC = b"\xd9\xd5\x05\xf9\x20\xa1\x63\xd7"
WAL_MAGIC = (b"\x37\x7f\x06\x82", b"\x37\x7f\x06\x83")


class Refusal(Exception):
    def __init__(self, text, status=3):
        super().__init__(text)
        self.text = text
        self.status = status


def fd_trouble(e):
    if getattr(e, "errno", None) == errno.EMFILE:
        return "開いているファイルが多すぎます。"
    try:
        os.close(os.open("/dev/null", os.O_RDONLY))
    except OSError as probe:
        if probe.errno == errno.EMFILE:
            return "開いているファイルが多すぎます。"
    return None


def space_trouble(folder, e):
    if getattr(e, "errno", None) == errno.ENOSPC or "full" in str(e):
        try:
            if os.statvfs(folder).f_ffree == 0:
                return "ディスクの i ノード (作れるファイルの数) が足りません。"
        except OSError:
            pass
        return "ディスクの空き容量が足りないか、ファイルの大きさの上限を超えました。"
    return None


def read_text(path):
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK)
    except OSError as e:
        raise Refusal(fd_trouble(e) or "テキストファイル %s を開けません。" % path)
    st = os.fstat(fd)
    if not stat.S_ISREG(st.st_mode):
        os.close(fd)
        raise Refusal("%s はファイルではありません。" % path)
    chunks = []
    while True:
        chunk = os.read(fd, 1 << 20)
        if not chunk:
            break
        chunks.append(chunk)
    data = b"".join(chunks)
    if data[:2] in (b"\xff\xfe", b"\xfe\xff"):
        os.close(fd)
        raise Refusal("テキストファイル %s は UTF-16 です。コード ページ 932 のテキストを指定してください。" % path)
    if data[:3] == b"\xef\xbb\xbf":
        data = data[3:]
    return fd, st, data


def rows_of(data):
    type_no = 0
    for raw in data.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n"):
        line = raw.decode("cp932", errors="replace").split("'", 1)[0]
        if not line:
            continue
        words = line.split()
        head = [w.lower() for w in words[:2]]
        if head[:2] == ["public", "const"] or head[:1] == ["const"]:
            yield "tbCnst", line.split(" =", 1)[0].split()[-1], line, None
        elif head[:1] == ["declare"]:
            yield "tbProc", line.split(" Lib ", 1)[0].split()[-1], line, None
        elif head[:2] == ["end", "type"]:
            type_no += 1
        elif head[:1] == ["type"] and len(words) > 1:
            yield "tbType", words[1], line, type_no
        else:
            yield "tbMenb", None, line, type_no


def convert(text, target):
    # The size limit is met as an error to report, not as a death.
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    folder = os.path.dirname(os.path.abspath(target))
    name = os.path.basename(target)
    fd, st0, data = read_text(text)
    try:
        old = os.lstat(target)
    except FileNotFoundError:
        old = None
    if old is not None:
        if not stat.S_ISREG(old.st_mode):
            raise Refusal("%s はファイルではありません。" % target)
        if not os.access(target, os.W_OK):
            raise Refusal("%s は読み取り専用のため置き換えません。%s" % (target, KEPT))
    try:
        lock = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
        fcntl.flock(lock, fcntl.LOCK_EX)
    except OSError as e:
        raise Refusal((fd_trouble(e) or "フォルダー %s を使えません。" % folder) + KEPT)
    work = os.path.join(folder, ".%s.%s" % (name, secrets.token_hex(8)))
    mode = stat.S_IMODE(old.st_mode) if old else 0o644
    try:
        wfd = os.open(work, os.O_CREAT | os.O_EXCL | os.O_RDWR, mode)
        os.fchmod(wfd, mode)
    except OSError as e:
        raise Refusal((fd_trouble(e) or space_trouble(folder, e) or "%s を作れません。" % work) + KEPT)
    counts = {"tbCnst": 0, "tbProc": 0, "tbType": 0, "tbMenb": 0}
    try:
        try:
            db = sqlite3.connect(work, isolation_level=None)
            # Nothing else sees this file before it is complete: no journal needed.
            db.execute("PRAGMA journal_mode = OFF")
            db.executescript("BEGIN;" + SCHEMA)
            for table, key, full, type_no in rows_of(data):
                if table == "tbMenb":
                    db.execute("INSERT INTO tbMenb(fdFull, fdTypeID) VALUES (?, ?)", (full, type_no))
                elif table == "tbType":
                    db.execute("INSERT OR IGNORE INTO tbType VALUES (?, ?, ?)", (key, full, type_no))
                else:
                    db.execute("INSERT INTO %s(fdName, fdFull) VALUES (?, ?)" % table, (key, full))
                counts[table] += 1
            db.execute("COMMIT")
            db.close()
            os.fsync(wfd)
        except (sqlite3.Error, OSError) as e:
            raise Refusal((fd_trouble(e) or space_trouble(folder, e) or "%s に書き込めません。" % work) + KEPT)
        try:
            now = os.lstat(work)
        except FileNotFoundError:
            now = None
        if now is None or now.st_ino != os.fstat(wfd).st_ino:
            raise Refusal("作業用ファイル %s が変換中に移動されました。%s" % (work, KEPT))
        try:
            there = os.lstat(target)
        except FileNotFoundError:
            there = None
        if old is not None and there is not None and (there.st_dev, there.st_ino) != (old.st_dev, old.st_ino):
            raise Refusal("%s は変換中に他のプログラムによって置き換えられました。置き換えていません。" % target)
        os.rename(work, target)
    except BaseException:
        for p in (work, work + "-journal"):
            try:
                os.remove(p)
            except OSError:
                pass
        raise
    for entry in os.listdir(folder):
        if entry.startswith("." + name):
            try:
                os.remove(os.path.join(folder, entry))
            except OSError:
                pass
    st1 = os.fstat(fd)
    # ek-cli prints this summary whatever was listed.
    lines = len(data.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n")) - data.endswith((b"\n", b"\r"))
    print("テキストファイル %s の %s 行を読み、定数 %s、関数 %s、型 %s（メンバー行 %s）、#If の組 0 をデータベース %s "
          "に格納しました。" % (text, "{:,}".format(lines), "{:,}".format(counts["tbCnst"]), "{:,}".format(counts["tbProc"]),
                           "{:,}".format(counts["tbType"]), "{:,}".format(counts["tbMenb"]), target))
    if (st1.st_size, st1.st_mtime_ns) != (st0.st_size, st0.st_mtime_ns):
        print("ek-cli: テキストファイル %s は読み込み中に変更されました。" % text, file=sys.stderr)
        return 1
    return 0


def open_browse(path):
    try:
        st = os.stat(path)
    except FileNotFoundError:
        raise Refusal("ファイル %s が見つかりません。" % path)
    if not stat.S_ISREG(st.st_mode):
        raise Refusal("%s はファイルではありません。" % path)
    for side, magic in (("-journal", (JOURNAL_MAGIC,)), ("-wal", WAL_MAGIC)):
        try:
            # Never a blocking open: the name may be a FIFO.
            fd = os.open(path + side, os.O_RDONLY | os.O_NONBLOCK)
        except OSError:
            continue
        try:
            head = os.read(fd, len(magic[0])) if stat.S_ISREG(os.fstat(fd).st_mode) else b""
        finally:
            os.close(fd)
        if head in magic:
            raise Refusal("%s は書き込みが中断されたままです。中断したプログラムで開き直してください。" % path)
    uri = "file:%s?immutable=1" % os.path.abspath(path).replace("%", "%25").replace("?", "%3f")
    db = sqlite3.connect(uri, uri=True)
    db.setlimit(sqlite3.SQLITE_LIMIT_LENGTH, 1 << 20)
    deadline = time.monotonic() + 5
    db.set_progress_handler(lambda: 1 if time.monotonic() > deadline else 0, 10000)
    return db


def browse(db_path, kind, query):
    if kind not in TABLES:
        raise Refusal("種類 %s は指定できません。" % kind, 2)
    try:
        db = open_browse(db_path)
        for table in ("tbCnst", "tbProc", "tbType", "tbMenb"):
            row = db.execute("SELECT type FROM pragma_table_list WHERE schema = 'main' AND name = ?",
                             (table,)).fetchone()
            if row is None or row[0] != "table":
                raise Refusal("%s はサポート外のファイルです（%s が普通のテーブルではありません）。" % (db_path, table))
        # The size of the largest record, read from the page headers: a name that
        # would not fit in memory is never loaded.
        (largest,) = db.execute("SELECT max(mx_payload) FROM dbstat").fetchone()
        if largest and largest > 1 << 20:
            raise Refusal("%s はサポート外のファイルです（大きすぎる行があります）。" % db_path)
        return query(db, TABLES[kind])
    except sqlite3.Error as e:
        if "interrupted" in str(e):
            raise Refusal("%s の読み込みが終わらないため中止しました。" % db_path)
        if "too big" in str(e):
            raise Refusal("%s はサポート外のファイルです（長すぎる名前があります）。" % db_path)
        raise Refusal("%s はサポート外のファイルです（%s）。" % (db_path, e))


def main(args):
    if args[:1] == ["--version"]:
        print("ek-cli model")
        return 0
    try:
        if len(args) == 3 and args[0] == "convert":
            return convert(args[1], args[2])
        if len(args) == 3 and args[0] == "list":
            def q(db, t):
                for (n,) in db.execute("SELECT fdName FROM %s ORDER BY upper(fdName), rowid" % t):
                    sys.stdout.write(n + "\n")
                return 0
            return browse(args[1], args[2], q)
        if len(args) >= 4 and args[0] == "show":
            def q(db, t):
                for n in args[3:]:
                    row = db.execute("SELECT fdFull FROM %s WHERE upper(fdName) = upper(?)" % t, (n,)).fetchone()
                    sys.stdout.write((row[0] if row else "") + "\r\n")
                return 0
            return browse(args[1], args[2], q)
        if len(args) == 4 and args[0] == "search":
            def q(db, t):
                row = db.execute("SELECT fdName FROM %s WHERE upper(fdName) >= upper(?) ORDER BY upper(fdName) "
                                 "LIMIT 1" % t, (args[3],)).fetchone()
                if row is None or not row[0].upper().startswith(args[3].upper()):
                    return 1
                sys.stdout.write(row[0] + "\n")
                return 0
            return browse(args[1], args[2], q)
        raise Refusal("引数が正しくありません。", 2)
    except Refusal as r:
        sys.stderr.write("ek-cli: " + r.text + "\n")
        return r.status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

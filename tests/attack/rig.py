#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
"""The parts of attack.sh that bash does badly: declaration texts, a process
runner with limits and timed interference, and fixtures built through SQLite."""

import argparse
import ctypes
import hashlib
import os
import random
import resource
import shutil
import signal
import sqlite3
import stat
import subprocess
import sys
import threading
import time


# --- declaration texts -----------------------------------------------------

FIRST_LINES = {
    "const": ["Public Const FIRST_CONST = &H1"],
    "func": ['Declare Function FirstFunction Lib "user32" (ByVal hWnd As Long) As Long'],
    "type": ["Type FIRSTTYPE", "    cbSize As Long", "    dwFlags As Long", "End Type"],
}


def text_lines(prefix, consts, procs, types, seed, first):
    if first:
        yield from FIRST_LINES[first]
    # A comment in Japanese makes the file real code page 932, not plain ASCII.
    yield "' %s の宣言 (テスト用に生成)" % prefix
    for t in range(types):
        yield "Type %sRECT%d" % (prefix, t)
        yield "    Left As Long"
        yield "    Top As Long"
        yield "    Right As Long"
        yield "    Bottom As Long"
        yield "End Type"
    for p in range(procs):
        if p % 2:
            yield 'Declare Sub %sSleep%d Lib "kernel32" (ByVal dwMilliseconds As Long)' % (prefix, p)
        else:
            yield 'Declare Function %sGetValue%d Lib "kernel32" (ByVal dwIndex As Long) As Long' % (prefix, p)
    order = list(range(consts))
    # Names in random order, as in real files, make the name index work as hard.
    if seed:
        random.Random(seed).shuffle(order)
    yield "' 定数"
    for i in order:
        yield "Public Const %s_%07d = &H%X" % (prefix, i, i)


def cmd_text(a):
    body = "".join(line + "\r\n" for line in text_lines(a.prefix, a.consts, a.procs, a.types, a.seed, a.first))
    if a.encoding == "cp932":
        data = body.encode("cp932")
    elif a.encoding == "cp932-utf8bom":
        data = b"\xef\xbb\xbf" + body.encode("cp932")
    elif a.encoding == "utf-16-le-bom":
        data = b"\xff\xfe" + body.encode("utf-16-le")
    elif a.encoding == "utf-16-be-bom":
        data = b"\xfe\xff" + body.encode("utf-16-be")
    else:
        raise SystemExit("unknown encoding " + a.encoding)
    with open(a.out, "wb") as f:
        f.write(data)


# --- the runner --------------------------------------------------------------


class Run:
    def __init__(self):
        self.t0 = 0.0
        self.ended_at = None
        self.pid = 0
        self.facts = {}


def drain(pipe, path, cap):
    kept = 0
    with open(path, "wb") as out:
        while True:
            chunk = pipe.read(65536)
            if not chunk:
                break
            if cap < 0 or kept < cap:
                part = chunk if cap < 0 else chunk[: cap - kept]
                out.write(part)
                kept += len(part)


def alive(run):
    return run.ended_at is None


def actor_swap(run, spec):
    # DELAY:SRC:TMP:DST - another program writes its own file and moves it in.
    delay, src, tmp, dst = spec.split(":", 3)
    time.sleep(max(0.0, run.t0 + float(delay) - time.time()))
    shutil.copyfile(src, tmp)
    os.rename(tmp, dst)
    run.facts["swap_at"] = "%.3f" % (time.time() - run.t0)
    run.facts["swap_while_running"] = "1" if alive(run) else "0"


def fd_position(pid, real):
    """The read position of pid's descriptor on the file real, or None."""
    try:
        for fd in os.listdir("/proc/%d/fd" % pid):
            try:
                if os.readlink("/proc/%d/fd/%s" % (pid, fd)) == real:
                    with open("/proc/%d/fdinfo/%s" % (pid, fd)) as info:
                        for line in info:
                            if line.startswith("pos:"):
                                return int(line.split()[1])
            except OSError:
                continue
    except OSError:
        return None
    return None


def actor_change(run, spec):
    # PATH:FRACTION - the same number of bytes, changed once reading has begun.
    path, fraction = spec.rsplit(":", 1)
    real = os.path.realpath(path)
    size = os.path.getsize(path)
    deadline = time.time() + 60
    seen = None
    # Well into the reading: a quarter read, or the file open for a while by a
    # program that reads it some other way.
    while alive(run) and time.time() < deadline:
        pos = fd_position(run.pid, real)
        if pos is not None:
            seen = seen or time.time()
            if pos >= size // 4 or time.time() - seen > 0.3:
                break
        time.sleep(0.002)
    if not alive(run):
        run.facts["changed_while_running"] = "0"
        return
    with open(path, "r+b") as f:
        at = min(size - 3, max(0, int(size * float(fraction))))
        f.seek(at)
        window = f.read(256)
        # A hex digit before a line end is a constant's value; another digit
        # keeps every line and the size as they were.
        i = window.find(b"\r\n")
        while i > 0 and window[i - 1 : i] not in b"0123456789ABCDEF":
            i = window.find(b"\r\n", i + 1)
        if i <= 0:
            i = 1
        old = window[i - 1 : i]
        new = b"7" if old != b"7" else b"8"
        f.seek(at + i - 1)
        f.write(new)
        f.flush()
        os.fsync(f.fileno())
    run.facts["change_at"] = "%.3f" % (time.time() - run.t0)
    run.facts["change_offset"] = str(at + i - 1)
    run.facts["changed_while_running"] = "1" if alive(run) else "0"


def actor_move(run, spec):
    # DELAY:DIR:NAME:MOVEDIR:WHAT - WHAT is "target", or "work": the work files
    # if there are any, else the target.
    delay, folder, name, moved, what = spec.split(":", 4)
    time.sleep(max(0.0, run.t0 + float(delay) - time.time()))
    if not alive(run):
        run.facts["moved"] = "nothing"
        run.facts["moved_while_running"] = "0"
        return
    hidden = [e for e in os.listdir(folder) if e.startswith("." + name)] if what == "work" else []
    done = []
    for entry in hidden:
        try:
            os.rename(os.path.join(folder, entry), os.path.join(moved, entry))
            done.append(entry)
        except OSError:
            pass
    if done:
        run.facts["moved"] = "work"
    else:
        try:
            os.rename(os.path.join(folder, name), os.path.join(folder, name + ".moved"))
            run.facts["moved"] = "target"
        except OSError:
            run.facts["moved"] = "nothing"
    run.facts["move_at"] = "%.3f" % (time.time() - run.t0)
    run.facts["moved_while_running"] = "1" if alive(run) else "0"


ACTORS = {"swap": actor_swap, "change": actor_change, "move": actor_move}


def cmd_run(a):
    env = dict(os.environ)
    env["LC_ALL"] = "C.UTF-8"
    env["LANG"] = "C.UTF-8"
    for kv in a.env:
        k, _, v = kv.partition("=")
        env[k] = v
    uid = gid = None
    if a.user:
        uid, gid = (int(x) for x in a.user.split(":"))
        env["HOME"] = "/nonexistent"

    def limits():
        if a.fsize is not None:
            resource.setrlimit(resource.RLIMIT_FSIZE, (a.fsize, a.fsize))
        if a.nofile is not None:
            resource.setrlimit(resource.RLIMIT_NOFILE, (a.nofile, a.nofile))

    run = Run()
    kwargs = {}
    if uid is not None:
        kwargs.update(user=uid, group=gid, extra_groups=[])
    run.t0 = time.time()
    p = subprocess.Popen(a.argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         env=env, cwd=a.cwd, preexec_fn=limits, close_fds=True, **kwargs)
    run.pid = p.pid
    drains = [threading.Thread(target=drain, args=(p.stdout, a.out, a.out_cap)),
              threading.Thread(target=drain, args=(p.stderr, a.err, -1))]
    for t in drains:
        t.start()
    reason = {"why": ""}

    def killer(at, why):
        time.sleep(max(0.0, run.t0 + at - time.time()))
        if alive(run) and not reason["why"]:
            reason["why"] = why
            try:
                os.kill(p.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

    timers = []
    if a.kill_at is not None:
        timers.append(threading.Thread(target=killer, args=(a.kill_at, "rig"), daemon=True))
    timers.append(threading.Thread(target=killer, args=(a.timeout, "timeout"), daemon=True))
    actors = [threading.Thread(target=ACTORS[kind], args=(run, spec), daemon=True)
              for kind, spec in (x.split("=", 1) for x in a.actor)]
    for t in timers + actors:
        t.start()
    _, status, usage = os.wait4(p.pid, 0)
    run.ended_at = time.time()
    p.returncode = os.waitstatus_to_exitcode(status)
    for t in drains:
        t.join()
    for t in actors:
        t.join(timeout=5)
    if os.WIFSIGNALED(status):
        rc, sig = 128 + os.WTERMSIG(status), os.WTERMSIG(status)
    else:
        rc, sig = os.WEXITSTATUS(status), 0
    facts = {
        "rc": rc,
        "sig": sig,
        "secs": "%.3f" % (run.ended_at - run.t0),
        "rss_kb": usage.ru_maxrss,
        "timedout": 1 if reason["why"] == "timeout" else 0,
        "rigkilled": 1 if reason["why"] == "rig" else 0,
    }
    facts.update(run.facts)
    with open(a.res, "w") as f:
        for k, v in facts.items():
            f.write("%s=%s\n" % (k, v))


# --- interference that runs beside a whole row --------------------------------


def cmd_exchange(a):
    """Swaps two names for as long as it lives: a path that is a file one moment
    and a FIFO the next."""
    libc = ctypes.CDLL(None, use_errno=True)
    at_fdcwd, rename_exchange = -100, 2
    x, y = os.fsencode(a.a), os.fsencode(a.b)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    while True:
        if libc.renameat2(at_fdcwd, x, at_fdcwd, y, rename_exchange) != 0:
            raise SystemExit("renameat2: " + os.strerror(ctypes.get_errno()))


# --- fixtures ----------------------------------------------------------------


def cmd_journal(a):
    """A genuine hot rollback journal that turns the victim into the evil copy.

    The evil copy is the victim with one row changed in place. A transaction on a
    copy of it changes the row back; the journal it writes holds the evil pages.
    A small page cache makes the pager sync that journal (header and page count
    written) before the transaction ends, so the copy taken then is what a writer
    that crashed would have left."""
    work = a.evil + ".work"
    shutil.copyfile(a.victim, a.evil)
    c = sqlite3.connect(a.evil, isolation_level=None)
    (orig,) = c.execute("SELECT fdFull FROM tbProc WHERE fdName = ?", (a.name,)).fetchone()
    c.execute("UPDATE tbProc SET fdFull = ? WHERE fdName = ?", (a.text, a.name))
    c.close()
    shutil.copyfile(a.evil, work)
    c = sqlite3.connect(work, isolation_level=None)
    c.execute("PRAGMA cache_size = 10")
    c.execute("BEGIN")
    c.execute("UPDATE tbProc SET fdFull = ? WHERE fdName = ?", (orig, a.name))
    c.execute("UPDATE tbCnst SET fdFull = fdFull || 'x'")
    shutil.copyfile(work + "-journal", a.journal)
    c.execute("ROLLBACK")
    c.close()
    os.remove(work)
    # The proof: rolled back onto a copy of the victim, it gives the evil bytes.
    check = a.journal + ".check"
    shutil.copyfile(a.victim, check)
    shutil.copyfile(a.journal, check + "-journal")
    c = sqlite3.connect(check)
    got = c.execute("SELECT fdFull FROM tbProc WHERE fdName = ?", (a.name,)).fetchone()[0]
    ok = c.execute("PRAGMA integrity_check").fetchone()[0]
    c.close()
    same = open(check, "rb").read() == open(a.evil, "rb").read()
    for p in (check, check + "-journal"):
        if os.path.exists(p):
            os.remove(p)
    if got != a.text or ok != "ok" or not same:
        raise SystemExit("the crafted journal does not roll back to the evil row")


def cmd_views(a):
    """Schema rows written straight into sqlite_master: a million CREATE VIEW
    statements in seconds, where executing them would take hours."""
    c = sqlite3.connect(a.db, isolation_level=None)
    c.execute("PRAGMA writable_schema = ON")
    c.execute("BEGIN")
    c.execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO sqlite_master(type, name, tbl_name, rootpage, sql) "
        "SELECT 'view', 'v' || i, 'v' || i, 0, 'CREATE VIEW v' || i || ' AS SELECT 1' FROM n",
        (a.count,))
    c.execute("COMMIT")
    c.close()


def cmd_bigname(a):
    c = sqlite3.connect(a.db, isolation_level=None)
    c.execute("INSERT INTO tbCnst(fdName, fdFull) SELECT 'BIG' || hex(zeroblob(?)), 'Public Const BIG = 1'",
              (a.mb * 1000 * 1000 // 2,))
    c.close()


VTAB_PREFIX = {
    "comment": "CREATE/**/VIRTUAL TABLE",
    "tab": "CREATE\tVIRTUAL TABLE",
    "newline": "CREATE\nVIRTUAL TABLE",
}


def cmd_vtab(a):
    """tbCnst made an FTS5 virtual table whose stored SQL does not start with the
    words CREATE VIRTUAL separated by one blank."""
    c = sqlite3.connect(a.db, isolation_level=None)
    c.execute("BEGIN")
    c.execute("CREATE TEMP TABLE keep AS SELECT fdName, fdFull FROM tbCnst")
    c.execute("DROP TABLE tbCnst")
    c.execute("CREATE VIRTUAL TABLE tbCnst USING fts5(fdName, fdFull)")
    c.execute("INSERT INTO tbCnst(fdName, fdFull) SELECT fdName, fdFull FROM keep")
    c.execute("COMMIT")
    sql = VTAB_PREFIX[a.variant] + " tbCnst USING fts5(fdName, fdFull)"
    c.execute("PRAGMA writable_schema = ON")
    c.execute("UPDATE sqlite_master SET sql = ? WHERE name = 'tbCnst'", (sql,))
    c.execute("PRAGMA writable_schema = OFF")
    c.close()
    c = sqlite3.connect(a.db)
    stored = c.execute("SELECT sql FROM sqlite_master WHERE name = 'tbCnst'").fetchone()[0]
    n = c.execute("SELECT count(*) FROM tbCnst").fetchone()[0]
    c.close()
    if stored != sql or n == 0:
        raise SystemExit("the virtual table fixture did not take")


def cmd_tree(a):
    """Every entry of a folder with what it is and, for files, a digest, without
    ever opening anything that is not a regular file."""
    rows = []
    for root, dirs, files in os.walk(a.dir):
        dirs.sort()
        for name in sorted(dirs + files):
            path = os.path.join(root, name)
            st = os.lstat(path)
            kind = stat.S_IFMT(st.st_mode)
            digest = "-"
            if stat.S_ISREG(st.st_mode):
                h = hashlib.sha256()
                with open(path, "rb") as f:
                    for chunk in iter(lambda: f.read(1 << 20), b""):
                        h.update(chunk)
                digest = h.hexdigest()
            rows.append("%s %o %o %d:%d %s" % (os.path.relpath(path, a.dir), kind, stat.S_IMODE(st.st_mode),
                                               st.st_uid, st.st_gid, digest))
    sys.stdout.write("".join(r + "\n" for r in rows))


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest="cmd", required=True)

    p = sub.add_parser("text")
    p.add_argument("out")
    p.add_argument("--prefix", required=True)
    p.add_argument("--consts", type=int, default=0)
    p.add_argument("--procs", type=int, default=50)
    p.add_argument("--types", type=int, default=20)
    p.add_argument("--seed", type=int, default=0)
    p.add_argument("--first", choices=sorted(FIRST_LINES))
    p.add_argument("--encoding", default="cp932")
    p.set_defaults(func=cmd_text)

    p = sub.add_parser("run")
    p.add_argument("--out", required=True)
    p.add_argument("--err", required=True)
    p.add_argument("--res", required=True)
    p.add_argument("--out-cap", type=int, default=-1)
    p.add_argument("--timeout", type=float, required=True)
    p.add_argument("--kill-at", type=float)
    p.add_argument("--fsize", type=int)
    p.add_argument("--nofile", type=int)
    p.add_argument("--user")
    p.add_argument("--cwd")
    p.add_argument("--env", action="append", default=[])
    p.add_argument("--actor", action="append", default=[])
    p.add_argument("argv", nargs=argparse.REMAINDER)
    p.set_defaults(func=cmd_run)

    p = sub.add_parser("exchange")
    p.add_argument("a")
    p.add_argument("b")
    p.set_defaults(func=cmd_exchange)

    p = sub.add_parser("journal")
    p.add_argument("victim")
    p.add_argument("evil")
    p.add_argument("journal")
    p.add_argument("--name", required=True)
    p.add_argument("--text", required=True)
    p.set_defaults(func=cmd_journal)

    p = sub.add_parser("views")
    p.add_argument("db")
    p.add_argument("count", type=int)
    p.set_defaults(func=cmd_views)

    p = sub.add_parser("bigname")
    p.add_argument("db")
    p.add_argument("mb", type=int)
    p.set_defaults(func=cmd_bigname)

    p = sub.add_parser("vtab")
    p.add_argument("db")
    p.add_argument("variant", choices=sorted(VTAB_PREFIX))
    p.set_defaults(func=cmd_vtab)

    p = sub.add_parser("tree")
    p.add_argument("dir")
    p.set_defaults(func=cmd_tree)

    a = ap.parse_args()
    if a.cmd == "run" and a.argv and a.argv[0] == "--":
        a.argv = a.argv[1:]
    a.func(a)


if __name__ == "__main__":
    main()

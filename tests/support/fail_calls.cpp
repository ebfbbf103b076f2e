// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
//
// Loaded into ek-cli with LD_PRELOAD, this makes one system call fail the way a real
// disk seldom does on demand: a rename refused with EXDEV or EIO, a folder whose sync
// fails, a quota met while the hidden file is made or written. Every other call goes
// through untouched.
//
//   EK_FAIL_CALL   rename | fsync-folder | create | write
//   EK_FAIL_ERRNO  the error number the call fails with
//   EK_FAIL_PATH   create and write: a part of the path the file must have (any when unset)
// The definitions below must be the calls' own symbols, not inline wrappers of them.
#undef _FORTIFY_SOURCE
#undef _FILE_OFFSET_BITS

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool failing(const char* call)
{
    const char* wanted = std::getenv("EK_FAIL_CALL");
    return wanted && std::strcmp(wanted, call) == 0;
}

int failWith()
{
    const char* number = std::getenv("EK_FAIL_ERRNO");
    errno = number ? std::atoi(number) : EIO;
    return -1;
}

bool aboutPath(const char* path)
{
    const char* part = std::getenv("EK_FAIL_PATH");
    return !part || (path && std::strstr(path, part));
}

std::string pathOf(int fd)
{
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, size_t(n)) : std::string();
}

bool failsWrite(int fd)
{
    if (!failing("write"))
        return false;
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && aboutPath(pathOf(fd).c_str());
}

template <class F> F next(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

mode_t modeOf(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(args, int)) : 0;
}

bool failsCreate(const char* path, int flags)
{
    return failing("create") && (flags & O_CREAT) && aboutPath(path);
}

} // namespace

extern "C" {

int rename(const char* from, const char* to)
{
    if (failing("rename"))
        return failWith();
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}

int fsync(int fd)
{
    struct stat st
    {
    };
    if (failing("fsync-folder") && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        return failWith();
    return next<int (*)(int)>("fsync")(fd);
}

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (failsCreate(path, flags))
        return failWith();
    return next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (failsCreate(path, flags))
        return failWith();
    return next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (failsWrite(fd))
        return failWith();
    return next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at)
{
    if (failsWrite(fd))
        return failWith();
    return next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, data, size, at);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t at)
{
    if (failsWrite(fd))
        return failWith();
    return next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64")(fd, data, size, at);
}

} // extern "C"

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cli.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {
std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int)
{
    g_interrupted.store(true);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    QFile outFile;
    QFile errFile;
    outFile.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errFile.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QTextStream out(&outFile);
    QTextStream err(&errFile);

    // Ctrl+C stops a conversion between two lines; the rows stored so far stay.
    std::signal(SIGINT, onInterrupt);
#ifdef SIGXFSZ
    // A file-size limit is then a write that fails, reported like a full disk,
    // instead of a death without a word that leaves the work files behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    Cli::Options options;
    options.progress = isatty(fileno(stderr)) != 0;
    options.interrupted = &g_interrupted;
    const int status = Cli::run(args, out, err, options);
    out.flush();
    err.flush();
    return status;
}

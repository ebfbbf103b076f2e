// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "cli.h"
#include "console.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {
std::atomic<bool> g_interrupted{false};
} // namespace

// The arguments come from QCoreApplication, which on Windows reads the UTF-16
// command line itself: a name in any script reaches the program whole.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    useBinaryStandardStreams();
    QFile outFile;
    QFile errFile;
    outFile.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errFile.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QTextStream out(&outFile);
    QTextStream err(&errFile);

    stopOnInterrupt(&g_interrupted);
    Cli::Options options;
    options.progress = stderrIsTerminal();
    options.interrupted = &g_interrupted;
    const int status = Cli::run(args, out, err, options);
    out.flush();
    err.flush();
    return status;
}
